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
};

// HTML head, the reader's rows and total line, HTML tail.
void WriteListing(TextStream* inFile, FILE* outFile, const RunSettings& s);

// Writes the listing of s.source to the file target. An existing target is
// replaced only with overwrite; it is replaced in one step, so that it stays
// as it was when anything fails.
ConvertResult ConvertToFile(const RunSettings& s, const char* target,
                            bool overwrite);

// Writes the listing of s.source to a stream that is already open (standard
// output), and flushes it.
ConvertResult ConvertToStream(const RunSettings& s, FILE* outFile);
