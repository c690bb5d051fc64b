#include "base/text.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <locale.h>

#include "base/limits.h"

size_t CopyText(char* dst, size_t cap, const char* src) {
  return CopyTextN(dst, cap, src, cap);
}

size_t CopyTextN(char* dst, size_t cap, const char* src, size_t n) {
  if (cap == 0) return 0;
  size_t limit = cap - 1 < n ? cap - 1 : n;
  size_t len = strnlen(src, limit);
  // memmove: callers copy within one buffer too (a path cut in place).
  std::memmove(dst, src, len);
  dst[len] = '\0';
  return len;
}

size_t FormatText(char* dst, size_t cap, const char* fmt, ...) {
  if (cap == 0) return 0;
  va_list ap;
  va_start(ap, fmt);
  int n = std::vsnprintf(dst, cap, fmt, ap);
  va_end(ap);
  if (n < 0) {
    dst[0] = '\0';
    return 0;
  }
  return static_cast<size_t>(n) < cap ? static_cast<size_t>(n) : cap - 1;
}

int32_t Atoi32(const char* s) {
  // isspace() of the C locale: blank, \t, \n, \v, \f, \r.
  while (*s == ' ' || (*s >= '\t' && *s <= '\r')) ++s;
  bool neg = false;
  if (*s == '+' || *s == '-') neg = (*s++ == '-');
  int64_t v = 0;
  const int64_t limit = neg ? -static_cast<int64_t>(INT32_MIN) : INT32_MAX;
  while (*s >= '0' && *s <= '9') {
    if (v < limit) {
      v = v * 10 + (*s - '0');
      if (v > limit) v = limit;
    }
    ++s;
  }
  return static_cast<int32_t>(neg ? -v : v);
}

size_t Utf8CharLen(const unsigned char* p, size_t avail) {
  unsigned char c = p[0];
  size_t n;
  uint32_t min;
  if (c >= 0xC2 && c <= 0xDF) {
    n = 2, min = 0x80;
  } else if (c >= 0xE0 && c <= 0xEF) {
    n = 3, min = 0x800;
  } else if (c >= 0xF0 && c <= 0xF4) {
    n = 4, min = 0x10000;
  } else {
    return 1;
  }
  if (avail < n) return 1;
  uint32_t cp = c & (0x7F >> n);
  for (size_t k = 1; k < n; ++k) {
    if ((p[k] & 0xC0) != 0x80) return 1;
    cp = (cp << 6) | (p[k] & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 1;
  return n;
}

size_t Utf8Count(const char* s, size_t len) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(s);
  size_t chars = 0;
  for (size_t i = 0; i < len; ++chars) {
    i += p[i] < 0x80 ? 1 : Utf8CharLen(p + i, len - i);
  }
  return chars;
}

size_t Utf8Prefix(const char* s, size_t len, size_t maxChars) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(s);
  size_t i = 0;
  for (size_t chars = 0; i < len && chars < maxChars; ++chars) {
    i += p[i] < 0x80 ? 1 : Utf8CharLen(p + i, len - i);
  }
  return i;
}

size_t Utf8CutBytes(const char* s, size_t len, size_t maxBytes) {
  if (len <= maxBytes) return len;
  const unsigned char* p = reinterpret_cast<const unsigned char*>(s);
  size_t i = 0;
  while (i < len) {
    size_t n = p[i] < 0x80 ? 1 : Utf8CharLen(p + i, len - i);
    if (i + n > maxBytes) break;
    i += n;
  }
  return i;
}

size_t Utf8Encode(uint32_t cp, char* dst) {
  unsigned char* d = reinterpret_cast<unsigned char*>(dst);
  if (cp < 0x80) {
    d[0] = static_cast<unsigned char>(cp);
    return 1;
  }
  if (cp < 0x800) {
    d[0] = static_cast<unsigned char>(0xC0 | (cp >> 6));
    d[1] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
    return 2;
  }
  if (cp < 0x10000) {
    d[0] = static_cast<unsigned char>(0xE0 | (cp >> 12));
    d[1] = static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F));
    d[2] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
    return 3;
  }
  d[0] = static_cast<unsigned char>(0xF0 | (cp >> 18));
  d[1] = static_cast<unsigned char>(0x80 | ((cp >> 12) & 0x3F));
  d[2] = static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F));
  d[3] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
  return 4;
}

