// Where every reader puts its rows: the run's settings, the output stream,
// and the bookkeeping that each reader would otherwise repeat (the running
// total of seconds and the count of rows for the total line).
//
// A row whose names and time come from files (tags, playing time) is a job:
// the reader fills one with what the list says and a function that finds
// the rest, and the sink runs that function on a few threads, up to a window
// of jobs ahead of the row being written. Rows are written strictly in the
// order the reader gave them, so the output is the same with any number of
// threads; memory stays bounded by the window, not by the list.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>

#include "engine/output.h"
#include "engine/run_control.h"
#include "settings/run_settings.h"

// A time that is not known: the time cell stays empty and adds nothing. A
// negative time (a broken export, a name saying "(-5:30)") counts as 0.
constexpr int32_t kNoTime = INT32_MIN;

struct RowJob;
// Finds a job's names and time, on any thread: it reads the job and the
// settings and writes the job only.
typedef void (*ResolveFn)(RowJob* job, const RunSettings& s);

struct RowJob {
  ResolveFn resolve;
  int32_t number;      // for the reader: a time the list gives, a length
  uint32_t flags;      // for the reader: which fields the list gave
  int32_t seconds;     // the row's time, or kNoTime
  char text[MAXENTRY];  // the entry: a list line, a file, an address
  char note[MAXPATH];  // for the reader: a text the list gives
  char title[MAXPATH];
  char artist[MAXPATH];
  int fileError;  // errno of a file that exists and could not be read; 0
};

struct Pipeline;
struct XlsxBook;

struct RowSink {
  FILE* out;
  const RunSettings* s;
  Columns cols;
  uint64_t tsum;    // seconds of every row so far
  int32_t rows;     // rows so far
  int32_t badLine;  // where a damaged source was found to be damaged
  RunControl* ctl;  // null: nobody watches
  bool counting;    // only count the entries: no output, no files read
  XlsxBook* book;   // the workbook the rows go to instead of out; null: none
  char heldArtist[MAXPATH];  // a workbook row's names until its time comes
  char heldTitle[MAXPATH];
  std::unique_ptr<Pipeline> pipe;

  RowSink();
  ~RowSink();
};

// A sink writing to out; with counting, one that only counts the rows.
void SinkInit(RowSink* sink, FILE* out, const RunSettings* s, RunControl* ctl = nullptr,
              bool counting = false);

// The next job to fill, or null when the run is to stop. Rows that are
// ready are written first; when the window is full, this waits for the
// oldest job.
RowJob* NextJob(RowSink* sink);

// Hands the filled job over. readsFiles: its function reads files and may
// run on another thread; else it runs (if set) at once.
void SubmitJob(RowSink* sink, RowJob* job, bool readsFiles);

// One whole row with nothing to find (after every job before it).
void AddRow(RowSink* sink, const char* artist, const char* title, int32_t seconds);

// True when the run is to stop.
bool Cancelled(const RowSink* sink);

// Every job written, then the total line.
void Finish(RowSink* sink);
