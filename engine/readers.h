// The source readers and the table that picks one by the source's
// extension. A reader reads its source to the end, gives every row to the
// sink and ends with Finish(sink), returning READ_WHOLE. A reader of a
// format that can be found damaged (XML) stops at the damage without
// Finish, sets sink->badLine and returns READ_DAMAGED. When NextJob gives
// no job the run is to stop: the reader returns READ_STOPPED at once.
// Adding a reader: one file with its function, one line in the table in
// engine/readers.cpp.
#pragma once

#include "engine/row_sink.h"
#include "engine/textstream.h"

constexpr int READ_DAMAGED = 0;
constexpr int READ_WHOLE = 1;
constexpr int READ_STOPPED = 2;
constexpr int READ_NOT_LIST = 3;  // the source is no list at all: nothing was read
constexpr int READ_FAILED = 4;    // the source could not be read to its end
constexpr int READ_NO_MEMORY = 5; // no memory for what reading it needs
constexpr int READ_WRITE_FAILED = 6;  // the listing could not be written

typedef int (*READER)(TextStream* inFile, RowSink* sink);

// Plain lists: M3U, M3U8, OFL and any text with one path or URL per line.
int OutputLine(TextStream* inFile, RowSink* sink);
// One entry of a plain list: a path or an address, with the text and the
// seconds (> 0 when given) of an #EXTINF line before it ("" and 0 when
// none). False when the run is to stop.
bool OutputListEntry(RowSink* sink, const char* entry, const char* text, int32_t seconds);
// PLS lists.
int plsOutputLine(TextStream* inFile, RowSink* sink);
// XML library exports.
int xmlOutputLine(TextStream* inFile, RowSink* sink);
// XSPF lists.
int xspfOutputLine(TextStream* inFile, RowSink* sink);
// WPL lists and SMIL documents.
int wplOutputLine(TextStream* inFile, RowSink* sink);
// ASX lists, the XML form and the INI form.
int asxOutputLine(TextStream* inFile, RowSink* sink);

// The reader for a source path: the table's extension (ignoring case) equal
// to the text from the last "." of the path to its end; the list reader for
// anything else.
READER ChooseReader(const char* path);

// The reader for a source path whose first bytes are head (len bytes, as the
// readers will see them): the table's reader for its extension; else, by
// what the text starts with, a library export, XSPF, WPL/SMIL, ASX or PLS;
// else the list reader. Null for a source that is no list at all: one that
// holds zero bytes in head or starts like a media file.
// format (not empty) names the format instead of the extension: "m3u",
// "pls", "xspf", "wpl", "asx" or "xml".
READER ReaderForSource(const char* path, const char* head, size_t len, const char* format = "");

// True when format is one ReaderForSource knows.
bool KnownFormat(const char* format);
