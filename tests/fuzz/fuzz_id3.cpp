// The tag reader on arbitrary file contents, through an in-memory file.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "metadata/id3.h"

static int g_fd = -1;
static char g_path[64];

static bool Store(const uint8_t* data, size_t size) {
  if (g_fd < 0) {
    g_fd = memfd_create("fuzz_id3", 0);
    std::snprintf(g_path, sizeof g_path, "/proc/self/fd/%d", g_fd);
  }
  return ftruncate(g_fd, 0) == 0 && pwrite(g_fd, data, size, 0) == static_cast<ssize_t>(size);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!Store(data, size)) return 0;
  // Both the reader's usual buffer size and the smallest allowed one.
  char title[512] = "T";
  char artist[512] = "A";
  ReadTags(g_path, title, artist, sizeof title);
  if (std::strlen(title) > 510 || std::strlen(artist) > 510) __builtin_trap();
  char t31[31] = "T";
  char a31[31] = "A";
  ReadTagsV2(g_path, t31, a31, sizeof t31);
  ReadTagsV1(g_path, t31, a31, sizeof t31);
  if (std::strlen(t31) > 30 || std::strlen(a31) > 30) __builtin_trap();

  // The names of an ID3v2 tag come from its own bytes only: with every byte
  // after the tag changed they stay the same.
  V2HEADER hd;
  if (size < sizeof hd) return 0;
  std::memcpy(&hd, data, sizeof hd);
  if (!IsID3V2(&hd)) return 0;
  size_t tagEnd = 10 + static_cast<size_t>(CalcSyncSafeInt(hd.size));
  if (tagEnd >= size) return 0;
  char t1[512] = "T", a1[512] = "A", t2[512] = "T", a2[512] = "A";
  ReadTagsV2(g_path, t1, a1, sizeof t1);
  std::vector<uint8_t> other(data, data + size);
  for (size_t k = tagEnd; k < size; ++k) other[k] ^= 0xA5;
  if (!Store(other.data(), other.size())) return 0;
  ReadTagsV2(g_path, t2, a2, sizeof t2);
  if (std::strcmp(t1, t2) != 0 || std::strcmp(a1, a2) != 0) __builtin_trap();
  return 0;
}
