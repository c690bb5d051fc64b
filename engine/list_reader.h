// The companions of the plain-list reader (the reader itself, OutputLine, is
// declared with the other readers in engine/readers.h).
#pragma once

#include <cstddef>

// 1 when szPath names a regular file (a symbolic link is followed), else 0.
// Directories, FIFOs, devices and sockets do not count: they are never read.
int FileExists(const char* szPath);

// The path of a list entry: an entry starting with "/" as it is, any other
// relative to the folder of the list at listPath.
void ResolveEntry(const char* entry, const char* listPath, char* out, size_t cap);
