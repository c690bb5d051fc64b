// The conversion run: opens the source and the target, writes the HTML
// frame and hands the source to the reader its extension names. It takes
// its settings as a value and returns what happened; telling the user is the
// business of the front ends (engine/messages.h has the texts).
#pragma once

#include <cstdio>
#include <string>

#include "engine/run_control.h"
#include "engine/textstream.h"
#include "platform/files.h"
#include "settings/run_settings.h"

enum ConvertResult {
  CONVERT_WRITTEN,        // every byte reached the target
  CONVERT_NO_SOURCE,      // the source does not exist
  CONVERT_SOURCE_NOT_FILE,  // the source is a folder, a device or a pipe
  CONVERT_SOURCE_UNREADABLE,  // the source cannot be read (report.error)
  CONVERT_SAME_FILE,      // the target is the source itself
  CONVERT_TARGET_EXISTS,  // the target exists and overwriting was not allowed
  CONVERT_CANNOT_OPEN,    // the target cannot be created (report.error)
  CONVERT_WRITE_FAILED,   // writing failed (report.error); an existing
                          // target is unchanged unless report.old says
                          // otherwise
  CONVERT_SOURCE_DAMAGED, // the source is not well-formed; nothing is written
  CONVERT_CANCELLED,      // stopped on request; an existing target is unchanged
  CONVERT_NOT_PLAYLIST,   // the source is no list (a media file, binary data);
                          // nothing is written
};

// The details of a result beyond its kind.
struct RunReport {
  int32_t badLine = 0;  // CONVERT_SOURCE_DAMAGED: where
  int32_t rows = 0;     // rows written: 0 tells of a list without entries
  int error = 0;        // errno (or kNotRegularFile) of a failure
  // A target written in place (platform/files.h): what became of its old
  // content when writing failed, and the folder or the copy that old
  // speaks of.
  OldContent old = OLD_UNTOUCHED;
  std::string copyPath;
  // Not a failure but worth telling, whatever the result: a copy of the
  // target's old content that an earlier, killed run left, now at this path.
  std::string earlierCopy;
};

// A UTF-8 byte-order mark skipped, the reader chosen by the source's name
// and first bytes, then HTML head, the reader's rows and total line, HTML
// tail. Returns the reader's result (engine/readers.h): READ_WHOLE, or
// READ_DAMAGED (report->badLine the line where the damage was found),
// READ_STOPPED or READ_FAILED (report->error: the source could not be read
// on), after which the total line and the HTML tail are not written; or
// READ_NOT_LIST before anything is written. report (when given) receives
// the rows written. ctl (when given) is told the rows written and may stop
// the run.
int WriteListing(TextStream* inFile, FILE* outFile, const RunSettings& s,
                 RunReport* report = nullptr, RunControl* ctl = nullptr);

// The number of entries of the source, as its reader counts them without
// reading any file; -1 when it cannot be read.
int64_t CountEntries(const RunSettings& s);

// The checks of ConvertToFile that come before writing: CONVERT_WRITTEN
// when nothing stands in the way.
ConvertResult CheckConversion(const RunSettings& s, const char* target, bool overwrite,
                              RunReport* report = nullptr);

// Writes the listing of s.source to the file target. An existing target is
// replaced only with overwrite; it is replaced in one step, so that it stays
// as it was when anything fails or the run is stopped. report (when given)
// receives the details (the line of a damage, the cause of a failure). With ctl, the entries are counted first
// (ctl->total), ctl->done follows the rows, and ctl->cancel stops the run.
ConvertResult ConvertToFile(const RunSettings& s, const char* target,
                            bool overwrite, RunReport* report = nullptr,
                            RunControl* ctl = nullptr);

// Writes the listing of s.source to a stream that is already open (standard
// output), and flushes it. The rows before a damage are written then.
ConvertResult ConvertToStream(const RunSettings& s, FILE* outFile,
                              RunReport* report = nullptr, RunControl* ctl = nullptr);
