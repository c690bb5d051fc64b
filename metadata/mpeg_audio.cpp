#include "metadata/mpeg_audio.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <new>

#include "metadata/container.h"
#include "metadata/id3.h"

namespace {

// The time base of the demuxer's MPEG audio stream: a common multiple of
// every MPEG sample rate, so that every frame lasts a whole number of ticks.
constexpr int64_t kTicks = 14112000;
// How far the first frame is looked for after the start, as the demuxer does.
constexpr int64_t kResyncWindow = 64 * 1024;
// A stream without a frame count is walked to its end; beyond this size the
// demuxer answers instead.
constexpr int64_t kWalkLimit = 64 << 20;
// Header bits that stay the same from frame to frame of one stream.
constexpr uint32_t kSameStreamMask = 0xFFFE0CCF;

struct Header {
  int layer;         // 1, 2, 3
  bool lsf;          // MPEG 2 or 2.5
  int sampleRate;
  int bitRate;       // bits per second
  int frameSize;     // bytes
  int channels;
  int samples;       // per frame
  int bitRateIndex;
};

const int kBitRates[2][3][15] = {
    {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
     {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
     {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}},
    {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}}};
const int kSampleRates[3] = {44100, 48000, 32000};

// Decodes a frame header; false for anything that is not one, or one of the
// free format (no bit rate, so no frame size).
bool Decode(uint32_t h, Header* out) {
  if ((h & 0xFFE00000u) != 0xFFE00000u) return false;
  if ((h & (3u << 19)) == 1u << 19) return false;    // reserved version
  if ((h & (3u << 17)) == 0) return false;           // reserved layer
  if ((h & (0xFu << 12)) == 0xFu << 12) return false;  // bad bit rate
  if ((h & (3u << 10)) == 3u << 10) return false;    // reserved sample rate
  bool mpeg25 = !(h & (1u << 20));
  out->lsf = mpeg25 || !(h & (1u << 19));
  out->layer = 4 - static_cast<int>((h >> 17) & 3);
  out->sampleRate = kSampleRates[(h >> 10) & 3] >> ((out->lsf ? 1 : 0) + (mpeg25 ? 1 : 0));
  out->bitRateIndex = static_cast<int>((h >> 12) & 0xF);
  if (out->bitRateIndex == 0) return false;
  int padding = static_cast<int>((h >> 9) & 1);
  out->channels = ((h >> 6) & 3) == 3 ? 1 : 2;
  int kbps = kBitRates[out->lsf ? 1 : 0][out->layer - 1][out->bitRateIndex];
  out->bitRate = kbps * 1000;
  switch (out->layer) {
    case 1:
      out->frameSize = (kbps * 12000 / out->sampleRate + padding) * 4;
      out->samples = 384;
      break;
    case 2:
      out->frameSize = kbps * 144000 / out->sampleRate + padding;
      out->samples = 1152;
      break;
    default:
      out->frameSize = kbps * 144000 / (out->sampleRate << (out->lsf ? 1 : 0)) + padding;
      out->samples = out->lsf ? 576 : 1152;
      break;
  }
  return true;
}

// Rounds a / b to the nearest whole number, halves away from zero, as the
// demuxer's rescaling does (a, b > 0).
int64_t RoundDiv(int64_t a, int64_t b) { return (a + b / 2) / b; }

// A Xing header may claim 2^32 - 1 frames: at most ~8.7e15 ticks, whose
// thousandfold still fits 63 bits.
int64_t TicksToMicros(int64_t ticks) { return RoundDiv(ticks * 1000, kTicks / 1000); }

// The file as the frame headers are read from it: the headers at the start
// through the file's buffers; a walk over the frames through a buffer of
// its own, a large read at a time.
struct Reader {
  const MediaBytes* f;
  int64_t size;
  std::unique_ptr<unsigned char[]> buf;  // the walk's buffer
  int64_t bufStart = 0;
  int64_t bufLen = 0;
  static constexpr int64_t kBuf = 64 * 1024;
  bool walking = false;

