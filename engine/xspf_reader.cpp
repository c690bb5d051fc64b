// XSPF lists (version 1, as the common Linux players write them): one row
// per <track> of <playlist><trackList>, in document order.
//
// A track's <creator> is the artist, its <title> the title and its
// <duration> (milliseconds) the time, rounded down to whole seconds. Its
// first <location> is the entry: whatever the track itself does not say is
// taken from there as a plain list line's names and time are (an existing
// file's tags or name, a stream's address, the path of a missing file). A
// track that gives all three is never looked up, so that a large list with
// full data is read without touching any file but the list.
//
// Where the format leaves room, this reader decides so:
// - Elements count in the XSPF namespace and in none (many files leave the
//   namespace out). An element of any other namespace, and every element
//   that carries nothing for a row (extension, meta, link, album,
//   annotation, image, info, identifier, trackNum, and any unknown one), is
//   skipped with everything inside it: a <title> inside an <extension> is
//   not the track's title.
// - Of an element that a track repeats, the first counts. For <location>
//   that is the one players try first; for the others a repeat is an error
//   of the writer, and the first is as good a guess as any.
// - Texts lose the white space around them; a text that is empty then
//   counts as not given, and the location may fill it in.
// - A duration that is no positive number counts as not given. One below a
//   second is given and shows as 0 seconds: the track says its time.
// - xml:base attributes are not applied: a relative location is taken
//   against the list's own folder, where the players put their files.
#include <cstring>

#include "base/text.h"
#include "engine/entry.h"
#include "engine/readers.h"
#include "engine/xml_parse.h"

static const char kXspfNs[] = "http://xspf.org/ns/0/";

namespace {
enum Field { F_TITLE, F_CREATOR, F_DURATION, F_LOCATION, F_COUNT };
// How deep the parser is in the elements that matter.
enum Level { L_DOC, L_PLAYLIST, L_TRACKLIST, L_TRACK, L_FIELD };

struct XspfState {
  XmlRun run;
  int level = L_DOC;
  int skip = 0;        // > 0: the depth inside a skipped element
  int field = -1;      // the field whose text is being gathered
  unsigned given = 0;  // one bit per field that the track has had
  XmlText text[F_COUNT];
};
}  // namespace

static int FieldOf(const char* local) {
  static const char* const kNames[F_COUNT] = {"title", "creator", "duration", "location"};
  for (int f = 0; f < F_COUNT; ++f)
    if (std::strcmp(local, kNames[f]) == 0) return f;
  return -1;
}

// The text of a field the track gave, or null.
static const char* Given(const XspfState* st, int f) {
  return (st->given >> f & 1u) && st->text[f].len > 0 ? st->text[f].text : nullptr;
}

static void TrackRow(XspfState* st) {
  const char* duration = Given(st, F_DURATION);
  XmlEntryRow(&st->run, Given(st, F_TITLE), Given(st, F_CREATOR),
              duration ? Atoi32(duration) : 0, Given(st, F_LOCATION));
}

static XspfState* StateOf(void* arg) {
  return static_cast<XspfState*>(XML_GetUserData(static_cast<XML_Parser>(arg)));
}

static void XMLCALL XspfStart(void* arg, const XML_Char* name, const XML_Char**) {
  XspfState* st = StateOf(arg);
  if (st->skip > 0) {
    ++st->skip;
    return;
  }
  const char* local = LocalName(name, kXspfNs);
  bool enter = false;
  if (local) {
    switch (st->level) {
      case L_DOC: enter = std::strcmp(local, "playlist") == 0; break;
      case L_PLAYLIST: enter = std::strcmp(local, "trackList") == 0; break;
      case L_TRACKLIST:
        enter = std::strcmp(local, "track") == 0;
        st->given = 0;
        break;
      case L_TRACK: {
        int f = FieldOf(local);
        enter = f >= 0 && !(st->given >> f & 1u);
        if (enter) {
          st->given |= 1u << f;
          st->field = f;
          TextClear(&st->text[f]);
        }
        break;
      }
      default: break;  // nothing inside a field's text counts
    }
  }
  if (enter)
    ++st->level;
  else
    st->skip = 1;
}

static void XMLCALL XspfEnd(void* arg, const XML_Char*) {
  XspfState* st = StateOf(arg);
  if (st->skip > 0) {
    --st->skip;
    return;
  }
  --st->level;
  if (st->level == L_TRACK) {
    TextFinish(&st->text[st->field]);
    st->field = -1;
  } else if (st->level == L_TRACKLIST) {
    TrackRow(st);
  }
}

static void XMLCALL XspfText(void* arg, const XML_Char* s, int len) {
  XspfState* st = StateOf(arg);
  if (st->field >= 0 && st->skip == 0) TextAppend(&st->text[st->field], s, len);
}

int xspfOutputLine(TextStream* inFile, RowSink* sink) {
  XspfState st;
  st.run.sink = sink;
  return ReadXmlList(inFile, &st.run, &st, XspfStart, XspfEnd, XspfText);
}
