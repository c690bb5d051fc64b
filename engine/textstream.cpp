#include "engine/textstream.h"

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "base/text.h"

void TsInit(TextStream* ts, FILE* f, size_t blockSize) {
  if (blockSize < 1024) blockSize = 1024;
  ts->file = f;
  // One byte more than a block, for a CR carried over from the last one.
  ts->cap = blockSize + 1;
  ts->buf.reset(new char[ts->cap]);
  ts->pos = ts->end = 0;
  ts->crPending = false;
  ts->started = false;
  ts->eof = ts->error = false;
  ts->readErrno = 0;
  ts->utf16 = 0;
  ts->raw.reset();
  ts->rawLen = 0;
}

// Folds every CR LF pair in buf[from, end) into an LF, in place. A CR that is
// the last byte read so far is held back: the next block decides what it is.
static void FoldCrLf(TextStream* ts, size_t from) {
  char* b = ts->buf.get();
  char* cr = static_cast<char*>(std::memchr(b + from, '\r', ts->end - from));
  if (!cr) return;
  char* w = cr;  // write position
  char* r = cr;  // read position
  char* e = b + ts->end;
  while (r < e) {
    cr = static_cast<char*>(std::memchr(r, '\r', static_cast<size_t>(e - r)));
    if (!cr) {
      size_t n = static_cast<size_t>(e - r);
      std::memmove(w, r, n);
      w += n;
      break;
    }
    size_t n = static_cast<size_t>(cr - r);
    std::memmove(w, r, n);
    w += n;
    if (cr + 1 == e) {  // last byte: keep it for the next block
      ts->crPending = true;
      r = e;
      break;
    }
    if (cr[1] != '\n') *w++ = '\n';  // a lone CR ends a line (old Mac files)
    r = cr + 1;
  }
  ts->end = static_cast<size_t>(w - b);
}

// UTF-16 units into UTF-8: the undecoded bytes in ts->raw go out as
// characters into dst (room bytes); what ends inside a character (an odd
// byte, a high surrogate without its pair yet) stays for the next read. An
// unpaired surrogate becomes U+FFFD. Returns the bytes stored.
static size_t DecodeUtf16(TextStream* ts, char* dst, size_t room, bool last) {
  const unsigned char* r = ts->raw.get();
  bool be = ts->utf16 == 2;
  auto unit = [&](size_t k) -> uint32_t {
    return be ? (r[k] << 8 | r[k + 1]) : (r[k + 1] << 8 | r[k]);
  };
  size_t k = 0, out = 0;
  while (k + 2 <= ts->rawLen && out + 4 <= room) {
    uint32_t cp = unit(k);
    size_t used = 2;
    if (cp >= 0xD800 && cp <= 0xDBFF) {
      if (k + 4 > ts->rawLen && !last) break;  // its pair comes with the next read
      uint32_t lo = k + 4 <= ts->rawLen ? unit(k + 2) : 0;
      if (lo >= 0xDC00 && lo <= 0xDFFF) {
        cp = 0x10000 + ((cp - 0xD800) << 10) + (lo - 0xDC00);
        used = 4;
      } else {
        cp = 0xFFFD;
      }
    } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    out += Utf8Encode(cp, dst + out);
    k += used;
  }
  if (last && k + 2 > ts->rawLen) k = ts->rawLen;  // an odd last byte is dropped
  std::memmove(ts->raw.get(), r + k, ts->rawLen - k);
  ts->rawLen -= k;
  return out;
}

static const size_t kRawBlock = 64 * 1024;

