#include "metadata/id3.h"

#include <unistd.h>

#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include <zlib.h>

#include "base/handles.h"
#include "base/text.h"
#include "metadata/container.h"
#include "platform/files.h"

// How a frame body is laid out: bytes before the encoding byte (a group id,
// a data length), unsynchronisation to undo, compression, several values to
// join.
struct FrameForm {
  unsigned prefix = 0;
  bool unsync = false;
  bool several = false;
  bool zlib = false;
  unsigned sizeAt = 0;        // where in the prefix a compressed frame's size is
  bool syncSafeSize = false;  // and whether it is sync-safe
};

// A tag read like a stream: a position, and reads through the file's
// buffers (a cover picture is skipped by moving the position, so that its
// bytes are never read).
struct TagStream {
  const MediaBytes* file = nullptr;  // not owned
  uint64_t size = 0;      // the file's size when it was opened
  uint64_t pos = 0;       // read position; may lie past the end, as fseek allows
  // A tag undone from unsynchronisation is read from memory instead: the
  // positions then count in the undone bytes.
  const unsigned char* mem = nullptr;

  TagStream() = default;
  TagStream(const TagStream&) = delete;
  TagStream& operator=(const TagStream&) = delete;
};

// A regular file opened and its head and tail read; a FIFO, a device or a
// directory is not read at all. The descriptor goes to file, which closes
// it.
static int OpenTagStream(TagStream* ts, UniqueFd* file, MediaBuffers* buffers, MediaBytes* bytes,
                         const char* path) {
  int64_t size;
  file->fd = OpenRegularFile(path, &size);
  if (file->fd < 0) return 0;
  *bytes = LoadMediaBytes(file->fd, size, buffers);
  ts->file = bytes;
  ts->size = static_cast<uint64_t>(size);
  return 1;
}

