#include "metadata/container.h"

#include <unistd.h>

#include <cstring>

namespace {

// Reads n bytes at pos, fewer only where the file ends early or a read
// fails: the bytes read.
int64_t PreadFull(int fd, unsigned char* dst, int64_t n, int64_t pos) {
  int64_t got = 0;
  while (got < n) {
    ssize_t r = pread(fd, dst + got, static_cast<size_t>(n - got), pos + got);
    if (r <= 0) break;
    got += r;
  }
  return got;
}

// One buffer of a MediaBytes: the file bytes [pos, pos + len).
struct Span {
  const unsigned char* bytes;
  int64_t pos;
  int64_t len;
};

int Spans(const MediaBytes& f, Span out[3]) {
  int n = 0;
  if (f.head && f.headLen > 0) out[n++] = {f.head, f.headPos, f.headLen};
  if (f.tail && f.tail->len > 0) out[n++] = {f.tail->bytes, f.tail->pos, f.tail->len};
  if (f.window && f.window->len > 0) out[n++] = {f.window->bytes, f.window->pos, f.window->len};
  return n;
}

// Reads the tail when [pos, pos + n) lies in it and it has not been read:
// true when it was read now. A read reaching further back goes to the file
// itself, which saves the call.
bool ReadTail(const MediaBytes& f, int64_t pos, int64_t n) {
  MediaTail* t = f.tail;
  if (!t || t->read || pos < t->pos || n > f.size - pos) return false;
  t->read = true;
  t->len = PreadFull(f.fd, t->bytes, f.size - t->pos, t->pos);
  return t->len > 0;
}

// The n bytes at pos where a buffer holds them, the tail read first when
// they lie in it; null when none does.
const unsigned char* Buffered(const MediaBytes& f, int64_t pos, int64_t n) {
  const unsigned char* held = HeldBytes(f, pos, n);
  if (!held && ReadTail(f, pos, n)) held = HeldBytes(f, pos, n);
  return held;
}

// The window filled with the bytes from pos on; false when none could be
// read.
bool FillWindow(const MediaBytes& f, int64_t pos) {
  MediaWindow* w = f.window;
  int64_t want = f.size - pos < kMediaWindowBytes ? f.size - pos : kMediaWindowBytes;
  w->pos = pos;
  w->len = 0;
  w->len = PreadFull(f.fd, w->bytes, want, pos);
  return w->len > 0;
}

}  // namespace

MediaBytes LoadMediaBytes(int fd, int64_t size, MediaBuffers* b) {
  MediaBytes f;
  f.fd = fd;
  f.size = size > 0 ? size : 0;
  f.window = &b->window;
  b->window.len = 0;
  int64_t headWant = f.size <= kMediaWholeBytes ? f.size : kMediaHeadBytes;
  f.head = b->head;
  f.headLen = headWant > 0 ? PreadFull(fd, b->head, headWant, 0) : 0;
  if (f.size > headWant) {
    int64_t n = f.size - headWant < kMediaTailBytes ? f.size - headWant : kMediaTailBytes;
    f.tail = &b->tail;
    b->tail.pos = f.size - n;
    b->tail.len = 0;
    b->tail.read = false;
  }
  return f;
}

const unsigned char* HeldBytes(const MediaBytes& f, int64_t pos, int64_t n) {
  // Most reads fall in the head.
  if (f.head && pos >= f.headPos && n <= f.headLen && pos - f.headPos <= f.headLen - n)
    return f.head + (pos - f.headPos);
  Span spans[3];
  int count = Spans(f, spans);
  for (int k = 0; k < count; ++k) {
    const Span& s = spans[k];
    if (pos >= s.pos && n <= s.len && pos - s.pos <= s.len - n) return s.bytes + (pos - s.pos);
  }
  return nullptr;
}

const unsigned char* PeekBytes(const MediaBytes& f, int64_t pos, int64_t n) {
  if (pos < 0 || n <= 0 || pos > f.size || n > f.size - pos) return nullptr;
  if (const unsigned char* p = Buffered(f, pos, n)) return p;
  if (!f.window || n > kMediaWindowBytes || !FillWindow(f, pos) || f.window->len < n)
    return nullptr;
  return f.window->bytes;
}

int64_t CopyBytes(const MediaBytes& f, int64_t pos, void* out, int64_t n) {
  if (pos < 0 || n <= 0 || pos >= f.size) return 0;
  if (n > f.size - pos) n = f.size - pos;
  if (const unsigned char* held = Buffered(f, pos, n)) {
    std::memcpy(out, held, static_cast<size_t>(n));
    return n;
  }
  unsigned char* dst = static_cast<unsigned char*>(out);
  int64_t done = 0;
  bool filled = false;  // the window was filled for this read
  while (done < n) {
    const int64_t at = pos + done;
    const int64_t left = n - done;
    Span spans[3];
    int count = Spans(f, spans);
    // The buffer holding the byte at, else the first one after it.
    int64_t next = f.size;
    const Span* hold = nullptr;
    for (int k = 0; k < count && !hold; ++k) {
      const Span& s = spans[k];
      if (at >= s.pos && at - s.pos < s.len)
        hold = &s;
      else if (s.pos > at && s.pos < next)
        next = s.pos;
    }
    if (hold) {
      int64_t k = hold->len - (at - hold->pos);
      if (k > left) k = left;
      std::memcpy(dst + done, hold->bytes + (at - hold->pos), static_cast<size_t>(k));
      done += k;
      continue;
    }
    // The rest of a small read comes through the window, where the bytes
    // after it may be asked for next; a larger one is read directly.
    if (f.window && !filled && left <= kMediaWindowBytes) {
      filled = true;
      if (FillWindow(f, at)) continue;
    }
    int64_t gap = next - at < left ? next - at : left;
    int64_t got = PreadFull(f.fd, dst + done, gap, at);
    done += got;
    if (got < gap) break;
  }
  return done;
}

bool ReadBytes(const MediaBytes& f, int64_t pos, void* out, int64_t n) {
  if (pos < 0 || n < 0 || pos > f.size || n > f.size - pos) return false;
  if (n == 0) return true;
  return CopyBytes(f, pos, out, n) == n;
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