  // Pointer to n bytes at pos, or null when they are not in the file.
  const unsigned char* At(int64_t pos, int64_t n) {
    if (pos < 0 || pos + n > size) return nullptr;
    if (!walking) return PeekBytes(*f, pos, n);
    if (const unsigned char* held = HeldBytes(*f, pos, n)) return held;
    if (pos < bufStart || pos + n > bufStart + bufLen) {
      int64_t want = kBuf > n ? kBuf : n;
      if (want > size - pos) want = size - pos;
      ssize_t got = pread(f->fd, buf.get(), static_cast<size_t>(want), pos);
      if (got < n) return nullptr;
      bufStart = pos;
      bufLen = got;
    }
    return buf.get() + (pos - bufStart);
  }
};

bool HeaderAt(Reader* r, int64_t pos, Header* h, uint32_t* raw = nullptr) {
  const unsigned char* p = r->At(pos, 4);
  if (!p) return false;
  if (raw) *raw = CalcPlainInt(p);
  return Decode(CalcPlainInt(p), h);
}

// The frame count of a Xing/Info or VBRI header in the frame at off, as the
// demuxer reads it. Returns false when the frame carries neither count nor
// size; *afterTag is where the audio frames are looked for then.
bool FrameCount(Reader* r, int64_t off, uint32_t* frames, int64_t* afterTag) {
  Header h;
  *frames = 0;
  *afterTag = off;
  if (!HeaderAt(r, off, &h) || h.layer != 3) return false;
  uint32_t size = 0;
  int64_t xing = off + 4 + (h.lsf ? (h.channels == 1 ? 9 : 17) : (h.channels == 1 ? 17 : 32));
  const unsigned char* p = r->At(xing, 16);
  if (p && (std::memcmp(p, "Xing", 4) == 0 || std::memcmp(p, "Info", 4) == 0)) {
    uint32_t flags = CalcPlainInt(p + 4);
    const unsigned char* q = p + 8;
    if (flags & 1) {
      *frames = CalcPlainInt(q);
      q += 4;
    }
    if (flags & 2) size = CalcPlainInt(q);
    // A file longer than its header says by more than a sixteenth is taken
    // for concatenated files: the count is not believed.
    int64_t rest = r->size - (off + 4);
    if (rest > 0 && size) {
      int64_t lo = rest < size ? rest : size;
      int64_t delta = (rest > size ? rest : size) - lo;
      if (rest > size && delta > lo >> 4) *frames = 0;
    }
  }
  const unsigned char* v = r->At(off + 4 + 32, 18);
  if (v && std::memcmp(v, "VBRI", 4) == 0 && v[4] == 0 && v[5] == 1) {
    size = CalcPlainInt(v + 10);
    *frames = CalcPlainInt(v + 14);
  }
  if (!*frames && !size) return false;
  *afterTag = off + h.frameSize;
  return true;
}

// What the demuxer's search for the first frame finds.
constexpr int64_t kNoFrame = -1;     // none within the window
constexpr int64_t kDemuxFails = -2;  // it ran past the end: the file is refused

// The first frame at or after from, within the demuxer's window, confirmed
// by the next frame header of the same stream. The demuxer gives up on a
// file whose end it reaches while looking (a tag and the start of a frame).
int64_t FirstFrame(Reader* r, int64_t from) {
  for (int64_t i = 0; i < kResyncWindow; ++i) {
    if (from + i + 4 > r->size) return kDemuxFails;
    Header h, h2;
    uint32_t raw, raw2;
    if (!HeaderAt(r, from + i, &h, &raw)) continue;
    if (from + i + h.frameSize + 4 > r->size) return kDemuxFails;
    if (HeaderAt(r, from + i + h.frameSize, &h2, &raw2) &&
        (raw & kSameStreamMask) == (raw2 & kSameStreamMask))
      return from + i;
  }
  return kNoFrame;
}

// A tag at the end of the file after the last frame: the ID3v1 trailer, an
// APE tag (with or without a trailer after it).
bool OnlyTagsFrom(Reader* r, int64_t pos) {
  int64_t end = r->size;
  if (end - pos >= 128) {
    const unsigned char* t = r->At(end - 128, 3);
    if (t && std::memcmp(t, "TAG", 3) == 0) end -= 128;
  }
  if (end - pos >= 32) {
    const unsigned char* a = r->At(end - 32, 32);
    if (a && std::memcmp(a, "APETAGEX", 8) == 0) {
      uint32_t tagSize = a[12] | a[13] << 8 | a[14] << 16 | static_cast<uint32_t>(a[15]) << 24;
      bool header = a[23] & 0x80;
      end -= static_cast<int64_t>(tagSize) + (header ? 32 : 0);
    }
  }
  return pos == end;
}

}  // namespace

