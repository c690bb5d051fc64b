// Sizes of the fixed buffers that every layer shares.
#pragma once

constexpr int MAXPATH = 512;  // bytes of every path, line and name buffer
constexpr int MAXNEXT = 100;  // entries of the extension table
