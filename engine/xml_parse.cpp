// Expat for the XML list readers.
//
// Entities: a list has no use for entities of its own, and entities that
// expand to other entities are the way to make a small document take
// gigabytes ("billion laughs"). Expat limits such expansion itself; on top
// of that a document that declares any entity (general or parameter,
// internal or external) is taken as damaged: the declaration handler stops
// the parser before the entity can be used, and the line of the declaration
// is reported. The five predefined entities and character references are
// no declarations and are decoded as usual. No external DTD or entity is
// ever loaded: expat loads none unless it is given a handler for it.
//
// Encodings: expat itself reads UTF-8, UTF-16, ISO-8859-1 and US-ASCII and
// hands every text on as UTF-8. A list edited on Windows may declare
// windows-1252; that one is given to expat as a table here. A document in
// any other encoding cannot be read and counts as damaged.
#include "engine/xml_parse.h"

#include <cstring>
#include <memory>

#include "base/text.h"
#include "engine/entry.h"

namespace {
struct XmlParserFree {
  void operator()(XML_ParserStruct* p) const { XML_ParserFree(p); }
};
using XmlParser = std::unique_ptr<XML_ParserStruct, XmlParserFree>;
}  // namespace

// What expat puts between a namespace and a local name. XML allows no
// U+0001 anywhere in a document, so no namespace can contain it.
static const char kNsSep = '\x01';

static void XMLCALL RefuseEntity(void* arg, const XML_Char*, int, const XML_Char*, int,
                                 const XML_Char*, const XML_Char*, const XML_Char*,
                                 const XML_Char*) {
  XML_StopParser(static_cast<XML_Parser>(arg), XML_FALSE);
}

static int XMLCALL Cp1252Table(void*, const XML_Char* name, XML_Encoding* info) {
  if (!EqualsNoCase(name, "windows-1252") && !EqualsNoCase(name, "cp1252"))
    return XML_STATUS_ERROR;
  for (int b = 0; b < 256; ++b)
    info->map[b] = static_cast<int>(Cp1252CodePoint(static_cast<unsigned char>(b)));
  info->data = nullptr;
  info->convert = nullptr;
  info->release = nullptr;
  return XML_STATUS_OK;
}

// A source that came in UTF-16 is handed over in UTF-8 already: its
// declaration no longer tells its encoding.
static XmlParser NewXmlParser(void* state, bool utf8, bool plainNames) {
  const char* encoding = utf8 ? "UTF-8" : nullptr;
  XmlParser p(plainNames ? XML_ParserCreate(encoding) : XML_ParserCreateNS(encoding, kNsSep));
  if (!p) return p;
  XML_SetUserData(p.get(), state);
  XML_UseParserAsHandlerArg(p.get());
  XML_SetEntityDeclHandler(p.get(), RefuseEntity);
  XML_SetUnknownEncodingHandler(p.get(), Cp1252Table, nullptr);
  return p;
}

// Feeds the rest of the source to the parser. Returns true when the whole
// document was well-formed; else false and *badLine the source line where
// expat stopped.
static bool ParseXmlSource(XML_Parser p, TextStream* in, int32_t* badLine) {
  const char* data;
  size_t len;
  bool ok = true;
  while (ok && TsBlock(in, &data, &len)) {
    // XML_Parse counts in int; a block is never near that, but stay exact.
    while (ok && len > 0) {
      size_t n = len < (1u << 30) ? len : (1u << 30);
      ok = XML_Parse(p, data, static_cast<int>(n), XML_FALSE) == XML_STATUS_OK;
      data += n;
      len -= n;
    }
  }
  // The final call finds a document that ended early (an open element).
  if (ok) ok = XML_Parse(p, nullptr, 0, XML_TRUE) == XML_STATUS_OK;
  if (!ok) {
    XML_Size line = XML_GetCurrentLineNumber(p);
    *badLine = line > INT32_MAX ? INT32_MAX : static_cast<int32_t>(line);
  }
  return ok;
}

RowJob* NextXmlJob(XmlRun* run) {
  RowJob* job = NextJob(run->sink);
  if (!job) {
    run->stopped = true;
    XML_StopParser(run->parser, XML_FALSE);
  }
  return job;
}

