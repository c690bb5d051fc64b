// The settings of one conversion run: a copy of the record taken once at its
// start, so that a run reads one consistent set of values, never the
// program-wide variables, and needs nothing from whoever started it.
#pragma once

#include <climits>
#include <cstdint>

#include "base/limits.h"

// The extension table as a value: every entry a zero-terminated text in buf.
struct ExtTable {
  char buf[MAXPATH];
  uint16_t at[MAXNEXT];  // start of each entry in buf
  int32_t count;
};

// How the threads that read files start: as the run finds reading (the
// program's way), or from the first entry on, one per processor as for
// files in the page cache, or all of them as for a slow disk.
enum AheadAtOnce : int8_t { AHEAD_MEASURED, AHEAD_PER_CORE, AHEAD_EVERY_THREAD };

struct RunSettings {
  bool json;         // one JSON document, for scripts; before every other style
  bool xlsx;         // a workbook (XLSX); before every other style but JSON
  bool html;         // HTML table
  bool tfmt;         // fixed-width text (when not HTML); else import text
  bool komma;        // import text separated by "," (else tab)
  bool total;        // total line
  bool formula;      // import text's total as a formula
  bool header;       // import text's first row: the column names
  bool stripExt;     // known extensions removed from titles
  bool artistFirst;  // column order
  int32_t widthArtist;
  int32_t widthTitle;
  ExtTable ext;
  char source[MAXFILEPATH];  // the source list, whose folder relative entries use
  // The list comes on standard input (source then names the working folder's
  // "-", so that relative entries are relative to the working folder).
  bool fromStdin;
  // The source's format as given ("m3u", "pls", "xspf", "wpl", "asx",
  // "xml"), before its name and content; empty: by name and content.
  char format[8];
  // Where relative entries that name no file beside the list are looked
  // for: the setting, else the system's music folder; empty when none.
  char musicDir[PATH_MAX];
  // Threads that read the entries' files ahead of the row being written;
  // 1 reads each file when its row is written. Not stored: the
  // environment's MIRTUN_THREADS (1..64) or 8.
  int32_t threads;
  // Whether the threads read ahead from the first entry on, not only once
  // reading turns out long or slow (see engine/row_sink.cpp); for tests of
  // the threads.
  AheadAtOnce aheadAtOnce;
};

// The record as it is now.
RunSettings TakeRunSettings();

// The import text's separator: "," or a tab.
inline const char* Separator(const RunSettings& s) { return s.komma ? "," : "\t"; }
