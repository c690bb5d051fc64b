// The source readers and the table that picks one by the source's
// extension. A reader reads its source to the end, gives every row to the
// sink and ends with Finish(sink). Adding a reader: one file with its
// function, one line in the table in engine/readers.cpp.
#pragma once

#include "engine/row_sink.h"
#include "engine/textstream.h"

typedef void (*READER)(TextStream* inFile, RowSink* sink);

// Plain lists: M3U, M3U8, OFL and any text with one path or URL per line.
void OutputLine(TextStream* inFile, RowSink* sink);
// PLS lists.
void plsOutputLine(TextStream* inFile, RowSink* sink);
// XML library exports.
void xmlOutputLine(TextStream* inFile, RowSink* sink);

// The reader for a source path: the table's extension (ignoring case) equal
// to the text from the last "." of the path to its end; the list reader for
// anything else.
READER ChooseReader(const char* path);
