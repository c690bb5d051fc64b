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
  if (s < 0) s = 0;
  char* p = PutTwoDigits(timefmt, s / 3600);
  *p++ = ':';
  p = PutTwoDigits(p, s % 3600 / 60);
  *p++ = ':';
  p = PutTwoDigits(p, s % 60);
  *p = '\0';
}

void NameForOutput(char* out, const char* name, const char* placeholder) {
  // Every name is shown in at most 510 bytes, whatever it came from (a tag,
  // a list line of any length, a path).
  ShownText(out, MAXPATH - 1, name);
  unsigned char* p = reinterpret_cast<unsigned char*>(out);
  size_t w = 0;
  for (size_t r = 0; p[r];) {
    if (p[r] < 0x20 || p[r] == 0x7F) {
      p[w++] = ' ';
      ++r;
    } else if (p[r] == 0xC2 && p[r + 1] >= 0x80 && p[r + 1] <= 0x9F) {
      p[w++] = ' ';  // a C1 control: two bytes become one blank
      r += 2;
    } else {
      p[w++] = p[r++];
    }
  }
  p[w] = '\0';
  if (w == 0) CopyText(out, MAXPATH, placeholder);
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

// A column of w display cells as a terminal counts them: the text cut to at
// most w - 1 cells, never inside a character (a wide character that would
// cross the limit is left out), and padded with blanks to w cells. A stored
// negative width pads to its magnitude and does not cut, as printf's
// "%-*.*s" does.
static void PutColumn(FILE* out, const char* text, int32_t w) {
  int64_t width = w < 0 ? -static_cast<int64_t>(w) : w;
  int64_t limit = static_cast<int64_t>(w) - 1;  // < 0: no cut
  size_t end;
  int64_t cells = TextCells(text, std::strlen(text), limit, &end);
  std::fwrite(text, 1, end, out);
  if (width > kMaxPad) width = kMaxPad;
  PutBlanks(out, width - cells);
}

// An import-text field goes in double quotes when it holds a comma, a
// semicolon or a double quote: a spreadsheet's import splits at all of them
// by default, whichever separator the text uses. A field that a spreadsheet
// would take for a formula (=, +, - or @ first) gets an apostrophe in front,
// which makes it text.
static void PutImportField(FILE* out, const char* text) {
  bool quote = std::strpbrk(text, ",;\"") != nullptr;
  if (quote) std::fputc('"', out);
  if (text[0] == '=' || text[0] == '+' || text[0] == '-' || text[0] == '@')
    std::fputc('\'', out);
  // The text in runs up to each double quote, which is doubled.
  const char* run = text;
  for (const char* q; quote && (q = std::strchr(run, '"')) != nullptr; run = q + 1)
    std::fwrite(run, 1, static_cast<size_t>(q - run) + 1, out), std::fputc('"', out);
  std::fputs(run, out);
  if (quote) std::fputc('"', out);
}

void WriteNamePart(FILE* out, const RunSettings& s, const Columns& cols,
                   const char* artistName, const char* titleName) {
  char artist[MAXPATH];
  char title[MAXPATH];
  NameForOutput(artist, artistName, NOARTIST);
  NameForOutput(title, titleName, NOTITLE);
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
    PutImportField(out, first);
    std::fputs(sep, out);
    PutImportField(out, second);
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

void WriteHeaderRow(FILE* out, const RunSettings& s) {
  const char* sep = Separator(s);
  std::fprintf(out, "%s%s%s%sZeit\n", s.artistFirst ? "Interpret" : "Titel", sep,
               s.artistFirst ? "Titel" : "Interpret", sep);
}

void CreateTotalTime(FILE* outFile, const RunSettings& st, uint64_t tsum,
                     int32_t i) {
  if (i == 0 || tsum == 0 || !st.total) return;
  unsigned long long h = tsum / 3600;
  unsigned m = static_cast<unsigned>(tsum % 3600 / 60);
  unsigned s = static_cast<unsigned>(tsum % 60);
  const char* sep = Separator(st);
  if (st.html) {
    std::fprintf(outFile,
                 "<tr><td></td><td>Gesamtzeit</td><td>%02llu:%02u:%02u</td></tr>\n",
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
    std::fprintf(outFile, "%02llu:%02u:%02u\n", h, m, s);
  } else if (st.formula) {
    // Below a header row the rows start in the second.
    int first = st.header ? 2 : 1;
    std::fprintf(outFile, "%sGesamtzeit%s=SUMME(C%d:C%d)\n", sep, sep, first, i + first - 1);
  } else {
    std::fprintf(outFile, "%sGesamtzeit%s%02llu:%02u:%02u\n", sep, sep, h, m, s);
  }
}
