// What the XML readers (library exports, XSPF, WPL, ASX) share: the run of a parser that
// tells namespaces apart over the source, fed to it block by block so that
// memory stays flat in the list's size; the names of elements; and the
// bounded collection of an element's text.
#pragma once

#include <expat.h>

#include <cstddef>

#include "base/limits.h"
#include "engine/readers.h"

// What each XML list reader's state holds: the sink its rows go to,
// the parser, and whether the run was stopped.
struct XmlRun {
  RowSink* sink = nullptr;
  XML_Parser parser = nullptr;
  bool stopped = false;
  // The format knows no namespaces: names are taken as written, and the
  // parser spares the work of telling namespaces apart.
  bool plainNames = false;
};

// The next job of the run; null when the run is to stop, and the parser is
// then stopped too.
RowJob* NextXmlJob(XmlRun* run);

// Reads the whole source with a namespace-aware parser whose handlers
// receive the parser as their first argument; XML_GetUserData(parser) gives
// state, the reader's state that holds run. text may be null. A document
// that declares any entity is stopped at the declaration (see
// xml_parse.cpp). Returns as a reader does: READ_WHOLE after Finish,
// READ_STOPPED, or READ_DAMAGED with run->sink->badLine the source line
// where expat stopped (0 when no parser could be had).
// done (when given) runs on a whole document before Finish, for a reader
// that writes its rows only at the end; it returns false when the run is
// to stop.
typedef bool (*XmlDone)(void* state);
int ReadXmlList(TextStream* in, XmlRun* run, void* state, XML_StartElementHandler start,
                XML_EndElementHandler end, XML_CharacterDataHandler text,
                XmlDone done = nullptr);

// One row of an entry of an XML list: the title, artist and time in
// milliseconds (<= 0: not given) that the list gives, null where it gives
// none, and its location, null when it has none. What the list does not
// give is taken from the location as a plain list line's names and time
// are; an entry that gives all three is never looked up. A title that only
// repeats the location's file name counts as not given.
void XmlEntryRow(XmlRun* run, const char* title, const char* artist, int32_t ms,
                 const char* location);

// The value of the attribute name among expat's atts, or null; with
// anyCase, the name's letters in any case.
const char* XmlAttribute(const XML_Char** atts, const char* name, bool anyCase = false);

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