// Reads source bytes into dst (room > 0 bytes) as the readers take them. A
// source that starts with a UTF-16 byte-order mark is read as UTF-16 from
// then on. Returns 0 at the end of the source or on a read error.
static size_t ReadSource(TextStream* ts, char* dst, size_t room) {
  if (!ts->started) {
    ts->started = true;
    unsigned char mark[2];
    size_t n = std::fread(mark, 1, 2, ts->file);
    if (n == 2 && ((mark[0] == 0xFF && mark[1] == 0xFE) || (mark[0] == 0xFE && mark[1] == 0xFF))) {
      ts->utf16 = mark[0] == 0xFF ? 1 : 2;
      ts->raw.reset(new unsigned char[kRawBlock]);
    } else if (n > 0) {
      // Not UTF-16: the two bytes are the first of the text (room > 2
      // always holds at the start).
      std::memcpy(dst, mark, n);
      return n + std::fread(dst + n, 1, room - n, ts->file);
    }
  }
  if (!ts->utf16) return std::fread(dst, 1, room, ts->file);
  for (;;) {
    size_t got = std::fread(ts->raw.get() + ts->rawLen, 1, kRawBlock - ts->rawLen, ts->file);
    ts->rawLen += got;
    size_t out = DecodeUtf16(ts, dst, room, got == 0);
    if (out > 0 || got == 0) return out;
  }
}

// Reads the next block behind the bytes still unread. Returns false when
// nothing new became available (end of source or read error).
static bool Refill(TextStream* ts) {
  if (ts->eof) return false;
  char* b = ts->buf.get();
  if (ts->pos > 0) {
    std::memmove(b, b + ts->pos, ts->end - ts->pos);
    ts->end -= ts->pos;
    ts->pos = 0;
  }
  size_t start = ts->end;
  bool heldCr = ts->crPending;
  if (heldCr) {
    b[ts->end++] = '\r';
    ts->crPending = false;
  }
  size_t room = ts->cap - ts->end;
  size_t got = room ? ReadSource(ts, b + ts->end, room) : 0;
  if (got == 0) {
    // A held-back CR at the very end of the source ends its last line.
    if (heldCr) b[ts->end - 1] = '\n';
    if (std::ferror(ts->file)) {
      ts->error = true;
      if (ts->readErrno == 0) ts->readErrno = errno ? errno : EIO;
    }
    ts->eof = true;
    return ts->end > start;
  }
  ts->end += got;
  FoldCrLf(ts, start);
  if (ts->end == start && ts->crPending) return Refill(ts);
  return ts->end > start;
}

bool TsSkipBom(TextStream* ts) {
  static const char kBom[] = "\xEF\xBB\xBF";
  while (ts->end - ts->pos < 3 && Refill(ts)) {
  }
  if (ts->end - ts->pos < 3 || std::memcmp(ts->buf.get() + ts->pos, kBom, 3) != 0)
    return false;
  ts->pos += 3;
  return true;
}

bool TsBlock(TextStream* ts, const char** data, size_t* len) {
  if (ts->pos == ts->end && !Refill(ts)) return false;
  *data = ts->buf.get() + ts->pos;
  *len = ts->end - ts->pos;
  ts->pos = ts->end;
  return true;
}

char* TsLine(TextStream* ts, char* s, size_t cap, size_t* len) {
  size_t stored = 0;
  bool any = false;
  for (;;) {
    if (ts->pos == ts->end && !Refill(ts)) break;
    any = true;
    const char* p = ts->buf.get() + ts->pos;
    size_t avail = ts->end - ts->pos;
    const char* lf = static_cast<const char*>(std::memchr(p, '\n', avail));
    size_t n = lf ? static_cast<size_t>(lf - p) : avail;
    size_t copy = cap - 1 - stored < n ? cap - 1 - stored : n;
    std::memcpy(s + stored, p, copy);
    stored += copy;
    ts->pos += lf ? n + 1 : n;
    if (lf) break;
  }
  if (!any) return nullptr;
  s[stored] = '\0';
  if (len) *len = stored;
  return s;
}

size_t TsPeek(TextStream* ts, size_t n, const char** data) {
  while (ts->end - ts->pos < n && Refill(ts)) {
  }
  *data = ts->buf.get() + ts->pos;
  size_t avail = ts->end - ts->pos;
  return avail < n ? avail : n;
}
