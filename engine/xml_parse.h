// What the XML list readers (XSPF, WPL) share: a parser that tells
// namespaces apart, owned by a unique_ptr; the source fed to it block by
// block, so that memory stays flat in the list's size; the names of
// elements; and the bounded collection of an element's text.
#pragma once

#include <expat.h>

#include <cstddef>
#include <cstdint>
#include <memory>

#include "base/limits.h"
#include "engine/textstream.h"
#include "settings/run_settings.h"

struct XmlParserFree {
  void operator()(XML_ParserStruct* p) const { XML_ParserFree(p); }
};
using XmlParser = std::unique_ptr<XML_ParserStruct, XmlParserFree>;

// A namespace-aware parser whose handlers all receive the parser itself as
// their first argument; XML_GetUserData(parser) gives state. A document that
// declares any entity is stopped at the declaration (see xml_parse.cpp).
// Null when expat cannot allocate one.
XmlParser NewXmlParser(void* state);

// Feeds the rest of the source to the parser. Returns true when the whole
// document was well-formed; else false and *badLine the source line where
// expat stopped.
bool ParseXmlSource(XML_Parser p, TextStream* in, int32_t* badLine);

// The local part of an element name when the element is in namespace ns or
// in none; null for an element of any other namespace. ns null: only
// elements without namespace count.
const char* LocalName(const char* name, const char* ns);

// An element's text, gathered from expat's pieces into a fixed buffer:
// white space before the first other character is dropped, and what does
// not fit is cut before the first character that does not fit whole.
struct XmlText {
  char text[MAXPATH];
  size_t len;
  bool cut;  // a piece did not fit: the text is complete as it stands
};
void TextClear(XmlText* t);
void TextAppend(XmlText* t, const char* s, int len);
// Drops trailing white space and terminates; returns the text.
const char* TextFinish(XmlText* t);
