// FLAC: "fLaC" and the metadata blocks before the audio frames. STREAMINFO
// gives the time (total samples over the sample rate), VORBIS_COMMENT the
// names; every other block is skipped by its length.
#include <cstring>

#include "metadata/container.h"

namespace {

enum BlockType { STREAMINFO = 0, PADDING = 1, APPLICATION = 2, SEEKTABLE = 3,
                 VORBIS_COMMENT = 4, CUESHEET = 5, PICTURE = 6 };
constexpr int64_t kStreamInfoSize = 34;
// More blocks than any real file has: the rest is left to the demuxer.
constexpr int kMaxBlocks = 256;

// A metadata block's bytes, one file range.
struct Range {
  const MediaBytes* f;
  int64_t pos;
};

bool NextInRange(void* ctx, unsigned char* out, int64_t n) {
  Range* r = static_cast<Range*>(ctx);
  if (out && !ReadBytes(*r->f, r->pos, out, n)) return false;
  r->pos += n;
  return true;
}

}  // namespace

bool FlacInfo(const MediaBytes& f, int64_t start, ContainerInfo* info) {
  unsigned char b[kStreamInfoSize];
  if (!ReadBytes(f, start, b, 4) || std::memcmp(b, "fLaC", 4) != 0) return false;
  int64_t pos = start + 4;
  bool haveInfo = false;
  bool last = false;
  for (int k = 0; !last; ++k) {
    if (k == kMaxBlocks || !ReadBytes(f, pos, b, 4)) return false;
    last = b[0] & 0x80;
    int type = b[0] & 0x7F;
    int64_t len = b[1] << 16 | b[2] << 8 | b[3];
    pos += 4;
    // The demuxer reads these blocks whole and fails on a cut one; a
    // truncated file is its business.
    if (len > f.size - pos) return false;
    // STREAMINFO comes first and once, with its fixed size.
    if ((k == 0) != (type == STREAMINFO)) return false;
    switch (type) {
      case STREAMINFO: {
        if (len != kStreamInfoSize || !ReadBytes(f, pos, b, len)) return false;
        uint32_t rate = (b[10] << 16 | b[11] << 8 | b[12]) >> 4;
        uint64_t samples = (static_cast<uint64_t>(b[13] & 0x0F) << 32) | Be32(b + 14);
        // Without a rate or a sample count the demuxer estimates.
        if (rate == 0 || samples == 0) return false;
        info->us = TicksToMicros(samples, rate);
        haveInfo = true;
        break;
      }
      case VORBIS_COMMENT: {
        Range r{&f, pos};
        PacketBytes p{&r, NextInRange, len};
        if (!ReadVorbisComment(&p, info)) return false;
        break;
      }
      case PADDING: case APPLICATION: case SEEKTABLE: case PICTURE: break;
      default: return false;  // a cue sheet, a reserved or invalid type
    }
    pos += len;
  }
  return haveInfo && info->us > 0;
}
