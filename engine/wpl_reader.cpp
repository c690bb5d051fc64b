// WPL lists (Windows Media Player): <smil><head>...</head><body><seq>
// <media src="..."/>...</seq></body></smil>. One row per <media> element
// of a <seq> in the body, in document order; its src attribute is the
// entry and gives names and time exactly as a plain list line would
// (backslashes, paths relative to the list's folder, streams).
//
// Where the format leaves room, this reader decides so:
// - Only elements without a namespace count; the player writes none.
//   Everything else, the head, smart-list queries inside a <seq> and any
//   element inside a <media>, is skipped with all it holds.
// - Every <seq> of the body counts, in order (lists with more than one
//   exist).
// - The player also writes trackTitle, trackArtist and duration attributes
//   on some <media> elements; they are not used, so that a WPL row shows
//   what the same entry shows in a plain list.
// - A <media> without src, or with a src of only blanks, is no entry, as a
//   blank line of a plain list is none.
#include <cstring>

#include "base/text.h"
#include "engine/entry.h"
#include "engine/readers.h"
#include "engine/xml_parse.h"

namespace {
// How deep the parser is in the elements that matter.
enum Level { W_DOC, W_SMIL, W_BODY, W_SEQ, W_MEDIA };

struct WplState {
  XmlRun run;
  int level = W_DOC;
  int skip = 0;  // > 0: the depth inside a skipped element
};
}  // namespace

// A <media> entry, as a plain list line without data of the list's.
static void ResolveMedia(RowJob* job, const RunSettings& s) {
  CopyText(job->title, sizeof job->title, NOTITLE);
  CopyText(job->artist, sizeof job->artist, NOARTIST);
  job->seconds = NamesOfEntry(job->text, job->title, job->artist, s);
}

static void MediaRow(WplState* st, const XML_Char** atts) {
  const char* src = nullptr;
  for (; atts[0]; atts += 2)
    if (std::strcmp(atts[0], "src") == 0) src = atts[1];
  if (!src || src[std::strspn(src, " \t")] == '\0') return;
  RowJob* job = NextXmlJob(&st->run);
  if (!job) return;
  // As long a text as a list line can be, cut between characters.
  CopyTextN(job->text, sizeof job->text, src,
            Utf8CutBytes(src, std::strlen(src), sizeof job->text - 1));
  job->resolve = ResolveMedia;
  SubmitJob(st->run.sink, job, !IsStreamEntry(job->text));
}

static void XMLCALL WplStart(void* arg, const XML_Char* name, const XML_Char** atts) {
  XML_Parser parser = static_cast<XML_Parser>(arg);
  WplState* st = static_cast<WplState*>(XML_GetUserData(parser));
  if (st->skip > 0) {
    ++st->skip;
    return;
  }
  static const char* const kPath[] = {"smil", "body", "seq", "media"};
  const char* local = LocalName(name, nullptr);
  if (st->level < W_MEDIA && local && std::strcmp(local, kPath[st->level]) == 0) {
    if (++st->level == W_MEDIA) MediaRow(st, atts);
  } else {
    st->skip = 1;
  }
}

static void XMLCALL WplEnd(void* arg, const XML_Char*) {
  WplState* st = static_cast<WplState*>(XML_GetUserData(static_cast<XML_Parser>(arg)));
  if (st->skip > 0)
    --st->skip;
  else
    --st->level;
}

int wplOutputLine(TextStream* inFile, RowSink* sink) {
  WplState st;
  st.run.sink = sink;
  return ReadXmlList(inFile, &st.run, &st, WplStart, WplEnd, nullptr);
}
