#include "metadata/id3.h"

#include <unistd.h>

#include <cstring>
#include <memory>
#include <new>

#include "base/text.h"
#include "platform/files.h"

// The window is large enough for the frame headers of an ordinary tag; a
// cover picture is skipped by moving the position, and the header after it
// refills the window once.
static const size_t kWindow = 8192;

struct TagStream {
  int fd = -1;
  uint64_t size = 0;      // the file's size when it was opened
  uint64_t pos = 0;       // read position; may lie past the end, as fseek allows
  uint64_t winStart = 0;  // the window holds the bytes [winStart, winStart + winLen)
  size_t winLen = 0;
  unsigned char win[kWindow];

  TagStream() = default;
  TagStream(const TagStream&) = delete;
  TagStream& operator=(const TagStream&) = delete;
  ~TagStream() {
    if (fd >= 0) close(fd);
  }
};

// Opens a regular file for reading; a FIFO, a device or a directory is not
// read at all.
static int OpenTagStream(TagStream* ts, const char* path) {
  int64_t size;
  ts->fd = OpenRegularFile(path, &size);
  if (ts->fd < 0) return 0;
  ts->size = static_cast<uint64_t>(size);
  return 1;
}

static size_t PreadAll(int fd, unsigned char* dst, size_t n, uint64_t at) {
  size_t got = 0;
  while (got < n) {
    ssize_t r = pread(fd, dst + got, n - got, static_cast<off_t>(at + got));
    if (r <= 0) break;
    got += static_cast<size_t>(r);
  }
  return got;
}

// fread at the current position: up to n bytes, fewer at the end of the file.
static size_t TsRead(TagStream* ts, void* dst, size_t n) {
  if (ts->pos >= ts->size) return 0;
  if (n > ts->size - ts->pos) n = static_cast<size_t>(ts->size - ts->pos);
  unsigned char* out = static_cast<unsigned char*>(dst);
  size_t got;
  if (ts->pos >= ts->winStart && ts->pos + n <= ts->winStart + ts->winLen) {
    std::memcpy(out, ts->win + (ts->pos - ts->winStart), n);
    got = n;
  } else if (n <= kWindow) {
    ts->winStart = ts->pos;
    ts->winLen = PreadAll(ts->fd, ts->win, kWindow, ts->pos);
    got = n < ts->winLen ? n : ts->winLen;
    std::memcpy(out, ts->win, got);
  } else {
    got = PreadAll(ts->fd, out, n, ts->pos);
  }
  ts->pos += got;
  return got;
}

// fseek relative to the current position; a position before the start of
// the file fails and leaves the position as it was.
static void TsSeekCur(TagStream* ts, int64_t delta) {
  if (delta < 0 && static_cast<uint64_t>(-delta) > ts->pos) return;
  ts->pos += static_cast<uint64_t>(delta);
}

static uint32_t CalcPlainInt(const unsigned char* b) {
  return (static_cast<uint32_t>(b[0]) << 24) | (static_cast<uint32_t>(b[1]) << 16) |
         (static_cast<uint32_t>(b[2]) << 8) | b[3];
}

int32_t CalcSyncSafeInt(const unsigned char* size) {
  return (static_cast<int32_t>(size[0]) << 21) + (static_cast<int32_t>(size[1]) << 14) +
         (static_cast<int32_t>(size[2]) << 7) + size[3];
}

int32_t IsID3V2Header(const V2HEADER* v2hd) {
  if (std::memcmp(v2hd->id3, "ID3", 3) != 0) return 0;
  if (v2hd->version[0] == 0xFF || v2hd->version[1] == 0xFF) return 0;
  for (unsigned char b : v2hd->size)
    if (b >= 0x80) return 0;
  return 1;
}

int64_t ID3V2TagBytes(const V2HEADER* v2hd) {
  int64_t n = 10 + static_cast<int64_t>(CalcSyncSafeInt(v2hd->size));
  return (v2hd->flags & 0x10) ? n + 10 : n;
}

int32_t IsID3V2(const V2HEADER* v2hd) {
  return IsID3V2Header(v2hd) && (v2hd->version[0] == 3 || v2hd->version[0] == 4);
}

// ---- Text encodings: each one converted to UTF-8 in one place ----

// UTF-8 text being built in a caller's buffer, never longer than limit bytes
// and never ending inside a character.
struct Utf8Sink {
  char* dst;
  size_t limit;
  size_t len;
};

