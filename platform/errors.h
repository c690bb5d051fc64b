// What went wrong with a file, in German, for the messages of both
// programs.
#pragma once

// A file that exists but is no regular file (a folder, a device, a pipe)
// where one is needed: an error number of our own beside errno's.
constexpr int kNotRegularFile = -2;

// The cause of err (an errno value or kNotRegularFile) as a German phrase
// that completes "... konnte nicht geschrieben werden: <Grund>."
const char* ErrorText(int err);
