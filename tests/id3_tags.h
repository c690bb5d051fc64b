// ID3 tags built byte by byte for the tag and list reader tests, with the
// shared test helpers.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>

#include <zlib.h>

#include "support.h"

// n copies of bytes.
inline std::string Repeat(const std::string& bytes, int n) {
  std::string r;
  for (int k = 0; k < n; ++k) r += bytes;
  return r;
}

// UTF-16 text as little-endian bytes, without a byte-order mark.
inline std::string Utf16Le(const std::u16string& s) {
  std::string r;
  for (char16_t c : s) r += {char(c & 0xFF), char(c >> 8)};
  return r;
}

// ID3 tags written byte by byte.
namespace id3 {

inline std::string Be32(uint32_t v) {
  return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
}
inline std::string SyncSafe(uint32_t v) {
  return {char((v >> 21) & 0x7F), char((v >> 14) & 0x7F), char((v >> 7) & 0x7F),
          char(v & 0x7F)};
}
// A frame: header (plain size for version 3, sync-safe for 4; the second
// flag byte given) and body.
inline std::string Frame(const std::string& id, const std::string& body, int major = 3,
                         char flags = 0) {
  uint32_t n = static_cast<uint32_t>(body.size());
  return id + (major == 4 ? SyncSafe(n) : Be32(n)) + '\0' + flags + body;
}
// A version 2.2 frame: three-character id, 3-byte size, no flags.
inline std::string Frame22(const std::string& id, const std::string& body) {
  uint32_t n = static_cast<uint32_t>(body.size());
  return id + char(n >> 16) + char(n >> 8) + char(n) + body;
}
// Unsynchronised bytes: a zero after every 0xFF.
inline std::string Unsync(const std::string& bytes) {
  std::string r;
  for (char c : bytes) {
    r += c;
    if (c == '\xFF') r += '\0';
  }
  return r;
}
// bytes compressed as a compressed frame carries them.
inline std::string Deflate(const std::string& bytes) {
  uLongf n = compressBound(bytes.size());
  std::string r(n, '\0');
  compress(reinterpret_cast<Bytef*>(&r[0]), &n, reinterpret_cast<const Bytef*>(bytes.data()),
           bytes.size());
  r.resize(n);
  return r;
}
// A text frame with encoding byte enc.
inline std::string Text(const std::string& id, const std::string& text, char enc = 0,
                        int major = 3) {
  return Frame(id, std::string(1, enc) + text, major);
}
// A tag: header and content; the size field counts the content.
inline std::string Tag(const std::string& content, int major = 3, unsigned char flags = 0) {
  return std::string("ID3") + char(major) + '\0' + char(flags) +
         SyncSafe(static_cast<uint32_t>(content.size())) + content;
}
// A 128-byte ID3v1 trailer.
inline std::string Trailer(const std::string& title, const std::string& artist) {
  std::string t = "TAG" + std::string(125, '\0');
  t.replace(3, std::min<size_t>(title.size(), 30), title.substr(0, 30));
  t.replace(33, std::min<size_t>(artist.size(), 30), artist.substr(0, 30));
  return t;
}

}  // namespace id3
