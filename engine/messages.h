// What the user is told about a conversion's result: the German message and
// its caption, the same in the desktop program and on the command line.
#pragma once

#include <cstddef>

#include "engine/convert.h"

// Size of a message buffer.
constexpr int MSGSIZE = 500;

// The message about r into text (cap bytes), naming the file it concerns by
// its file name (the source or the target) and, from report, the line of a
// damage or the cause of a failure. A name that does not fit is shortened
// visibly. Returns the caption; for CONVERT_WRITTEN and CONVERT_CANCELLED
// the text is empty and the caption null. The message of
// CONVERT_TARGET_EXISTS is the overwrite question.
const char* ResultMessage(ConvertResult r, const char* source,
                          const char* target, char* text, size_t cap,
                          const RunReport* report = nullptr);

// What the user should know even when the run went well: a copy of the
// target's old content that an earlier run, killed while it wrote the
// target in place, left (report.earlierCopy). The notice into text (cap
// bytes), naming the target by its file name; returns its caption, or null
// and an empty text when there is nothing to tell.
const char* NoticeMessage(const char* target, const RunReport& report, char* text, size_t cap);

// Said after a listing was written from a source that gave no row at all
// (an empty list, a smart list of queries, a document of another kind):
// not a failure, but rarely what the user meant.
constexpr char kNoEntriesText[] = "Die Playlist enthält keine Einträge.";
constexpr char kNoEntriesCaption[] = "Quelldatei lesen";
