// WPL lists (Windows Media Player; as .zpl the Zune software's) and the
// SMIL documents they are a kind of: <smil><head>...</head><body><seq>
// <media src="..."/>...</seq></body></smil>. One row per element of the body
// that plays something: <media>, <audio>, <video> or <ref> with a src
// attribute, in document order. The src is the entry; current versions of
// the player also write trackTitle, trackArtist and duration
// (milliseconds) on <media>, which give the row's names and time as an
// XSPF track's do. What the element does not say is taken from its src as
// a plain list line's names and time are (backslashes, paths relative to
// the list's folder, streams).
//
// Where the format leaves room, this reader decides so:
// - Only elements without a namespace count; the player writes none.
// - The head is skipped with all it holds; in the body, playing elements
//   count directly in it and inside the elements that group them (<seq> in
//   WPL; <par>, <switch>, <excl> in SMIL), at any depth. Whatever stands
//   inside a playing element, and any other element (a smart list's
//   queries), is skipped with all it holds.
// - An element without src, or with a src of only blanks, is no entry, as a
//   blank line of a plain list is none.
#include <cstring>

#include "base/text.h"
#include "engine/entry.h"
#include "engine/readers.h"
#include "engine/xml_parse.h"

namespace {
struct WplState {
  XmlRun run;
  int depth = 0;
  bool inBody = false;
  int bodyDepth = 0;
  int skip = 0;  // > 0: the depth inside a skipped element
};
}  // namespace

// The text of an attribute, or null when it is missing or only blanks.
static const char* Given(const XML_Char** atts, const char* name) {
  const char* v = XmlAttribute(atts, name);
  if (!v) return nullptr;
  v += std::strspn(v, " \t\r\n");
  return *v ? v : nullptr;
}

static void MediaRow(WplState* st, const XML_Char** atts) {
  const char* src = Given(atts, "src");
  if (!src) return;
  const char* duration = Given(atts, "duration");
  XmlEntryRow(&st->run, Given(atts, "trackTitle"), Given(atts, "trackArtist"),
              duration ? Atoi32(duration) : 0, src);
}

static bool IsPlaying(const char* local) {
  static const char* const kNames[] = {"media", "audio", "video", "ref"};
  for (const char* n : kNames)
    if (std::strcmp(local, n) == 0) return true;
  return false;
}

// The elements that hold what plays: in sequence, in parallel, or one of
// several.
static bool IsContainer(const char* local) {
  static const char* const kNames[] = {"seq", "par", "switch", "excl"};
  for (const char* n : kNames)
    if (std::strcmp(local, n) == 0) return true;
  return false;
}

static void XMLCALL WplStart(void* arg, const XML_Char* name, const XML_Char** atts) {
  XML_Parser parser = static_cast<XML_Parser>(arg);
  WplState* st = static_cast<WplState*>(XML_GetUserData(parser));
  ++st->depth;
  if (st->skip > 0) {
    ++st->skip;
    return;
  }
  const char* local = LocalName(name, nullptr);
  if (!local) {
    st->skip = 1;
  } else if (st->depth == 1) {
    if (std::strcmp(local, "smil") != 0) st->skip = 1;
  } else if (!st->inBody) {
    if (st->depth == 2 && std::strcmp(local, "body") == 0) {
      st->inBody = true;
      st->bodyDepth = st->depth;
    } else {
      st->skip = 1;
    }
  } else if (IsPlaying(local)) {
    MediaRow(st, atts);
    st->skip = 1;  // nothing inside plays on its own
  } else if (!IsContainer(local)) {
    st->skip = 1;
  }
}

static void XMLCALL WplEnd(void* arg, const XML_Char*) {
  WplState* st = static_cast<WplState*>(XML_GetUserData(static_cast<XML_Parser>(arg)));
  if (st->skip > 0) --st->skip;
  if (st->inBody && st->depth == st->bodyDepth) st->inBody = false;
  --st->depth;
}

int wplOutputLine(TextStream* inFile, RowSink* sink) {
  WplState st;
  st.run.sink = sink;
  return ReadXmlList(inFile, &st.run, &st, WplStart, WplEnd, nullptr);
}
