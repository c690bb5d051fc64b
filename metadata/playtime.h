// The playing time of a media file, from the container and stream headers
// as a media player's demuxer reads them.
#pragma once

#include <cstdint>

// Playing time of FileName in milliseconds, or 0 when it cannot be had (no
// such file, not a regular file, not a media file, no known length). Reads a
// bounded part of the file whatever it holds, keeps nothing open and prints
// nothing.
int32_t GetMP3Length(const char* FileName);