BitRates JudgeBitRates(const int64_t perRate[16], int64_t frames) {
  int64_t common = 0;
  for (int k = 0; k < 16; ++k) common = perRate[k] > common ? perRate[k] : common;
  int64_t odd = frames - common;
  if (odd == 0) return RATES_CONSTANT;
  return odd < 3 || odd * 10 < frames ? RATES_NEARLY_CONSTANT : RATES_VARIABLE;
}

int IsMpegAudioHeader(const unsigned char* p) {
  Header h;
  return Decode(CalcPlainInt(p), &h) ? 1 : 0;
}

int64_t MpegAudioTime(const MediaBytes& f, int64_t start) {
  Reader r{&f, f.size, nullptr};
  const int64_t size = f.size;
  // A second ID3v2 tag is read by the demuxer itself.
  const unsigned char* id3 = r.At(start, 3);
  if (id3 && std::memcmp(id3, "ID3", 3) == 0) return -1;

  uint32_t frames;
  int64_t from;
  bool counted = FrameCount(&r, start, &frames, &from);
  int64_t pos = FirstFrame(&r, from);
  // The demuxer refuses the file; what probing makes of it is its business
  // (it may be no MPEG audio at all, whatever its name says).
  if (pos == kDemuxFails) return -1;
  Header first;
  if (counted && frames) {
    HeaderAt(&r, start, &first);
    return TicksToMicros(static_cast<int64_t>(frames) * first.samples * (kTicks / first.sampleRate));
  }
  if (pos < 0 || !HeaderAt(&r, pos, &first)) return -1;
  const int64_t dataStart = pos;
  if (size - dataStart > kWalkLimit) return -1;
  r.buf.reset(new (std::nothrow) unsigned char[Reader::kBuf]);
  if (!r.buf) return -1;
  r.walking = true;
  // The walk reads on to the end of the file: let the kernel read ahead.
  posix_fadvise(f.fd, dataStart, 0, POSIX_FADV_SEQUENTIAL);
  int64_t count = 0;
  int64_t ticks = 0;
  int64_t perRate[16] = {};
  Header h;
  while (pos + 4 <= size && HeaderAt(&r, pos, &h)) {
    if (h.layer != first.layer || h.sampleRate != first.sampleRate) return -1;
    // A cut last frame still counts whole, as the demuxer hands it out.
    ++perRate[h.bitRateIndex];
    ticks += h.samples * (kTicks / h.sampleRate);
    ++count;
    pos += h.frameSize;
  }
  // Anything but tags after the last whole frame: junk the demuxer deals with.
  if (pos < size && !OnlyTagsFrom(&r, pos)) return -1;
  if (count == 0) return -1;
  BitRates rates = JudgeBitRates(perRate, count);
  // A constant-rate stream with a few odd frames: the demuxer's estimate
  // averages their rates in, which only the demuxer can say.
  if (rates == RATES_NEARLY_CONSTANT) return -1;
  if (rates == RATES_CONSTANT) {
    // The demuxer's estimate: every byte from the first frame to the end of
    // the file (trailing tags included) at the stream's bit rate.
    int64_t bytes = size - dataStart;
    int64_t t = RoundDiv(8 * bytes * kTicks, first.bitRate);
    return TicksToMicros(t);
  }
  return TicksToMicros(ticks);
}
