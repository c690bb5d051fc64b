#include "engine/textstream.h"

#include <cstring>

void TsInit(TextStream* ts, FILE* f, size_t blockSize) {
  if (blockSize < 1024) blockSize = 1024;
  ts->file = f;
  // One byte more than a block, for a CR carried over from the last one.
  ts->cap = blockSize + 1;
  ts->buf.reset(new char[ts->cap]);
  ts->pos = ts->end = 0;
  ts->crPending = false;
  ts->eof = ts->error = false;
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
  size_t got = room ? std::fread(b + ts->end, 1, room, ts->file) : 0;
  if (got == 0) {
    // A held-back CR at the very end of the source ends its last line.
    if (heldCr) b[ts->end - 1] = '\n';
    if (std::ferror(ts->file)) ts->error = true;
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

char* TsGets(char* s, int n, TextStream* ts, size_t* len) {
  size_t want = n > 1 ? static_cast<size_t>(n - 1) : 0;
  size_t take;
  for (;;) {
    size_t avail = ts->end - ts->pos;
    size_t look = avail < want ? avail : want;
    const char* p = ts->buf.get() + ts->pos;
    const char* lf = static_cast<const char*>(std::memchr(p, '\n', look));
    if (lf) {
      take = static_cast<size_t>(lf - p) + 1;
      break;
    }
    if (avail >= want || !Refill(ts)) {
      take = look;
      break;
    }
  }
  if (len) *len = take;
  if (take == 0 && want > 0) return nullptr;
  std::memcpy(s, ts->buf.get() + ts->pos, take);
  s[take] = '\0';
  ts->pos += take;
  return s;
}

char* MyFgets(char* s, int n, TextStream* iop) {
  size_t want = n > 1 ? static_cast<size_t>(n - 1) : 0;
  for (;;) {
    size_t avail = iop->end - iop->pos;
    size_t look = avail < want ? avail : want;
    const char* p = iop->buf.get() + iop->pos;
    const char* term = static_cast<const char*>(std::memchr(p, '\n', look));
    size_t crLook = term ? static_cast<size_t>(term - p) : look;
    const char* cr = static_cast<const char*>(std::memchr(p, '\r', crLook));
    if (cr) term = cr;
    if (term) {
      size_t take = static_cast<size_t>(term - p);
      std::memcpy(s, p, take);
      s[take] = '\0';
      iop->pos += take + 1;
      return s;
    }
    if (avail >= want || !Refill(iop)) {
      if (look == 0) return nullptr;
      // Refill may have moved the unread bytes to the front of the buffer.
      p = iop->buf.get() + iop->pos;
      std::memcpy(s, p, look);
      s[look] = '\0';
      iop->pos += look;
      return s;
    }
  }
}
