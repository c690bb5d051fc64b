// The two parts of a path: the folder part (up to and including its last
// "/") and the file name part after it. Only "/" separates here; list
// entries that may hold Windows paths are split by StrRSlash instead.
#pragma once

#include <cstddef>

// Bytes of path's folder part, its last "/" included; 0 when it has none.
size_t PathFolderLen(const char* path);

// The file name after the last "/" of path, or all of path.
const char* PathFileName(const char* path);
