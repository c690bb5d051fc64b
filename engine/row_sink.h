// Where every reader puts its rows: the run's settings, the output stream,
// and the bookkeeping that each reader would otherwise repeat (the running
// total of seconds and the count of rows for the total line).
#pragma once

#include <cstdint>
#include <cstdio>

#include "engine/output.h"
#include "settings/run_settings.h"

// The names of a row whose artist or title cannot be found.
constexpr char NOARTIST[] = "(Kein Interpret)";
constexpr char NOTITLE[] = "(Kein Titel)";

// A time that is not known: the time cell stays empty and adds nothing.
constexpr int32_t kNoTime = INT32_MIN;

struct RowSink {
  FILE* out;
  const RunSettings* s;
  Columns cols;
  uint32_t tsum;  // seconds of every row so far
  int32_t rows;   // rows so far
  int32_t badLine;  // where a damaged source was found to be damaged
};

void SinkInit(RowSink* sink, FILE* out, const RunSettings* s);

// One whole row.
void AddRow(RowSink* sink, const char* artist, const char* title,
            int32_t seconds);

// A row in two halves, for a source whose names and times come on lines of
// their own: the names first, then the time, which ends and counts the row.
void AddNamePart(RowSink* sink, const char* artist, const char* title);
void AddTimePart(RowSink* sink, int32_t seconds);

// The total line after the last row.
void Finish(RowSink* sink);
