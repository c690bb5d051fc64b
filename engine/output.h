// The three output styles (HTML table, formatted text, import text), their
// rows and the total line.
#pragma once

#include <cstdint>
#include <cstdio>

// Column order and widths, fixed once at the start of a reader's run.
struct Columns {
  bool artistFirst;
  int32_t width1;  // width of the first column
  int32_t width2;  // width of the second column
};

Columns ColumnsFromSettings();

// Size of a time text buffer.
constexpr int TIMEFMT_SIZE = 16;

// "%02d:%02d:%02d" of hours, minutes, seconds of a time in seconds.
void FormatTime(char* timefmt, int32_t seconds);

// A full row: artist, title and time text in the active output style.
void WriteFullRow(FILE* out, const char* sep, const Columns& cols,
                  const char* artist, const char* title, const char* timefmt);

// The name part of a split row.
void WriteNamePart(FILE* out, const char* sep, const Columns& cols,
                   const char* artist, const char* title);

// The time part of a split row.
void WriteTimePart(FILE* out, const char* timefmt);

// The closing total line; nothing when i or tsum is 0 or the flag is off.
void CreateTotalTime(FILE* outFile, const char* sep, uint32_t tsum, int32_t i);

// Writes text with & < > " escaped for an HTML document.
void PutHtml(FILE* out, const char* text);
