// Helpers that take names apart: on zero-terminated byte strings, byte by
// byte, with no character-set handling.
#pragma once

#include "settings/run_settings.h"

// Start of the last occurrence of pat in str, or null.
char* StrRStr(char* str, const char* pat);

// The last backslash of str; only when there is none, the last slash; or null.
char* StrRSlash(char* str);

// Drops a known media extension (the text after the last '.', any case)
// from a title when the run strips extensions.
void RemoveExt(char* titlestr, const RunSettings& s);
