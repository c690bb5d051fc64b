// Sizes of the fixed buffers that every layer shares.
#pragma once

#include <climits>

constexpr int MAXPATH = 512;  // bytes of a name buffer and of the folders kept
// A path of a source or target file: as long as Linux allows.
constexpr int MAXFILEPATH = PATH_MAX;
constexpr int MAXNEXT = 100;  // entries of the extension table
// An entry of a list as the readers keep it: a path as long as Linux allows
// (PATH_MAX, 4096 bytes), also when a file address spells every byte as a
// three-byte escape, or a stream's address. A longer line is still one
// entry; what lies past this is not kept.
constexpr int MAXENTRY = 3 * 4096 + 512;
// A line of a list as a reader looks at it: an entry and what a list puts
// around it (an #EXTINF line with many attributes before its title).
constexpr int MAXLINE = 64 * 1024;
