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
