// Readers of container headers (FLAC, Ogg, MP4) that give the playing time
// and the title and artist the demuxer would report, without the demuxer.
// Each reader answers only when it is sure of the demuxer's answer; for
// anything it does not know (an odd layout, a damaged header, a feature that
// changes what the demuxer reports) it says no, and the demuxer is asked.
#pragma once

#include <cstddef>
#include <cstdint>

// What a media file is read through: its head, read when the file is
// opened; its tail, read when a few bytes of it are first asked for; and
// one window that a read of a few bytes elsewhere fills (the frames after a
// cover picture, a page in the middle). The head holds an ordinary ID3v2
// tag and the first MPEG frames after it, the tail an ID3v1 trailer and an
// APE footer, which a file fully tagged in its head is never asked for; a
// common file is read in one or two calls; only a larger read goes to the
// file directly. For a file in the page cache, copying its bytes out is
// most of the time it takes: the buffers are no larger than that. A file no
// larger than kMediaWholeBytes is read whole in one call; the call saved
// costs about what copying its bytes beyond the head does.
constexpr int64_t kMediaHeadBytes = 4096;
constexpr int64_t kMediaTailBytes = 1024;
constexpr int64_t kMediaWindowBytes = 4096;
constexpr int64_t kMediaWholeBytes = 2 * kMediaHeadBytes + kMediaTailBytes;

// The window's bytes: [pos, pos + len) of the file.
struct MediaWindow {
  unsigned char bytes[kMediaWindowBytes];
  int64_t pos = 0;
  int64_t len = 0;
};

// The tail's bytes: [pos, pos + len) of the file once read.
struct MediaTail {
  unsigned char bytes[kMediaTailBytes];
  int64_t pos = 0;
  int64_t len = 0;
  bool read = false;
};

// An open media file as the readers see it: bytes already in buffers
// (head, tail, window), positioned reads for what lies beyond.
struct MediaBytes {
  int fd = -1;                          // not owned
  int64_t size = 0;                     // bytes in the file
  const unsigned char* head = nullptr;  // file bytes [headPos, headPos + headLen)
  int64_t headPos = 0;
  int64_t headLen = 0;
  MediaTail* tail = nullptr;      // not owned; null: the head holds the file
  MediaWindow* window = nullptr;  // not owned; null: every other read goes to the file
};

// The buffers behind a MediaBytes: a small file is read whole into the
// head.
struct MediaBuffers {
  unsigned char head[kMediaWholeBytes];
  MediaTail tail;
  MediaWindow window;
};

// The file at fd (size bytes, never read past) as seen through b: its head
// read now. A read that fails leaves its buffer empty; those bytes are then
// asked of the file when needed.
MediaBytes LoadMediaBytes(int fd, int64_t size, MediaBuffers* b);

// Copies n bytes at pos into out, from the buffers when they hold them; false
// when the file does not hold them all.
bool ReadBytes(const MediaBytes& f, int64_t pos, void* out, int64_t n);

// The same, up to where a read first fails: the bytes copied.
int64_t CopyBytes(const MediaBytes& f, int64_t pos, void* out, int64_t n);

// The n bytes at pos (n at most kMediaWindowBytes) where a buffer holds
// them, the window filled from pos when none does; null when the file does
// not hold them. Valid until the next read through f.
const unsigned char* PeekBytes(const MediaBytes& f, int64_t pos, int64_t n);

// The same without filling the window: null when no buffer holds them.
const unsigned char* HeldBytes(const MediaBytes& f, int64_t pos, int64_t n);

// A tag value as the demuxer holds it (before it is shown): big enough for
// any real title; a longer one is left to the demuxer.
constexpr size_t kTagValueCap = 4096;

// What a reader found: the time in microseconds and the raw title and artist
// ("" when the file has none that is not empty).
struct ContainerInfo {
  int64_t us = -1;
  char title[kTagValueCap] = {};
  char artist[kTagValueCap] = {};
  // A value seen, even one that is empty up to a zero byte: the next one is
  // joined to it.
  bool titleSeen = false;
  bool artistSeen = false;
};

// A packet's bytes read in order: a FLAC metadata block, an Ogg packet over
// pages. next copies the next n bytes into out (null skips them) and fails
// when the packet or the file ends first; left is what the packet still
// holds.
struct PacketBytes {
  void* ctx;
  bool (*next)(void* ctx, unsigned char* out, int64_t n);
  int64_t left;
};

// The Vorbis comments of a packet (vendor, count, KEY=value items) as the
// demuxer reads them: keys in any case, empty keys and values dropped, each
// value up to its first zero byte, several values of one key joined by ";".
// Takes TITLE and ARTIST into info (appending to what an earlier comment
// block of the same file gave). False when the block is damaged in a way
// the demuxer reads only partly, or a value does not fit.
bool ReadVorbisComment(PacketBytes* p, ContainerInfo* info);

// Little- and big-endian numbers of the bytes at b.
uint32_t Le32(const unsigned char* b);
uint64_t Le64(const unsigned char* b);
uint32_t Be32(const unsigned char* b);
uint64_t Be64(const unsigned char* b);

// Microseconds of ticks at rate per second, rounded to the nearest as the
// demuxer rescales (ticks >= 0, rate > 0); -1 when it would overflow.
int64_t TicksToMicros(uint64_t ticks, uint64_t rate);

// The readers, each on the file from start (past a leading ID3v2 tag): true
// with info filled when the headers answer for sure.
bool FlacInfo(const MediaBytes& f, int64_t start, ContainerInfo* info);
bool OggInfo(const MediaBytes& f, int64_t start, ContainerInfo* info);
bool Mp4Info(const MediaBytes& f, int64_t start, ContainerInfo* info);
