// XML library exports of the property-list kind. This is a line scanner,
// not an XML parser: it looks for the Name, Artist and Total Time key lines
// that library exports write, one key and its value per line.
//
// Exports disagree on the order of a track's keys: older ones write Total
// Time after Name and Artist, current ones before them. A row therefore
// belongs to the track dict it was found in: a "<dict>" line opens a track,
// and the row of a Total Time line inside it is held until the dict closes,
// so that it carries the names of its own track in either order. Lines
// outside any dict (hand-made lists without dict structure) write their row
// at the Total Time line with the last names seen. One dict per line is
// assumed; a compact export with several dicts on one line is read as well
// as its line pieces allow.
#include <cstring>

#include "base/limits.h"
#include "base/text.h"
#include "engine/readers.h"

static const char KEY[] = "<key>";
static const char NAMEKEY[] = "<key>Name</key><string>";
static const char ARTISTKEY[] = "<key>Artist</key><string>";
static const char TIMEKEY[] = "<key>Total Time</key><integer>";

// Decodes the character references of a value in place, in one pass:
// the five named ones and &#NNN; / &#xHH; numeric ones. A reference to 0,
// a surrogate or beyond U+10FFFF, or an unknown name, stays as it stands.
static void DecodeEntities(char* s) {
  static const struct { const char* name; size_t len; char ch; } named[] = {
      {"&amp;", 5, '&'}, {"&lt;", 4, '<'}, {"&gt;", 4, '>'},
      {"&quot;", 6, '"'}, {"&apos;", 6, '\''}};
  char* w = s;
  for (char* r = s; *r;) {
    if (*r != '&') {
      *w++ = *r++;
      continue;
    }
    bool done = false;
    for (const auto& n : named) {
      if (std::strncmp(r, n.name, n.len) == 0) {
        *w++ = n.ch;
        r += n.len;
        done = true;
        break;
      }
    }
    if (!done && r[1] == '#') {
      bool hex = r[2] == 'x';
      const char* d = r + (hex ? 3 : 2);
      uint32_t cp = 0;
      int digits = 0;
      for (;; ++d, ++digits) {
        int v;
        if (*d >= '0' && *d <= '9') v = *d - '0';
        else if (hex && *d >= 'a' && *d <= 'f') v = *d - 'a' + 10;
        else if (hex && *d >= 'A' && *d <= 'F') v = *d - 'A' + 10;
        else break;
        if (cp <= 0x10FFFF) cp = cp * (hex ? 16 : 10) + static_cast<uint32_t>(v);
      }
      if (digits > 0 && *d == ';' && cp != 0 && cp <= 0x10FFFF &&
          !(cp >= 0xD800 && cp <= 0xDFFF)) {
        // The encoded form is never longer than the reference it replaces.
        w += Utf8Encode(cp, w);
        r = const_cast<char*>(d) + 1;
        done = true;
      }
    }
    if (!done) *w++ = *r++;
  }
  *w = '\0';
}

// The value after a key text: up to the first "</", or the line's end.
static char* CutValue(char* value) {
  char* end = std::strstr(value, "</");
  if (end) *end = '\0';
  return value;
}

namespace {
struct XmlRun {
  RowSink* sink;
  char title[MAXPATH];
  char artist[MAXPATH];
  int depth;        // open dicts
  bool held;        // a row waits for the end of its dict
  int32_t heldTime;
};
}  // namespace

static void WriteRow(XmlRun* x, int32_t time) {
  AddRow(x->sink, x->artist, x->title, time);
}

static void FlushHeld(XmlRun* x) {
  if (x->held) {
    x->held = false;
    WriteRow(x, x->heldTime);
  }
}

static void OpenDict(XmlRun* x) {
  FlushHeld(x);
  x->title[0] = '\0';
  x->artist[0] = '\0';
  ++x->depth;
}

static void CloseDict(XmlRun* x) {
  FlushHeld(x);
  if (x->depth > 0) --x->depth;
}

// What one walk over the '<' of a line finds: the first place of each key
// text and of the dict tags. Every key text starts with "<key>", so the first
// "<key>" place that continues as a key text is where a search for that key
// text would have found it.
namespace {
struct LineMarks {
  char* name = nullptr;
  char* artist = nullptr;
  char* time = nullptr;
  char* open = nullptr;   // "<dict>"
  char* close = nullptr;  // "</dict>"
};
}  // namespace

static void ScanLine(char* line, LineMarks* m) {
  // strchr stops at the text's zero, which ends a line's text. A glance at
  // the character that tells the texts apart comes before each comparison.
  for (char* p = line; (p = std::strchr(p, '<')) != nullptr; ++p) {
    if (p[1] == 'k') {
      if (std::strncmp(p, KEY, sizeof KEY - 1) != 0) continue;
      char c = p[sizeof KEY - 1];
      if (c == 'N' && !m->name && std::strncmp(p, NAMEKEY, sizeof NAMEKEY - 1) == 0)
        m->name = p;
      else if (c == 'A' && !m->artist && std::strncmp(p, ARTISTKEY, sizeof ARTISTKEY - 1) == 0)
        m->artist = p;
      else if (c == 'T' && !m->time && std::strncmp(p, TIMEKEY, sizeof TIMEKEY - 1) == 0)
        m->time = p;
    } else if (p[1] == 'd') {
      if (!m->open && std::strncmp(p, "<dict>", 6) == 0) m->open = p;
    } else if (p[1] == '/' && p[2] == 'd') {
      if (!m->close && std::strncmp(p, "</dict>", 7) == 0) m->close = p;
    }
  }
}

// Handles Name, Artist or Total Time: only the first of them, in that
// order, that the line holds.
static void HandleKeys(XmlRun* x, const LineMarks& m) {
  if (m.name) {
    CopyText(x->title, sizeof x->title, CutValue(m.name + (sizeof NAMEKEY - 1)));
    DecodeEntities(x->title);
  } else if (m.artist) {
    CopyText(x->artist, sizeof x->artist, CutValue(m.artist + (sizeof ARTISTKEY - 1)));
    DecodeEntities(x->artist);
  } else if (m.time) {
    int32_t seconds = Atoi32(CutValue(m.time + (sizeof TIMEKEY - 1))) / 1000;
    if (x->depth > 0) {
      FlushHeld(x);
      x->held = true;
      x->heldTime = seconds;
    } else {
      WriteRow(x, seconds);
    }
  }
}

int xmlOutputLine(TextStream* inFile, RowSink* sink) {
  XmlRun x;
  x.sink = sink;
  std::memset(x.title, 0, sizeof x.title);
  std::memset(x.artist, 0, sizeof x.artist);
  x.depth = 0;
  x.held = false;
  x.heldTime = 0;

  char line[MAXPATH];
  size_t got;
  while (TsGets(line, MAXPATH - 1, inFile, &got)) {
    // A piece holds at most one LF, at its end; a zero byte before it ends
    // the text anyway.
    if (got > 0 && line[got - 1] == '\n') line[got - 1] = '\0';
    LineMarks m;
    ScanLine(line, &m);
    bool closeFirst = m.close && (!m.open || m.close < m.open);
    if (closeFirst) CloseDict(&x);
    if (m.open) OpenDict(&x);
    HandleKeys(&x, m);
    if (m.close && !closeFirst) CloseDict(&x);
  }
  FlushHeld(&x);
  Finish(sink);
  return READ_WHOLE;
}