bool IsValidUtf8(const char* s, size_t len) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(s);
  for (size_t i = 0; i < len;) {
    // Plain ASCII, the usual case, eight bytes at a time.
    uint64_t word;
    if (i + 8 <= len && (std::memcpy(&word, p + i, 8), (word & 0x8080808080808080u) == 0)) {
      i += 8;
      continue;
    }
    if (p[i] < 0x80) {
      ++i;
      continue;
    }
    size_t n = Utf8CharLen(p + i, len - i);
    if (n == 1) return false;
    i += n;
  }
  return true;
}

// Windows-1252 0x80..0x9F.
static const uint16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

uint32_t Cp1252CodePoint(unsigned char b) {
  return b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : b;
}

size_t Cp1252ToUtf8(char* dst, size_t cap, const char* src, size_t len) {
  if (cap == 0) return 0;
  size_t out = 0;
  for (size_t k = 0; k < len && src[k] != '\0'; ++k) {
    char tmp[4];
    size_t n = Utf8Encode(Cp1252CodePoint(static_cast<unsigned char>(src[k])), tmp);
    if (out + n > cap - 1) break;
    std::memcpy(dst + out, tmp, n);
    out += n;
  }
  dst[out] = '\0';
  return out;
}

size_t ShownText(char* dst, size_t cap, const char* src) {
  if (cap == 0) return 0;
  size_t len = std::strlen(src);
  if (!IsValidUtf8(src, len)) return Cp1252ToUtf8(dst, cap, src, len);
  return CopyTextN(dst, cap, src, Utf8CutBytes(src, len, cap - 1));
}

int CharCells(uint32_t cp) {
  if (cp < 0x7F) return cp >= 0x20 ? 1 : 0;
  // One C.UTF-8 locale for the process, used by each thread as it asks.
  static const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
  if (!utf8) return 1;
  locale_t before = uselocale(utf8);
  int w = wcwidth(static_cast<wchar_t>(cp));
  uselocale(before);
  return w < 0 ? 1 : w;
}

uint32_t Utf8Decode(const unsigned char* p, size_t len) {
  if (len == 1) return p[0];
  uint32_t cp = p[0] & (0x7F >> len);
  for (size_t k = 1; k < len; ++k) cp = (cp << 6) | (p[k] & 0x3F);
  return cp;
}

bool EqualsNoCase(const char* a, const char* b) {
  return EqualsNoCaseN(a, b, SIZE_MAX);
}

bool EqualsNoCaseN(const char* a, const char* b, size_t n) {
  for (; n > 0; --n, ++a, ++b) {
    unsigned char ca = static_cast<unsigned char>(*a);
    unsigned char cb = static_cast<unsigned char>(*b);
    if (ca >= 'A' && ca <= 'Z') ca = static_cast<unsigned char>(ca + 32);
    if (cb >= 'A' && cb <= 'Z') cb = static_cast<unsigned char>(cb + 32);
    if (ca != cb) return false;
    if (ca == 0) return true;
  }
  return true;
}

void FormatFileMessage(char* buf, size_t cap, const char* fmt,
                       const char* name) {
  // Room for the name: the buffer less the text around "%s" and the zero.
  size_t fixed = std::strlen(fmt) - 2;
  size_t room = cap - 1 > fixed ? cap - 1 - fixed : 0;
  size_t len = std::strlen(name);
  if (len <= room) {
    FormatText(buf, cap, fmt, name);
    return;
  }
  // Keep the end of the name, which tells one file from another, behind
  // "...", and never start inside a character.
  char shortName[MAXPATH];
  size_t keep = room > 3 ? room - 3 : 0;
  if (keep > sizeof shortName - 4) keep = sizeof shortName - 4;
  const char* tail = name + len - keep;
  while (keep > 0 && (static_cast<unsigned char>(*tail) & 0xC0) == 0x80) {
    ++tail;
    --keep;
  }
  FormatText(shortName, sizeof shortName, "...%s", tail);
  FormatText(buf, cap, fmt, shortName);
}

size_t CopyUtf8(char* dst, size_t cap, const char* src) {
  size_t len = std::strlen(src);
  return CopyTextN(dst, cap, src, Utf8CutBytes(src, len, cap - 1));
}

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

int64_t TextCells(const char* text, size_t len, int64_t limit, size_t* bytes) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  size_t end = 0;
  int64_t cells = 0;
  while (end < len) {
    size_t n = p[end] < 0x80 ? 1 : Utf8CharLen(p + end, len - end);
    int c = p[end] < 0x80 ? 1 : CharCells(Utf8Decode(p + end, n));
    if (limit >= 0 && cells + c > limit) break;
    cells += c;
    end += n;
  }
  if (bytes) *bytes = end;
  return cells;
}
