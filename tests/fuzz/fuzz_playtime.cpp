// The playing time and the container's own names on arbitrary file
// contents, under every extension the reader treats apart: MPEG audio from
// its frame headers, the others (and MPEG audio the headers cannot time)
// through the demuxer with the reads bounded by our own I/O callbacks.
#include <sys/mman.h>

#include "fuzz_support.h"
#include "metadata/id3.h"
#include "metadata/playtime.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const char* const kNames[] = {"a.mp3", "a.mp2", "a.ogg", "a.flac", "a.m4a",
                                       "a.wma", "a.wav", "a.mka", "a.wv",   "a.xyz"};
  static int fd = memfd_create("fuzz_playtime", 0);
  if (size < 1 || fd < 0) return 0;
  const char* name = kNames[data[0] % (sizeof kNames / sizeof kNames[0])];
  if (ftruncate(fd, 0) != 0 ||
      pwrite(fd, data + 1, size - 1, 0) != static_cast<ssize_t>(size - 1))
    return 0;
  char title[64] = "T";
  char artist[64] = "A";
  int32_t names = 0;
  int32_t ms = GetMediaInfoOpen(name, fd, static_cast<int64_t>(size - 1), title, artist,
                                sizeof title, &names);
  if (ms < 0) __builtin_trap();
  // A name found is whole UTF-8 within its buffer; one not found is untouched.
  if (names & ID3_TITLE ? !IsValidUtf8(title, std::strlen(title)) : std::strcmp(title, "T") != 0)
    __builtin_trap();
  if (names & ID3_ARTIST ? !IsValidUtf8(artist, std::strlen(artist))
                         : std::strcmp(artist, "A") != 0)
    __builtin_trap();
  return 0;
}
