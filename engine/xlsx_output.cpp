#include "engine/xlsx_output.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include "base/handles.h"
#include "base/path.h"
#include "base/text.h"
#include "engine/output.h"
#include "engine/row_sink.h"
#include "engine/xlsx_lib.h"

struct XlsxBook {
  const XlsxLib* x = nullptr;
  FILE* file = nullptr;  // the workbook's bytes, an unnamed temporary file
  lxw_workbook* wb = nullptr;
  lxw_worksheet* ws = nullptr;
  lxw_format* bold = nullptr;
  lxw_format* time = nullptr;
  lxw_format* boldTime = nullptr;
  bool artistFirst = true;
  bool total = true;
  bool formula = true;
  lxw_row_t row = 0;           // the next row
  int widest[2] = {0, 0};      // display cells of the longest name per column
};

// A name column is as wide as its longest name, up to this many cells.
static const int kMaxColumnCells = 80;
static const double kTimeColumnWidth = 10;

// The number format of a time: hours past 24 stay hours.
static const char kTimeFormat[] = "[h]:mm:ss";

// Display cells of a name, as a terminal or a spreadsheet shows it, up to
// the widest column.
static int Cells(const char* text) {
  return static_cast<int>(TextCells(text, std::strlen(text), kMaxColumnCells));
}

// The sheet's name: the list's file name without its extension, with the
// characters a sheet name may not hold made "_", at most 31 characters,
// never empty.
static void SheetName(const char* source, char* out, size_t cap) {
  char name[MAXPATH];
  CopyUtf8(name, sizeof name, PathFileName(source));
  char* dot = std::strrchr(name, '.');
  if (dot && dot != name) *dot = '\0';
  for (char* p = name; *p; ++p)
    if (std::strchr("[]:*?/\\", *p)) *p = '_';
  const char* start = name;
  while (*start == '\'') ++start;
  size_t bytes = Utf8Prefix(start, std::strlen(start), 31);
  while (bytes > 0 && start[bytes - 1] == '\'') --bytes;
  if (bytes == 0) {
    CopyText(out, cap, "Playlist");
    return;
  }
  CopyTextN(out, cap, start, bytes);
}

XlsxBook* XlsxOpen(const RunSettings& s, int* error) {
  std::unique_ptr<XlsxBook> book(new XlsxBook);
  book->x = Xlsx();
  if (!book->x) {
    *error = ELIBACC;
    return nullptr;
  }
  const XlsxLib& x = *book->x;
  book->file = std::tmpfile();
  if (!book->file) {
    *error = errno;
    return nullptr;
  }
  // The library writes to a file by its name: the temporary file's own.
  char path[64];
  FormatText(path, sizeof path, "/proc/self/fd/%d", fileno(book->file));
  lxw_workbook_options options = {};
  options.constant_memory = LXW_TRUE;
  book->wb = x.workbook_new_opt(path, &options);
  char sheet[MAXPATH];
  SheetName(s.source, sheet, sizeof sheet);
  if (book->wb) book->ws = x.workbook_add_worksheet(book->wb, sheet);
  if (!book->wb || !book->ws) {
    XlsxDiscard(book.release());
    *error = ENOMEM;
    return nullptr;
  }
  book->bold = x.workbook_add_format(book->wb);
  x.format_set_bold(book->bold);
  book->time = x.workbook_add_format(book->wb);
  x.format_set_num_format(book->time, kTimeFormat);
  book->boldTime = x.workbook_add_format(book->wb);
  x.format_set_bold(book->boldTime);
  x.format_set_num_format(book->boldTime, kTimeFormat);
  book->artistFirst = s.artistFirst;
  book->total = s.total;
  book->formula = s.formula;
  const char* first = s.artistFirst ? "Interpret" : "Titel";
  const char* second = s.artistFirst ? "Titel" : "Interpret";
  x.worksheet_write_string(book->ws, 0, 0, first, book->bold);
  x.worksheet_write_string(book->ws, 0, 1, second, book->bold);
  x.worksheet_write_string(book->ws, 0, 2, "Zeit", book->bold);
  x.worksheet_freeze_panes(book->ws, 1, 0);
  book->widest[0] = Cells(first);
  book->widest[1] = Cells(second);
  book->row = 1;
  return book.release();
}

void XlsxRow(XlsxBook* book, const char* artist, const char* title, int32_t seconds) {
  const XlsxLib& x = *book->x;
  const char* cells[2] = {book->artistFirst ? artist : title, book->artistFirst ? title : artist};
  for (int c = 0; c < 2; ++c) {
    x.worksheet_write_string(book->ws, book->row, static_cast<lxw_col_t>(c), cells[c], nullptr);
    book->widest[c] = std::max(book->widest[c], Cells(cells[c]));
  }
  if (seconds != kNoTime)
    x.worksheet_write_number(book->ws, book->row, 2, std::max(seconds, 0) / 86400.0, book->time);
  ++book->row;
}

void XlsxTotal(XlsxBook* book, uint64_t tsum, int32_t rows) {
  if (!book->total || rows == 0 || tsum == 0) return;
  const XlsxLib& x = *book->x;
  x.worksheet_write_string(book->ws, book->row, 1, "Gesamtzeit", book->bold);
  double days = static_cast<double>(tsum) / 86400.0;
  if (book->formula) {
    char sum[48];
    FormatText(sum, sizeof sum, "=SUM(C2:C%u)", static_cast<unsigned>(book->row));
    x.worksheet_write_formula_num(book->ws, book->row, 2, sum, book->boldTime, days);
  } else {
    x.worksheet_write_number(book->ws, book->row, 2, days, book->boldTime);
  }
  ++book->row;
}

bool XlsxClose(XlsxBook* book, FILE* out, int* error) {
  std::unique_ptr<XlsxBook> owned(book);
  const XlsxLib& x = *book->x;
  for (int c = 0; c < 2; ++c)
    x.worksheet_set_column(book->ws, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c),
                         book->widest[c] + 2, nullptr);
  x.worksheet_set_column(book->ws, 2, 2, kTimeColumnWidth, nullptr);
  lxw_error rc = x.workbook_close(book->wb);
  book->wb = nullptr;
  bool ok = rc == LXW_NO_ERROR;
  if (!ok) *error = rc == LXW_ERROR_MEMORY_MALLOC_FAILED ? ENOMEM : EIO;
  // The workbook's bytes into the listing's stream.
  if (ok) {
    std::rewind(book->file);
    char buf[1 << 16];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, book->file)) > 0) {
      if (std::fwrite(buf, 1, n, out) != n) {
        *error = errno ? errno : EIO;
        ok = false;
        break;
      }
    }
    if (ok && std::ferror(book->file)) {
      *error = EIO;
      ok = false;
    }
  }
  std::fclose(book->file);
  book->file = nullptr;
  return ok;
}

void XlsxDiscard(XlsxBook* book) {
  if (!book) return;
  // A workbook never closed leaves the library's temporary files open; it
  // is closed into the temporary file, which goes with it.
  if (book->wb) book->x->workbook_close(book->wb);
  if (book->file) std::fclose(book->file);
  delete book;
}
