// The listing as a workbook for spreadsheets (XLSX): one sheet named after
// the list, a bold and frozen header row, names as text cells, times as time
// values in [h]:mm:ss, and a bold total row that computes in every
// interface language.
#pragma once

#include <cstdint>
#include <cstdio>

#include "settings/run_settings.h"

struct XlsxBook;

// A workbook for the run s, written row by row with constant memory into a
// file of its own. Null when it cannot be made (*error: errno).
XlsxBook* XlsxOpen(const RunSettings& s, int* error);

// One row: the names (placeholders already in) and the seconds (kNoTime of
// engine/row_sink.h for an empty cell).
void XlsxRow(XlsxBook* book, const char* artist, const char* title, int32_t seconds);

// The total row after rows rows of tsum seconds (none when s.total is off or
// nothing has a time).
void XlsxTotal(XlsxBook* book, uint64_t tsum, int32_t rows);

// Finishes the workbook, copies it to out and frees the book. False when it
// could not be written (*error: errno).
bool XlsxClose(XlsxBook* book, FILE* out, int* error);

// Frees a book that is not to be written.
void XlsxDiscard(XlsxBook* book);
