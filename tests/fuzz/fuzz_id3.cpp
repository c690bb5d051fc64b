// The tag reader on arbitrary file contents, through an in-memory file.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "metadata/id3.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static int fd = memfd_create("fuzz_id3", 0);
  static char path[64];
  if (!path[0]) std::snprintf(path, sizeof path, "/proc/self/fd/%d", fd);
  if (ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != static_cast<ssize_t>(size))
    return 0;
  // Both the reader's usual buffer size and the smallest allowed one.
  char title[512] = "T";
  char artist[512] = "A";
  ReadTags(path, title, artist, sizeof title);
  if (std::strlen(title) > 510 || std::strlen(artist) > 510) __builtin_trap();
  char t31[31] = "T";
  char a31[31] = "A";
  ReadTagsV2(path, t31, a31, sizeof t31);
  ReadTagsV1(path, t31, a31, sizeof t31);
  if (std::strlen(t31) > 30 || std::strlen(a31) > 30) __builtin_trap();
  return 0;
}
