// Vorbis comments: the tag block of FLAC, Ogg Vorbis, Opus and FLAC in Ogg.
#include <cstring>

#include "base/text.h"
#include "metadata/container.h"

namespace {

// Bytes of a comment read to find its key: a longer key is neither TITLE
// nor ARTIST.
constexpr int64_t kKeyPeek = 16;

bool Next(PacketBytes* p, unsigned char* out, int64_t n) {
  if (n > p->left || !p->next(p->ctx, out, n)) return false;
  p->left -= n;
  return true;
}

// Appends a value (len bytes, read from p after the peeked part) to dst as
// the demuxer's dictionary does: the first value as it is, a later one
// after ";". Everything after a zero byte in the value is dropped.
bool AppendValue(PacketBytes* p, const unsigned char* peeked, int64_t peekedLen, int64_t len,
                 char* dst, bool* seen) {
  size_t used = std::strlen(dst);
  if (*seen) {
    if (used + 1 >= kTagValueCap) return false;
    dst[used++] = ';';
    dst[used] = '\0';
  }
  *seen = true;
  if (static_cast<int64_t>(kTagValueCap - 1 - used) < len) return false;
  unsigned char* out = reinterpret_cast<unsigned char*>(dst + used);
  std::memcpy(out, peeked, static_cast<size_t>(peekedLen));
  if (!Next(p, out + peekedLen, len - peekedLen)) return false;
  out[len] = '\0';  // a zero byte inside ends the value where it stands
  return true;
}

}  // namespace

bool ReadVorbisComment(PacketBytes* p, ContainerInfo* info) {
  unsigned char b[4];
  if (!Next(p, b, 4)) return false;
  uint32_t vendor = Le32(b);
  if (vendor > INT32_MAX || p->left - 4 < static_cast<int64_t>(vendor)) return false;
  if (!Next(p, nullptr, vendor) || !Next(p, b, 4)) return false;
  uint32_t count = Le32(b);
  // The demuxer stops quietly at a count larger than the items there are;
  // the items read until then count. Anything else odd goes to the demuxer.
  while (p->left >= 4 && count > 0) {
    if (!Next(p, b, 4)) return false;
    uint32_t len = Le32(b);
    if (len > INT32_MAX || static_cast<int64_t>(len) > p->left) return false;
    --count;
    unsigned char peek[kKeyPeek];
    int64_t peeked = len < kKeyPeek ? len : kKeyPeek;
    if (!Next(p, peek, peeked)) return false;
    const unsigned char* eq = static_cast<const unsigned char*>(std::memchr(peek, '=', peeked));
    // The demuxer's key ends at a zero byte: "TITLE\0x" is its TITLE.
    if (std::memchr(peek, '\0', eq ? eq - peek : peeked)) return false;
    // A key of 0 bytes, or a value of 0 bytes, is dropped.
    int64_t keyLen = eq ? eq - peek : -1;
    int64_t valueLen = len - keyLen - 1;
    char* dst = nullptr;
    bool* seen = nullptr;
    if (keyLen == 5 && EqualsNoCaseN(reinterpret_cast<const char*>(peek), "TITLE", 5)) {
      dst = info->title;
      seen = &info->titleSeen;
    } else if (keyLen == 6 && EqualsNoCaseN(reinterpret_cast<const char*>(peek), "ARTIST", 6)) {
      dst = info->artist;
      seen = &info->artistSeen;
    }
    if (dst && valueLen > 0) {
      if (!AppendValue(p, eq + 1, peeked - keyLen - 1, valueLen, dst, seen)) return false;
    } else if (!Next(p, nullptr, len - peeked)) {
      return false;
    }
  }
  return true;
}
