#include "metadata/container.h"

#include <unistd.h>

#include <cstring>

bool ReadBytes(const MediaBytes& f, int64_t pos, void* out, int64_t n) {
  if (pos < 0 || n < 0 || pos > f.size || n > f.size - pos) return false;
  if (n == 0) return true;
  if (f.head && pos >= f.headPos && pos - f.headPos <= f.headLen - n) {
    std::memcpy(out, f.head + (pos - f.headPos), static_cast<size_t>(n));
    return true;
  }
  unsigned char* dst = static_cast<unsigned char*>(out);
  while (n > 0) {
    ssize_t got = pread(f.fd, dst, static_cast<size_t>(n), pos);
    if (got <= 0) return false;
    dst += got;
    pos += got;
    n -= got;
  }
  return true;
}

uint32_t Le32(const unsigned char* b) {
  return b[0] | b[1] << 8 | b[2] << 16 | static_cast<uint32_t>(b[3]) << 24;
}

uint64_t Le64(const unsigned char* b) { return Le32(b) | static_cast<uint64_t>(Le32(b + 4)) << 32; }

uint32_t Be32(const unsigned char* b) {
  return static_cast<uint32_t>(b[0]) << 24 | b[1] << 16 | b[2] << 8 | b[3];
}

uint64_t Be64(const unsigned char* b) { return static_cast<uint64_t>(Be32(b)) << 32 | Be32(b + 4); }

int64_t TicksToMicros(uint64_t ticks, uint64_t rate) {
  if (rate == 0) return -1;
  unsigned __int128 us = (static_cast<unsigned __int128>(ticks) * 1000000 + rate / 2) / rate;
  return us > static_cast<unsigned __int128>(INT64_MAX) ? -1 : static_cast<int64_t>(us);
}
