#include "engine/output.h"

#include <cstring>

#include "base/text.h"

// A formatted column can be padded this far at most: stored settings may
// hold any 32-bit width, and a row of two billion blanks helps nobody.
static const int64_t kMaxPad = 65536;

Columns ColumnsFrom(const RunSettings& s) {
  Columns c;
  c.artistFirst = s.artistFirst;
  c.width1 = c.artistFirst ? s.widthArtist : s.widthTitle;
  c.width2 = c.artistFirst ? s.widthTitle : s.widthArtist;
  return c;
}

// Two digits at least, as "%02d" writes a non-negative number.
static char* PutTwoDigits(char* p, int32_t v) {
  char digits[12];
  int n = 0;
  do {
    digits[n++] = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v > 0);
  if (n < 2) digits[n++] = '0';
  while (n > 0) *p++ = digits[--n];
  return p;
}

void FormatTime(char* timefmt, int32_t s) {
  if (s < 0) {  // rare: only a negative library time gets here
    FormatText(timefmt, TIMEFMT_SIZE, "%02d:%02d:%02d", s / 3600,
               s % 3600 / 60, s % 60);
    return;
  }
  char* p = PutTwoDigits(timefmt, s / 3600);
  *p++ = ':';
  p = PutTwoDigits(p, s % 3600 / 60);
  *p++ = ':';
  p = PutTwoDigits(p, s % 60);
  *p = '\0';
}

void PutHtml(FILE* out, const char* text) {
  const char* run = text;
  for (const char* p = text;; ++p) {
    const char* rep;
    switch (*p) {
      case '&': rep = "&amp;"; break;
      case '<': rep = "&lt;"; break;
      case '>': rep = "&gt;"; break;
      case '"': rep = "&quot;"; break;
      case '\0': std::fwrite(run, 1, static_cast<size_t>(p - run), out); return;
      default: continue;
    }
    std::fwrite(run, 1, static_cast<size_t>(p - run), out);
    std::fputs(rep, out);
    run = p + 1;
  }
}

static void PutBlanks(FILE* out, int64_t n) {
  static const char blanks[] = "                                                                ";
  while (n > 0) {
    size_t k = n < 64 ? static_cast<size_t>(n) : 64;
    std::fwrite(blanks, 1, k, out);
    n -= static_cast<int64_t>(k);
  }
}

// printf's "%-*.*s" with width w and precision w - 1, counted in characters:
// the text is cut to w - 1 characters and padded to w. A negative width pads
// to its magnitude; a negative precision does not cut.
static void PutColumn(FILE* out, const char* text, int32_t w) {
  int64_t width = w < 0 ? -static_cast<int64_t>(w) : w;
  int64_t prec = static_cast<int64_t>(w) - 1;
  size_t len = std::strlen(text);
  if (prec >= 0) len = Utf8Prefix(text, len, static_cast<size_t>(prec));
  std::fwrite(text, 1, len, out);
  int64_t chars = static_cast<int64_t>(Utf8Count(text, len));
  if (width > kMaxPad) width = kMaxPad;
  PutBlanks(out, width - chars);
}

// An import-text field goes in double quotes when it holds the separator, a
// double quote or a line break, so that it stays one spreadsheet column.
static void PutImportField(FILE* out, const char* text, const char* sep) {
  if (!std::strstr(text, sep) && !std::strpbrk(text, "\"\r\n")) {
    std::fputs(text, out);
    return;
  }
  std::fputc('"', out);
  for (const char* p = text; *p; ++p) {
    if (*p == '"') std::fputc('"', out);
    std::fputc(*p, out);
  }
  std::fputc('"', out);
}

void WriteNamePart(FILE* out, const RunSettings& s, const Columns& cols,
                   const char* artist, const char* title) {
  const char* first = cols.artistFirst ? artist : title;
  const char* second = cols.artistFirst ? title : artist;
  if (s.html) {
    std::fputs("<tr><td>", out);
    PutHtml(out, first);
    std::fputs("</td><td>", out);
    PutHtml(out, second);
    std::fputs("</td>", out);
  } else if (s.tfmt) {
    PutColumn(out, first, cols.width1);
    PutColumn(out, second, cols.width2);
  } else {
    const char* sep = Separator(s);
    PutImportField(out, first, sep);
    std::fputs(sep, out);
    PutImportField(out, second, sep);
    std::fputs(sep, out);
  }
}

void WriteTimePart(FILE* out, const RunSettings& s, const char* timefmt) {
  if (s.html) {
    std::fputs("<td>", out);
    PutHtml(out, timefmt);
    std::fputs("</td></tr>\n", out);
  } else {
    std::fputs(timefmt, out);
    std::fputc('\n', out);
  }
}

void CreateTotalTime(FILE* outFile, const RunSettings& st, uint32_t tsum,
                     int32_t i) {
  if (i == 0 || tsum == 0 || !st.total) return;
  unsigned h = tsum / 3600;
  unsigned m = tsum % 3600 / 60;
  unsigned s = tsum % 60;
  const char* sep = Separator(st);
  if (st.html) {
    std::fprintf(outFile,
                 "<tr><td></td><td>Gesamtzeit</td><td>%02u:%02u:%02u</td></tr>\n",
                 h, m, s);
  } else if (st.tfmt) {
    // The label right-aligned under the two name columns.
    static const char label[] = "Gesamtzeit: ";
    int64_t w = static_cast<int64_t>(st.widthArtist) + st.widthTitle;
    int64_t width = w < 0 ? -w : w;
    if (width > kMaxPad) width = kMaxPad;
    int64_t pad = width - static_cast<int64_t>(sizeof label - 1);
    if (w >= 0) PutBlanks(outFile, pad);
    std::fputs(label, outFile);
    if (w < 0) PutBlanks(outFile, pad);
    std::fprintf(outFile, "%02u:%02u:%02u", h, m, s);
  } else if (st.formula) {
    std::fprintf(outFile, "%sGesamtzeit%s=SUMME(C1:C%d)", sep, sep, i);
  } else {
    std::fprintf(outFile, "%sGesamtzeit%s%02u:%02u:%02u", sep, sep, h, m, s);
  }
}
