// The conversion run: opens the source and the target, writes the HTML
// frame and hands the source to the reader its extension names. It takes
// its settings as a value and returns what happened; telling the user is the
// business of the front ends (engine/messages.h has the texts).
#pragma once

#include <cstdio>

#include "engine/textstream.h"
#include "settings/run_settings.h"

enum ConvertResult {
  CONVERT_WRITTEN,        // every byte reached the target
  CONVERT_NO_SOURCE,      // the source is no regular file that can be read
  CONVERT_SAME_FILE,      // the target is the source itself
  CONVERT_TARGET_EXISTS,  // the target exists and overwriting was not allowed
  CONVERT_CANNOT_OPEN,    // the target cannot be created
  CONVERT_WRITE_FAILED,   // writing failed; an existing target is unchanged
  CONVERT_SOURCE_DAMAGED, // the source is not well-formed; nothing is written
};

// A UTF-8 byte-order mark skipped, then HTML head, the reader's rows and
// total line, HTML tail. Returns 1; 0 when the reader found the source
// damaged (the total line and the HTML tail are then not written) and
// *badLine (when given) the line where it found the damage.
int WriteListing(TextStream* inFile, FILE* outFile, const RunSettings& s,
                 int32_t* badLine = nullptr);

// Writes the listing of s.source to the file target. An existing target is
// replaced only with overwrite; it is replaced in one step, so that it stays
// as it was when anything fails. For CONVERT_SOURCE_DAMAGED *badLine (when
// given) is the line of the source where the damage was found.
ConvertResult ConvertToFile(const RunSettings& s, const char* target,
                            bool overwrite, int32_t* badLine = nullptr);

// Writes the listing of s.source to a stream that is already open (standard
// output), and flushes it. The rows before a damage are written then.
ConvertResult ConvertToStream(const RunSettings& s, FILE* outFile,
                              int32_t* badLine = nullptr);