// fread at the current position: up to n bytes, fewer at the end of the
// file. Never past the end: a read there costs a call and brings nothing.
static size_t TsRead(TagStream* ts, void* dst, size_t n) {
  if (ts->pos >= ts->size) return 0;
  if (n > ts->size - ts->pos) n = static_cast<size_t>(ts->size - ts->pos);
  size_t got;
  if (ts->mem) {
    std::memcpy(dst, ts->mem + ts->pos, n);
    got = n;
  } else {
    got = static_cast<size_t>(CopyBytes(*ts->file, static_cast<int64_t>(ts->pos), dst,
                                        static_cast<int64_t>(n)));
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

uint32_t CalcPlainInt(const unsigned char* b) {
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
  return IsID3V2Header(v2hd) && v2hd->version[0] >= 2 && v2hd->version[0] <= 4;
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

// Bytes of the longest start of a UTF-8 sequence at p (n bytes, p[0] a
// byte >= 0x80) that could still become a valid character: 0 for a byte that
// starts none.
static size_t Utf8PartialLen(const unsigned char* p, size_t n) {
  unsigned char c = p[0];
  size_t need = c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
  if (need == 0) return 0;
  // The second byte's range excludes overlong forms, surrogates and code
  // points past U+10FFFF.
  unsigned char lo = c == 0xE0 ? 0xA0 : c == 0xF0 ? 0x90 : 0x80;
  unsigned char hi = c == 0xED ? 0x9F : c == 0xF4 ? 0x8F : 0xBF;
  size_t k = 1;
  if (k < n && k < need && p[k] >= lo && p[k] <= hi) ++k;
  else return 1;
  while (k < n && k < need && (p[k] & 0xC0) == 0x80) ++k;
  return k;
}

// Encoding 3: UTF-8 up to the first zero byte. A byte sequence that is no
// character (a writer that put 8-bit text under this encoding, a damaged
// tag) shows as U+FFFD, one for each broken sequence, and the characters
// around it stay. A sequence cut by the end of a read that stopped inside
// the value (cut) is dropped: the rest of it was never read.
static void FromUtf8(Utf8Sink* s, const unsigned char* p, size_t n, bool cut) {
  size_t len = strnlen(reinterpret_cast<const char*>(p), n);
  if (len < n) cut = false;  // the value ended at its zero byte
  for (size_t k = 0; k < len;) {
    size_t clen = p[k] < 0x80 ? 1 : Utf8CharLen(p + k, len - k);
    if (p[k] < 0x80 || clen > 1) {
      if (s->len + clen > s->limit) return;
      std::memcpy(s->dst + s->len, p + k, clen);
      s->len += clen;
      k += clen;
      continue;
    }
    size_t bad = Utf8PartialLen(p + k, len - k);
    if (cut && bad > 0 && k + bad == len) return;
    if (!PutCodePoint(s, 0xFFFD)) return;
    k += bad > 0 ? bad : 1;
  }
}

// One value of a text frame in encoding enc. *bigEndian carries the byte
// order of UTF-16 from one value to the next: a value may name its own.
static void DecodeValue(Utf8Sink* s, unsigned char enc, const unsigned char* p,
                        size_t n, bool* bigEndian, bool cut) {
  switch (enc) {
    case 0:
      FromCp1252(s, p, n);
      break;
    case 1:  // byte order from the BOM; little-endian without one
      if (n >= 2 && p[0] == 0xFE && p[1] == 0xFF) {
        *bigEndian = true;
        p += 2, n -= 2;
      } else if (n >= 2 && p[0] == 0xFF && p[1] == 0xFE) {
        *bigEndian = false;
        p += 2, n -= 2;
      }
      FromUtf16(s, p, n, *bigEndian);
      break;
    case 2:
      FromUtf16(s, p, n, true);
      break;
    default:
      FromUtf8(s, p, n, cut);
      break;
  }
}

// Bytes up to the end of the value at p: its terminator (one zero byte, or a
// zero unit for UTF-16) included, or all n bytes.
static size_t ValueBytes(unsigned char enc, const unsigned char* p, size_t n) {
  if (enc == 1 || enc == 2) {
    for (size_t k = 0; k + 1 < n; k += 2)
      if (p[k] == 0 && p[k + 1] == 0) return k + 2;
    return n;
  }
  const void* zero = std::memchr(p, 0, n);
  return zero ? static_cast<size_t>(static_cast<const unsigned char*>(zero) - p) + 1 : n;
}

// The text of a frame body after its encoding byte enc into str. With
// several, every value that is not empty, joined by ", "; else the first
// value only. cut: the n bytes stop inside the body. Returns false, with str
// unchanged, for an encoding this reader does not know.
static bool DecodeFrameText(unsigned char enc, const unsigned char* p, size_t n,
                            char* str, size_t limit, bool several, bool cut) {
  if (enc > 3) return false;
  Utf8Sink sink = {str, limit, 0};
  bool bigEndian = false;
  for (size_t at = 0; at < n;) {
    size_t before = sink.len;
    if (before > 0 && !PutCodePoint(&sink, ',')) break;
    if (before > 0 && !PutCodePoint(&sink, ' ')) break;
    size_t start = sink.len;
    size_t len = ValueBytes(enc, p + at, n - at);
    DecodeValue(&sink, enc, p + at, len, &bigEndian, cut);
    if (sink.len == start) sink.len = before;  // an empty value adds nothing
    at += len;
    if (!several) break;
  }
  str[sink.len] = '\0';
  return true;
}

// Undoes unsynchronisation in place: a zero byte after 0xFF was inserted by
// the writer. Returns the new length.
static size_t Resync(unsigned char* p, size_t n) {
  size_t w = 0;
  for (size_t r = 0; r < n; ++r) {
    p[w++] = p[r];
    if (p[r] == 0xFF && r + 1 < n && p[r + 1] == 0x00) ++r;
  }
  return w;
}

// Decodes the bytes of a text frame (its encoding byte first, len bytes)
// into str. cut: the bytes stop inside the frame's text.
static void DecodeBody(unsigned char* text, size_t len, bool cut, char* str, size_t ssize,
                       bool several) {
  if (len > ssize - 1) {
    len = ssize - 1;
    cut = true;
  }
  // A name holds at most ssize - 2 bytes (510 of a 512-byte buffer): the
  // length every name of a listing is cut to, whatever it came from.
  if (len >= 1) DecodeFrameText(text[0], text + 1, len - 1, str, ssize - 2, several, cut);
}

// A compressed frame is read whole (up to kMaxInflate bytes) and inflated
// into at most the size its header states and kMaxInflate: a text frame of
// that size is already far more than a name can show, and a frame that
// claims more costs no more than that.
static const size_t kMaxInflate = 1u << 20;

static uint32_t ReadCompressed(char* str, uint32_t fsize, size_t ssize, TagStream* fp,
                               const FrameForm& form) {
  size_t want = fsize < kMaxInflate + form.prefix ? fsize : kMaxInflate + form.prefix;
  std::unique_ptr<unsigned char[]> body(new (std::nothrow) unsigned char[want]);
  if (!body) return 0;
  size_t n = TsRead(fp, body.get(), want);
  if (n <= form.prefix) return static_cast<uint32_t>(n);
  const unsigned char* sz = body.get() + form.sizeAt;
  uint32_t stated = form.syncSafeSize ? static_cast<uint32_t>(CalcSyncSafeInt(sz)) : CalcPlainInt(sz);
  size_t outCap = stated < kMaxInflate ? stated : kMaxInflate;
  if (outCap == 0) return static_cast<uint32_t>(n);
  unsigned char* packed = body.get() + form.prefix;
  size_t packedLen = n - form.prefix;
  // Version 2.4 unsynchronises after compressing: undone first.
  if (form.unsync) packedLen = Resync(packed, packedLen);
  std::unique_ptr<unsigned char[]> text(new (std::nothrow) unsigned char[outCap]);
  if (!text) return static_cast<uint32_t>(n);
  z_stream z = {};
  if (inflateInit(&z) != Z_OK) return static_cast<uint32_t>(n);
  z.next_in = packed;
  z.avail_in = static_cast<uInt>(packedLen);
  z.next_out = text.get();
  z.avail_out = static_cast<uInt>(outCap);
  int rc = inflate(&z, Z_FINISH);
  size_t len = outCap - z.avail_out;
  inflateEnd(&z);
  // Damaged data gives what inflated before the damage, as a text cut there.
  DecodeBody(text.get(), len, rc != Z_STREAM_END, str, ssize, form.several);
  return static_cast<uint32_t>(n);
}

// The body of one text frame of fsize bytes at fp's position: its text, in
// the encoding its first byte names, into str (ssize bytes) as UTF-8; of
// several zero-separated values the first, or with form.several all that
// are not empty, joined by ", ". Reads no more of the body than can be
// copied; returns the bytes read. The caller moves past the body itself.
static uint32_t ReadTextFrame(char* str, uint32_t fsize, size_t ssize, TagStream* fp,
                              const FrameForm& form) {
  // No body, no encoding byte to look at.
  if (fsize <= form.prefix || ssize < 2) return 0;
  if (form.zlib) return ReadCompressed(str, fsize, ssize, fp, form);
  // Only the bytes that can be copied are read: the prefix, the encoding
  // byte and min(ssize - 1, fsize) - 1 text bytes, twice that when the body
  // is unsynchronised. The rest of the body is never loaded.
  size_t want = ssize - 1 < fsize ? ssize - 1 : fsize;
  if (form.unsync) want = 2 * want < fsize ? 2 * want : fsize;
  want += form.prefix;
  if (want > fsize) want = fsize;
  std::unique_ptr<unsigned char[]> body(new (std::nothrow) unsigned char[want]);
  if (!body) return 0;
  size_t n = TsRead(fp, body.get(), want);
  if (n <= form.prefix) return static_cast<uint32_t>(n);
  unsigned char* text = body.get() + form.prefix;
  size_t len = n - form.prefix;
  if (form.unsync) len = Resync(text, len);
  DecodeBody(text, len, n < fsize, str, ssize, form.several);
  return static_cast<uint32_t>(n);
}

// ---- ID3v1 ----

// A trailer field is 30 bytes, padded by its writer with zeros or, by many
// writers, with blanks; neither belongs to the name.
static void CopyTrailerField(char* dst, size_t strsize, const char* field) {
  size_t n = strnlen(field, 30);
  while (n > 0 && field[n - 1] == ' ') --n;
  Utf8Sink sink = {dst, strsize - 1, 0};
  FromCp1252(&sink, reinterpret_cast<const unsigned char*>(field), n);
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

// The frames this reader takes, by their ids of version 2.3/2.4 and of
// version 2.2 (three characters), and the buffer each one fills.
enum { FIELD_TITLE, FIELD_ARTIST };
static const struct {
  char id[4];
  char id22[3];
  int field;
} kTextFrames[] = {
    {{'T', 'I', 'T', '2'}, {'T', 'T', '2'}, FIELD_TITLE},
    {{'T', 'P', 'E', '1'}, {'T', 'P', '1'}, FIELD_ARTIST},
};

// The largest tag that is undone from unsynchronisation in memory; of a
// larger one only this much is read (title and artist come first in the
// tags that writers make).
static const uint64_t kMaxResyncTag = 16u << 20;

// How the body of a frame with the second flag byte flags is laid out.
// Version 2.3 puts the inflated size (4 bytes, when compressed) before the
// group id; 2.4 puts the group id before the data length (4 bytes,
// sync-safe), which a compressed frame must have. False for a frame that
// cannot be read: encrypted, or compressed without its size.
static bool FrameFormOf(int major, unsigned char flags, bool tagUnsync, FrameForm* form) {
  if (major == 3) {
    if (flags & 0x40) return false;  // encrypted
    form->zlib = (flags & 0x80) != 0;
    form->prefix = (form->zlib ? 4 : 0) + ((flags & 0x20) ? 1 : 0);
    form->sizeAt = 0;
    return true;
  }
  if (flags & 0x04) return false;  // encrypted
  form->zlib = (flags & 0x08) != 0;
  if (form->zlib && !(flags & 0x01)) return false;
  form->sizeAt = (flags & 0x40) ? 1 : 0;
  form->prefix = form->sizeAt + ((flags & 0x01) ? 4 : 0);
  form->syncSafeSize = true;
  form->unsync = tagUnsync || (flags & 0x02);
  form->several = true;
  return true;
}

// Walks the frames from the current position up to tagEnd and reads the
// title and artist frames into fields. Frame header layouts: version 2.2
// three-character id and a plain 3-byte size; 2.3 four characters, plain
// size, two flag bytes; 2.4 the same with a sync-safe size.
static void ReadFrames(TagStream* ts, uint64_t tagEnd, int major, bool tagUnsync,
                       char* const fields[2], size_t strsize) {
  const size_t headLen = major == 2 ? 6 : 10;
  while (ts->pos + headLen <= tagEnd) {
    unsigned char h[10];
    if (TsRead(ts, h, headLen) != headLen) break;
    if (h[0] == 0) break;  // padding
    uint32_t fsize = major == 2   ? (static_cast<uint32_t>(h[3]) << 16 | h[4] << 8 | h[5])
                     : major == 3 ? CalcPlainInt(h + 4)
                                  : static_cast<uint32_t>(CalcSyncSafeInt(h + 4));
    uint64_t bodyStart = ts->pos;
    // A frame that claims more than the rest of the tag is damaged: its
    // body would run into the audio or whatever follows the tag, and no
    // frame after it can be found. The walk ends here.
    if (fsize > tagEnd - bodyStart) break;
    for (const auto& f : kTextFrames) {
      if (major == 2 ? std::memcmp(h, f.id22, 3) != 0 : std::memcmp(h, f.id, 4) != 0)
        continue;
      FrameForm form;
      if (major > 2 && !FrameFormOf(major, h[9], tagUnsync, &form)) break;
      ReadTextFrame(fields[f.field], fsize, strsize, ts, form);
      break;
    }
    // Every frame, read or not, is left at the end of its body.
    ts->pos = bodyStart + fsize;
  }
}

// Four upper-case letters or digits: a frame id, which no extended header
// size (sync-safe, or small and plain) looks like.
static bool LooksLikeFrameId(const unsigned char* p) {
  for (int k = 0; k < 4; ++k)
    if (!((p[k] >= 'A' && p[k] <= 'Z') || (p[k] >= '0' && p[k] <= '9'))) return false;
  return true;
}

static int32_t HeaderTags(TagStream* ts, char* title, char* artist,
                          size_t strsize) {
  ts->pos = 0;
  V2HEADER hd;
  if (TsRead(ts, &hd, sizeof hd) != sizeof hd || !IsID3V2(&hd)) return 0;
  const int major = hd.version[0];
  char* const fields[] = {title, artist};
  // Version 2.2 knew compression only as a flag of the whole tag, and never
  // said how: such a tag is there but cannot be read.
  if (major == 2 && (hd.flags & 0x40)) return 1;
  uint64_t tagEnd = 10 + static_cast<uint64_t>(CalcSyncSafeInt(hd.size));

  // Versions 2.2 and 2.3 unsynchronise the whole tag, frame headers
  // included: it is undone in memory and read from there.
  std::vector<unsigned char> resynced;
  TagStream mem;
  bool tagUnsync = (hd.flags & 0x80) != 0;
  if (tagUnsync && major < 4) {
    uint64_t want = tagEnd - 10 < kMaxResyncTag ? tagEnd - 10 : kMaxResyncTag;
    resynced.resize(10 + static_cast<size_t>(want));
    std::memcpy(resynced.data(), &hd, 10);
    size_t got = TsRead(ts, resynced.data() + 10, static_cast<size_t>(want));
    resynced.resize(10 + Resync(resynced.data() + 10, got));
    mem.mem = resynced.data();
    mem.size = resynced.size();
    mem.pos = 10;
    ts = &mem;
    tagEnd = resynced.size();
  }

  if (major > 2 && (hd.flags & 0x40)) {
    V2XHEADER xh;
    uint64_t at = ts->pos;
    if (TsRead(ts, &xh, sizeof xh) == sizeof xh && LooksLikeFrameId(xh.size)) {
      // Some writers set the flag without writing an extended header: what
      // follows is a frame.
      ts->pos = at;
    } else if (ts->pos == at + sizeof xh) {
      // Version 4 counts the whole extended header, version 3 all of it but
      // its own 4 size bytes.
      int64_t skip = major == 4 ? static_cast<int64_t>(CalcSyncSafeInt(xh.size)) - 5
                                : static_cast<int64_t>(CalcPlainInt(xh.size)) - 1;
      TsSeekCur(ts, skip);
    }
  }
  ReadFrames(ts, tagEnd, major, tagUnsync, fields, strsize);
  return 1;
}

// ---- Entry points: each opens the file once and closes it on return ----

int32_t ReadTagsV1(const char* mp3File, char* title, char* artist,
                   size_t strsize) {
  TagStream ts;
  UniqueFd file;
  MediaBuffers buffers;
  MediaBytes bytes;
  if (!OpenTagStream(&ts, &file, &buffers, &bytes, mp3File)) return 0;
  return TrailerTags(&ts, title, artist, strsize);
}

int32_t ReadTagsV2(const char* mp3File, char* title, char* artist,
                   size_t strsize) {
  TagStream ts;
  UniqueFd file;
  MediaBuffers buffers;
  MediaBytes bytes;
  if (!OpenTagStream(&ts, &file, &buffers, &bytes, mp3File)) return 0;
  return HeaderTags(&ts, title, artist, strsize);
}

// The text of one field: the ID3v2 text when it is not empty, else the
// trailer's when there is a trailer. Returns true when the text shown is not
// empty.
static bool ChooseText(char* dst, size_t cap, const char* v2, bool haveV1, const char* v1) {
  if (v2[0]) {
    CopyText(dst, cap, v2);
    return true;
  }
  if (!haveV1) return false;
  CopyText(dst, cap, v1);
  return v1[0] != '\0';
}

int32_t ReadTags(const char* mp3File, char* title, char* artist,
                 size_t strsize, int32_t* names) {
  if (names) *names = 0;
  UniqueFd file;
  int64_t size;
  file.fd = OpenRegularFile(mp3File, &size);
  if (file.fd < 0) return 0;
  return ReadTagsOpen(file.fd, size, title, artist, strsize, names);
}

int32_t ReadTagsOpen(int fd, int64_t size, char* title, char* artist, size_t strsize,
                     int32_t* names) {
  MediaBuffers buffers;
  return ReadTagsIn(LoadMediaBytes(fd, size, &buffers), title, artist, strsize, names);
}

int32_t ReadTagsIn(const MediaBytes& f, char* title, char* artist, size_t strsize,
                   int32_t* names) {
  if (names) *names = 0;
  TagStream ts;
  ts.file = &f;
  ts.size = static_cast<uint64_t>(f.size);
  // Each field is taken from the header's tag when it has the field, else
  // from the trailer, which cuts its texts to 30 characters: the trailer,
  // at the file's end, is read only when the header leaves a field empty.
  size_t cap = strsize < MAXPATH ? strsize : MAXPATH;
  char t1[MAXPATH] = "", a1[MAXPATH] = "", t2[MAXPATH] = "", a2[MAXPATH] = "";
  bool v2 = HeaderTags(&ts, t2, a2, cap);
  bool v1 = (!t2[0] || !a2[0]) && TrailerTags(&ts, t1, a1, cap);
  int32_t found = 0;
  if (ChooseText(title, strsize, t2, v1, t1)) found |= ID3_TITLE;
  if (ChooseText(artist, strsize, a2, v1, a1)) found |= ID3_ARTIST;
  if (names) *names = found;
  return v1 || v2 ? 1 : 0;
}