int ReadXmlList(TextStream* in, XmlRun* run, void* state, XML_StartElementHandler start,
                XML_EndElementHandler end, XML_CharacterDataHandler text, XmlDone done) {
  XmlParser parser = NewXmlParser(state, in->utf16 != 0, run->plainNames);
  if (!parser) return READ_NO_MEMORY;
  run->parser = parser.get();
  XML_SetElementHandler(parser.get(), start, end);
  if (text) XML_SetCharacterDataHandler(parser.get(), text);
  bool whole = ParseXmlSource(parser.get(), in, &run->sink->badLine);
  if (run->stopped) return READ_STOPPED;
  if (!whole) return READ_DAMAGED;
  if (done && !done(state)) return READ_STOPPED;
  Finish(run->sink);
  return READ_WHOLE;
}

// Flags of an entry's job: which names the list gave.
constexpr uint32_t kGaveTitle = 1;
constexpr uint32_t kGaveArtist = 2;

// What an entry does not say, from its location: job->text.
static void ResolveEntryJob(RowJob* job, const RunSettings& s) {
  char title[MAXPATH];
  char artist[MAXPATH];
  CopyText(title, sizeof title, NOTITLE);
  CopyText(artist, sizeof artist, NOARTIST);
  int32_t fileSeconds = NamesOfEntry(job->text, title, artist, s);
  if (!(job->flags & kGaveTitle)) CopyText(job->title, sizeof job->title, title);
  if (!(job->flags & kGaveArtist)) CopyText(job->artist, sizeof job->artist, artist);
  if (job->number <= 0 && fileSeconds > 0) job->seconds = fileSeconds;
}

void XmlEntryRow(XmlRun* run, const char* title, const char* artist, int32_t ms,
                 const char* location) {
  if (title && location && TitleRepeatsFileName(title, location)) title = nullptr;
  RowJob* job = NextXmlJob(run);
  if (!job) return;
  CopyUtf8(job->title, sizeof job->title, title ? title : NOTITLE);
  CopyUtf8(job->artist, sizeof job->artist, artist ? artist : NOARTIST);
  job->flags = (title ? kGaveTitle : 0) | (artist ? kGaveArtist : 0);
  job->number = ms;
  job->seconds = ms > 0 ? ms / 1000 : 0;
  bool lookUp = location && !(title && artist && ms > 0);
  job->resolve = lookUp ? ResolveEntryJob : nullptr;
  // The entry, also when nothing is looked up in it (a JSON row names it).
  if (location) CopyUtf8(job->text, sizeof job->text, location);
  SubmitJob(run->sink, job, lookUp && !IsStreamEntry(location));
}

const char* XmlAttribute(const XML_Char** atts, const char* name, bool anyCase) {
  for (; atts[0]; atts += 2)
    if (anyCase ? EqualsNoCase(atts[0], name) : std::strcmp(atts[0], name) == 0) return atts[1];
  return nullptr;
}

const char* LocalName(const char* name, const char* ns) {
  const char* sep = std::strchr(name, kNsSep);
  if (!sep) return name;
  size_t n = static_cast<size_t>(sep - name);
  return ns && std::strncmp(name, ns, n) == 0 && ns[n] == '\0' ? sep + 1 : nullptr;
}

static bool IsXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

void TextClear(XmlText* t) {
  t->len = 0;
  t->cut = false;
  t->text[0] = '\0';
}

void TextAppend(XmlText* t, const char* s, int len) {
  if (t->cut || len <= 0) return;
  size_t n = static_cast<size_t>(len);
  if (t->len == 0)
    while (n > 0 && IsXmlSpace(*s)) ++s, --n;
  size_t room = sizeof t->text - 1 - t->len;
  if (n > room) {
    // Expat never splits a character between two pieces, so the piece
    // shows where its characters end.
    n = Utf8CutBytes(s, n, room);
    t->cut = true;  // nothing after a cut, or the text would get a gap
  }
  t->len += CopyTextN(t->text + t->len, sizeof t->text - t->len, s, n);
}

const char* TextFinish(XmlText* t) {
  while (t->len > 0 && IsXmlSpace(t->text[t->len - 1])) --t->len;
  t->text[t->len] = '\0';
  return t->text;
}
