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

typedef int (*READER)(TextStream* inFile, RowSink* sink);

// Plain lists: M3U, M3U8, OFL and any text with one path or URL per line.
int OutputLine(TextStream* inFile, RowSink* sink);
// PLS lists.
int plsOutputLine(TextStream* inFile, RowSink* sink);
// XML library exports.
int xmlOutputLine(TextStream* inFile, RowSink* sink);
// XSPF lists.
int xspfOutputLine(TextStream* inFile, RowSink* sink);
// WPL lists.
int wplOutputLine(TextStream* inFile, RowSink* sink);

// The reader for a source path: the table's extension (ignoring case) equal
// to the text from the last "." of the path to its end; the list reader for
// anything else.
READER ChooseReader(const char* path);
