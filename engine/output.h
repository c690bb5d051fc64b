// The three output styles (HTML table, formatted text, import text), their
// rows and the total line.
#pragma once

#include <cstdint>
#include <cstdio>

#include "settings/run_settings.h"

// The names of a row whose artist or title cannot be found, or is empty.
constexpr char NOARTIST[] = "(Kein Interpret)";
constexpr char NOTITLE[] = "(Kein Titel)";

// A name as every style shows it, into out (MAXPATH bytes): valid UTF-8
// (text that is not is read as Windows-1252), every control character
// (U+0000-U+001F, U+007F, U+0080-U+009F) a blank, so that no tag can break
// a row or reach a terminal as a command; an empty name the placeholder.
void NameForOutput(char* out, const char* name, const char* placeholder);

// Column order and widths of a run.
struct Columns {
  bool artistFirst;
  int32_t width1;  // width of the first column
  int32_t width2;  // width of the second column
};

Columns ColumnsFrom(const RunSettings& s);

// Size of a time text buffer.
constexpr int TIMEFMT_SIZE = 16;

// "%02d:%02d:%02d" of hours, minutes, seconds of a time in seconds; a
// negative time is 0.
void FormatTime(char* timefmt, int32_t seconds);

// The name part of a row (both name cells) in the run's output style.
void WriteNamePart(FILE* out, const RunSettings& s, const Columns& cols,
                   const char* artist, const char* title);

// The time part of a row: the time cell and the end of the row.
void WriteTimePart(FILE* out, const RunSettings& s, const char* timefmt);

// The import text's first row: the column names in the column order and
// separator of s.
void WriteHeaderRow(FILE* out, const RunSettings& s);

// The closing total line; nothing when i or tsum is 0 or the total line is
// off. Every style ends it with a line feed.
void CreateTotalTime(FILE* outFile, const RunSettings& s, uint64_t tsum,
                     int32_t i);

// Writes text with & < > " escaped for an HTML document.
void PutHtml(FILE* out, const char* text);
