// ASX lists (Windows Media, Winamp; also .wax and .wvx): <asx><entry>
// <ref href="..."/><title>...</title><author>...</author>
// <duration value="[hh:]mm:ss[.fff]"/></entry>...</asx>. One row per
// <entry>, in document order: its author is the artist, its title the title
// and its duration the time; the first <ref> is the entry, from which what
// the entry does not say is taken as a plain list line's names are.
//
// Where the format leaves room, this reader decides so:
// - Element and attribute names count in any case (the players read them
//   so, and lists are written in every case: <Entry>, <REF HREF=...>).
//   Namespaces do not occur and are not looked at.
// - An <entry> counts wherever it stands below <asx> (also inside
//   <repeat>); <entryref> (a list elsewhere) gives no row, and the title
//   and author of the list itself are not an entry's.
// - Of a repeated <title>, <author> or <ref> the first counts.
// - The other form of ASX, an INI text ("[Reference]", then "Ref1=address"
//   lines), gives one row per RefN line as a plain list line would.
// - A document that is not well-formed XML is damaged, like any XML list;
//   the players that write ASX write it well-formed.
#include <cstring>
#include <memory>

#include "base/text.h"
#include "engine/entry.h"
#include "engine/readers.h"
#include "engine/xml_parse.h"

namespace {
enum Field { A_TITLE, A_AUTHOR, A_COUNT };

struct AsxState {
  XmlRun run;
  int depth = 0;       // elements open
  int entryDepth = 0;  // > 0: the depth of the open <entry>
  int field = -1;      // the field whose text is being gathered
  int fieldDepth = 0;
  unsigned given = 0;  // one bit per field the entry has had
  XmlText text[A_COUNT];
  bool haveRef = false;
  int32_t ms = 0;
  char ref[MAXENTRY];
};
}  // namespace

// "[hh:]mm:ss[.fff]" in milliseconds; 0 when it is no such time.
static int32_t DurationMs(const char* v) {
  int64_t parts[3] = {0, 0, 0};
  int n = 0;
  const char* p = v + std::strspn(v, " \t");
  for (;;) {
    size_t digits = std::strspn(p, "0123456789");
    if (digits == 0 || digits > 6 || n == 3) return 0;
    parts[n++] = Atoi32(p);
    p += digits;
    if (*p != ':') break;
    ++p;
  }
  int64_t ms = 0;
  for (int k = 0; k < n; ++k) ms = ms * 60 + parts[k];
  ms *= 1000;
  if (*p == '.') {
    ++p;
    int64_t scale = 100;
    for (; *p >= '0' && *p <= '9'; ++p, scale /= 10) ms += (*p - '0') * scale;
  }
  return ms > INT32_MAX ? INT32_MAX : static_cast<int32_t>(ms);
}

static AsxState* StateOf(void* arg) {
  return static_cast<AsxState*>(XML_GetUserData(static_cast<XML_Parser>(arg)));
}

static void XMLCALL AsxStart(void* arg, const XML_Char* name, const XML_Char** atts) {
  AsxState* st = StateOf(arg);
  ++st->depth;
  if (st->depth == 1) {
    // Only an <asx> document holds entries.
    if (!EqualsNoCase(name, "asx")) st->entryDepth = -1;
    return;
  }
  if (st->entryDepth < 0 || st->field >= 0) return;
  if (st->entryDepth == 0) {
    if (EqualsNoCase(name, "entry")) {
      st->entryDepth = st->depth;
      st->given = 0;
      st->haveRef = false;
      st->ms = 0;
    }
    return;
  }
  if (EqualsNoCase(name, "ref")) {
    const char* href = XmlAttribute(atts, "href", true);
    if (!st->haveRef && href && href[std::strspn(href, " \t")]) {
      st->haveRef = true;
      CopyUtf8(st->ref, sizeof st->ref, href + std::strspn(href, " \t"));
    }
  } else if (EqualsNoCase(name, "duration")) {
    const char* value = XmlAttribute(atts, "value", true);
    if (value && st->ms <= 0) st->ms = DurationMs(value);
  } else {
    int f = EqualsNoCase(name, "title") ? A_TITLE : EqualsNoCase(name, "author") ? A_AUTHOR : -1;
    if (f >= 0 && !(st->given >> f & 1u)) {
      st->given |= 1u << f;
      st->field = f;
      st->fieldDepth = st->depth;
      TextClear(&st->text[f]);
    }
  }
}

static const char* GivenText(AsxState* st, int f) {
  return (st->given >> f & 1u) && st->text[f].len > 0 ? st->text[f].text : nullptr;
}

static void XMLCALL AsxEnd(void* arg, const XML_Char*) {
  AsxState* st = StateOf(arg);
  if (st->field >= 0 && st->depth == st->fieldDepth) {
    TextFinish(&st->text[st->field]);
    st->field = -1;
  } else if (st->entryDepth > 0 && st->depth == st->entryDepth) {
    st->entryDepth = 0;
    XmlEntryRow(&st->run, GivenText(st, A_TITLE), GivenText(st, A_AUTHOR), st->ms,
                st->haveRef ? st->ref : nullptr);
  }
  --st->depth;
}

static void XMLCALL AsxText(void* arg, const XML_Char* s, int len) {
  AsxState* st = StateOf(arg);
  if (st->field >= 0) TextAppend(&st->text[st->field], s, len);
}

// The INI form: "RefN=address" lines under "[Reference]".
static int AsxIniOutputLine(TextStream* inFile, RowSink* sink) {
  std::unique_ptr<char[]> buf(new char[MAXLINE]);
  char* line = buf.get();
  while (TsLine(inFile, line, MAXLINE)) {
    const char* p = line + std::strspn(line, " \t");
    if (!EqualsNoCaseN(p, "ref", 3)) continue;
    size_t digits = std::strspn(p + 3, "0123456789");
    if (digits == 0 || p[3 + digits] != '=') continue;
    const char* value = p + 4 + digits;
    if (!OutputListEntry(sink, value, "", 0)) return READ_STOPPED;
  }
  Finish(sink);
  return READ_WHOLE;
}

int asxOutputLine(TextStream* inFile, RowSink* sink) {
  const char* head;
  size_t n = TsPeek(inFile, 64, &head);
  size_t skip = 0;
  while (skip < n && (head[skip] == ' ' || head[skip] == '\t' || head[skip] == '\n')) ++skip;
  if (n - skip >= 11 && EqualsNoCaseN(head + skip, "[Reference]", 11))
    return AsxIniOutputLine(inFile, sink);
  std::unique_ptr<AsxState> st(new AsxState);
  st->run.sink = sink;
  st->run.plainNames = true;
  return ReadXmlList(inFile, &st->run, st.get(), AsxStart, AsxEnd, AsxText);
}
