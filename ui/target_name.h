// The target name: derived from the source, and its extension following the
// output style.
#pragma once

#include <cstddef>

// Replaces the text from the last "." of path (capacity cap bytes) to its
// end by ext. Returns 1 when replaced; 0 when path holds no "." or when the
// result would not fit, and path stays as it was: a half-written extension
// would name a file of the wrong kind.
int ReplaceExtension(char* path, size_t cap, const char* ext);

// g_savFName <- the remembered target folder (g_sInitDir, else the source's
// folder g_oInitDir), the source's file name, and the current style's
// extension in place of the last extension.
void CreateSavName();