static bool PutCodePoint(Utf8Sink* s, uint32_t cp) {
  char tmp[4];
  size_t k = Utf8Encode(cp, tmp);
  if (s->len + k > s->limit) return false;
  std::memcpy(s->dst + s->len, tmp, k);
  s->len += k;
  return true;
}

// ID3v1 fields and encoding 0: 8-bit text up to its first zero byte.
static void FromCp1252(Utf8Sink* s, const unsigned char* p, size_t n) {
  for (size_t k = 0; k < n && p[k] != 0; ++k) {
    if (!PutCodePoint(s, Cp1252CodePoint(p[k]))) return;
  }
}

// Encodings 1 and 2: UTF-16 up to its first U+0000 unit. An unpaired
// surrogate becomes U+FFFD; an odd last byte is dropped.
static void FromUtf16(Utf8Sink* s, const unsigned char* p, size_t n,
                      bool bigEndian) {
  size_t units = n / 2;
  auto unit = [&](size_t k) -> uint32_t {
    const unsigned char* u = p + 2 * k;
    return bigEndian ? (u[0] << 8 | u[1]) : (u[1] << 8 | u[0]);
  };
  for (size_t k = 0; k < units; ++k) {
    uint32_t cp = unit(k);
    if (cp == 0) return;
    if (cp >= 0xD800 && cp <= 0xDBFF && k + 1 < units && unit(k + 1) >= 0xDC00 &&
        unit(k + 1) <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (unit(k + 1) - 0xDC00);
      ++k;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    if (!PutCodePoint(s, cp)) return;
  }
}

// Encoding 3: UTF-8 bytes as they are, up to the first zero byte. A text
// that the byte limit cut may end inside a character, which is dropped.
static void FromUtf8(Utf8Sink* s, const unsigned char* p, size_t n) {
  const char* text = reinterpret_cast<const char*>(p);
  size_t len = Utf8CutBytes(text, strnlen(text, n), s->limit);
  size_t lead = len;
  while (lead > 0 && len - lead < 3 && (p[lead - 1] & 0xC0) == 0x80) --lead;
  if (lead > 0 && p[lead - 1] >= 0xC2 && p[lead - 1] <= 0xF4) {
    size_t need = p[lead - 1] >= 0xF0 ? 4 : p[lead - 1] >= 0xE0 ? 3 : 2;
    if (len - (lead - 1) < need) len = lead - 1;
  }
  s->len = len;
  std::memcpy(s->dst, text, len);
}

// The text of a frame body after its encoding byte enc into str. Returns
// false, with str unchanged, for an encoding this reader does not know.
static bool DecodeFrameText(unsigned char enc, const unsigned char* p, size_t n,
                            char* str, size_t limit) {
  if (enc > 3) return false;
  Utf8Sink sink = {str, limit, 0};
  switch (enc) {
    case 0:
      FromCp1252(&sink, p, n);
      break;
    case 1:  // byte order from the BOM; little-endian without one
      if (n >= 2 && p[0] == 0xFE && p[1] == 0xFF) {
        FromUtf16(&sink, p + 2, n - 2, true);
      } else if (n >= 2 && p[0] == 0xFF && p[1] == 0xFE) {
        FromUtf16(&sink, p + 2, n - 2, false);
      } else {
        FromUtf16(&sink, p, n, false);
      }
      break;
    case 2:
      FromUtf16(&sink, p, n, true);
      break;
    case 3:
      FromUtf8(&sink, p, n);
      break;
  }
  str[sink.len] = '\0';
  return true;
}

uint32_t ReadFromFile(char* str, uint32_t fsize, size_t ssize, TagStream* fp) {
  // No body, no encoding byte to look at.
  if (fsize == 0 || ssize < 2) return 0;
  // Only the encoding byte and the text bytes that can be copied are read:
  // at most min(ssize - 1, fsize) - 1 text bytes. The rest of the body is
  // never loaded, so a frame that claims 4 GB costs nothing.
  size_t want = ssize - 1 < fsize ? ssize - 1 : fsize;
  std::unique_ptr<unsigned char[]> body(new (std::nothrow) unsigned char[want]);
  if (!body) return 0;
  size_t n = TsRead(fp, body.get(), want);
  // With ssize 512 a text is cut to 510 bytes, as the 8-bit copy always was.
  if (n >= 1) DecodeFrameText(body[0], body.get() + 1, n - 1, str, ssize - 2);
  return static_cast<uint32_t>(n);
}

// ---- ID3v1 ----

static void CopyTrailerField(char* dst, size_t strsize, const char* field) {
  Utf8Sink sink = {dst, strsize - 1, 0};
  FromCp1252(&sink, reinterpret_cast<const unsigned char*>(field), 30);
  dst[sink.len] = '\0';
}

static int32_t TrailerTags(TagStream* ts, char* title, char* artist,
                           size_t strsize) {
  if (ts->size < sizeof(MP3TRAILER)) return 0;
  ts->pos = ts->size - sizeof(MP3TRAILER);
  MP3TRAILER tr;
  if (TsRead(ts, &tr, sizeof tr) != sizeof tr) return 0;
  if (std::memcmp(tr.tag, "TAG", 3) != 0) return 0;
  CopyTrailerField(title, strsize, tr.title);
  CopyTrailerField(artist, strsize, tr.artist);
  return 1;
}

// ---- ID3v2 ----

// The frames this reader takes, and the buffer each one fills.
enum { FIELD_TITLE, FIELD_ARTIST };
static const struct {
  char id[4];
  int field;
} kTextFrames[] = {
    {{'T', 'I', 'T', '2'}, FIELD_TITLE},
    {{'T', 'P', 'E', '1'}, FIELD_ARTIST},
};

static int32_t HeaderTags(TagStream* ts, char* title, char* artist,
                          size_t strsize) {
  ts->pos = 0;
  V2HEADER hd;
  if (TsRead(ts, &hd, sizeof hd) != sizeof hd || !IsID3V2(&hd)) return 0;
  const bool v4 = hd.version[0] == 4;

  // The position is compared with the tag size minus the header (and the
  // footer), so a frame header beginning in the last 19 bytes is not read.
  int64_t endBound = static_cast<int64_t>(CalcSyncSafeInt(hd.size)) - 10;
  if (hd.flags & 0x10) endBound -= 10;

  if (hd.flags & 0x40) {
    V2XHEADER xh;
    if (TsRead(ts, &xh, sizeof xh) == sizeof xh) {
      // Version 4 counts the whole extended header, version 3 all of it but
      // its own 4 size bytes.
      int64_t skip = v4 ? static_cast<int64_t>(CalcSyncSafeInt(xh.size)) - 5
                        : static_cast<int64_t>(CalcPlainInt(xh.size)) - 1;
      TsSeekCur(ts, skip);
    }
  }

  char* fields[] = {title, artist};
  while (static_cast<int64_t>(ts->pos) <= endBound) {
    TAGHEADER fh;
    if (TsRead(ts, &fh, sizeof fh) != sizeof fh) break;
    uint32_t fsize = v4 ? static_cast<uint32_t>(CalcSyncSafeInt(fh.size))
                        : CalcPlainInt(fh.size);
    uint64_t bodyStart = ts->pos;
    for (const auto& f : kTextFrames) {
      if (std::memcmp(fh.id, f.id, 4) == 0) {
        ReadFromFile(fields[f.field], fsize, strsize, ts);
        break;
      }
    }
    // Every frame, read or not, is left at the end of its body.
    ts->pos = bodyStart + fsize;
  }
  return 1;
}

// ---- Entry points: each opens the file once and closes it on return ----

int32_t ReadTagsV1(const char* mp3File, char* title, char* artist,
                   size_t strsize) {
  TagStream ts;
  if (!OpenTagStream(&ts, mp3File)) return 0;
  return TrailerTags(&ts, title, artist, strsize);
}

int32_t ReadTagsV2(const char* mp3File, char* title, char* artist,
                   size_t strsize) {
  TagStream ts;
  if (!OpenTagStream(&ts, mp3File)) return 0;
  return HeaderTags(&ts, title, artist, strsize);
}

int32_t ReadTags(const char* mp3File, char* title, char* artist,
                 size_t strsize) {
  // The trailer wins: a file with both kinds of tag gives the ID3v1 texts.
  TagStream ts;
  if (!OpenTagStream(&ts, mp3File)) return 0;
  if (TrailerTags(&ts, title, artist, strsize)) return 1;
  return HeaderTags(&ts, title, artist, strsize);
}
