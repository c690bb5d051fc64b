#include "engine/convert.h"

#include <fcntl.h>
#include <stdio_ext.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include "base/handles.h"
#include "engine/json_output.h"
#include "engine/output.h"
#include "engine/readers.h"
#include "engine/row_sink.h"
#include "engine/xlsx_output.h"
#include "platform/errors.h"
#include "platform/files.h"

static const char HTMLHEAD1[] =
    "<!DOCTYPE html PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\"><html>\n"
    "<head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">"
    "<title>Playlist ";
static const char HTMLHEAD2[] =
    "</title></head>\n<body>\n"
    "<table border=\"1\" cellspacing=\"4\" cellpadding=\"4\" summary=\"Playlist ";
static const char HTMLHEAD3[] = "\">";
// How much of a source is looked at to tell what it is.
static const size_t kSniffBytes = 4096;

static const char HTMLTAIL[] = "</table>\n</body>\n</html>\n";

// The reader for the source by its name and its first bytes; null when it
// is no list.
static READER SourceReader(TextStream* in, const RunSettings& s) {
  const char* head;
  size_t n = TsPeek(in, kSniffBytes, &head);
  return ReaderForSource(s.source, head, n, s.format);
}

int WriteListing(TextStream* inFile, FILE* outFile, const RunSettings& s,
                 RunReport* report, RunControl* ctl) {
  RunReport scratch;
  if (!report) report = &scratch;
  // One thread writes this stream: spare every small write its lock.
  __fsetlocking(outFile, FSETLOCKING_BYCALLER);
  // A mark in front of the first entry would make it another name.
  TsSkipBom(inFile);
  READER reader = SourceReader(inFile, s);
  if (!reader) return READ_NOT_LIST;
  std::unique_ptr<XlsxBook, void (*)(XlsxBook*)> book(nullptr, XlsxDiscard);
  if (s.json) {
    JsonBegin(outFile, s);
  } else if (s.xlsx) {
    book.reset(XlsxOpen(s, &report->error));
    if (!book) return READ_WRITE_FAILED;
  } else if (s.html) {
    // The source path stands in the head twice, escaped like every text.
    std::fputs(HTMLHEAD1, outFile);
    PutHtml(outFile, s.source);
    std::fputs(HTMLHEAD2, outFile);
    PutHtml(outFile, s.source);
    std::fputs(HTMLHEAD3, outFile);
  }
  if (s.header && !s.json && !s.xlsx && !s.html && !s.tfmt) WriteHeaderRow(outFile, s);
  RowSink sink;
  SinkInit(&sink, outFile, &s, ctl);
  sink.book = book.get();
  int read = reader(inFile, &sink);
  report->rows = sink.rows;
  if (read == READ_DAMAGED) report->badLine = sink.badLine;
  // A read error ends the source early, which no reader can tell from its
  // end: half a list is never a listing.
  if (inFile->error && read != READ_STOPPED) {
    report->error = inFile->readErrno;
    return READ_FAILED;
  }
  if (read == READ_NO_MEMORY) {
    report->error = ENOMEM;
    return READ_FAILED;
  }
  if (read != READ_WHOLE) return read;
  if (book && !XlsxClose(book.release(), outFile, &report->error)) return READ_WRITE_FAILED;
  if (s.html && !s.json && !s.xlsx) std::fputs(HTMLTAIL, outFile);
  return READ_WHOLE;
}

static ConvertResult ResultOfRead(int read) {
  switch (read) {
    case READ_WHOLE: return CONVERT_WRITTEN;
    case READ_STOPPED: return CONVERT_CANCELLED;
    case READ_NOT_LIST: return CONVERT_NOT_PLAYLIST;
    case READ_FAILED: return CONVERT_SOURCE_UNREADABLE;
    case READ_WRITE_FAILED: return CONVERT_WRITE_FAILED;
    default: return CONVERT_SOURCE_DAMAGED;
  }
}

// Opens the source for reading; only a regular file is a source. The open
// does not wait on a pipe.
static ConvertResult OpenSource(const char* path, FilePtr* src, RunReport* report) {
  int64_t size;
  int fd = OpenRegularFile(path, &size);
  if (fd < 0) {
    int err = errno;
    if (err == kNotRegularFile) return CONVERT_SOURCE_NOT_FILE;
    if (err == ENOENT || err == ENOTDIR) return CONVERT_NO_SOURCE;
    if (report) report->error = err;
    return CONVERT_SOURCE_UNREADABLE;
  }
  // Reading on through the list: let the kernel read ahead.
  posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
  src->reset(fdopen(fd, "rb"));
  if (!*src) {
    close(fd);
    if (report) report->error = ENOMEM;
    return CONVERT_SOURCE_UNREADABLE;
  }
  return CONVERT_WRITTEN;
}

// The run's source: its file, or standard input.
static ConvertResult OpenRunSource(const RunSettings& s, FilePtr* src, RunReport* report) {
  if (!s.fromStdin) return OpenSource(s.source, src, report);
  int fd = dup(STDIN_FILENO);
  if (fd >= 0) src->reset(fdopen(fd, "rb"));
  if (!*src) {
    if (fd >= 0) close(fd);
    if (report) report->error = errno;
    return CONVERT_SOURCE_UNREADABLE;
  }
  return CONVERT_WRITTEN;
}

int64_t CountEntries(const RunSettings& s) {
  FilePtr src;
  // Standard input can be read only once.
  if (s.fromStdin || OpenSource(s.source, &src, nullptr) != CONVERT_WRITTEN) return -1;
  TextStream in;
  TsInit(&in, src.get());
  TsSkipBom(&in);
  READER reader = SourceReader(&in, s);
  if (!reader) return -1;
  RowSink sink;
  SinkInit(&sink, nullptr, &s, nullptr, true);
  reader(&in, &sink);
  return sink.rows;
}

// Counts the entries for whoever watches, before the rows are written.
static void CountFor(RunControl* ctl, const RunSettings& s) {
  if (!ctl) return;
  ctl->done.store(0);
  if (ctl->countFirst) ctl->total.store(CountEntries(s));
}

static ConvertResult Check(const RunSettings& s, const char* target, bool overwrite,
                           FilePtr* src, RunReport* report) {
  ConvertResult opened = OpenRunSource(s, src, report);
  if (opened != CONVERT_WRITTEN) return opened;
  // Writing the source over itself would lose it.
  if (IsSameFile(src->get(), target)) return CONVERT_SAME_FILE;
  if (!overwrite && PathExists(target)) return CONVERT_TARGET_EXISTS;
  return CONVERT_WRITTEN;
}

ConvertResult CheckConversion(const RunSettings& s, const char* target, bool overwrite,
                              RunReport* report) {
  FilePtr src;
  return Check(s, target, overwrite, &src, report);
}

ConvertResult ConvertToFile(const RunSettings& s, const char* target,
                            bool overwrite, RunReport* report, RunControl* ctl) {
  RunReport scratch;
  if (!report) report = &scratch;
  FilePtr src;
  ConvertResult checked = Check(s, target, overwrite, &src, report);
  if (checked != CONVERT_WRITTEN) return checked;

  TargetFile out;
  int opened = OpenTargetFile(&out, target);
  report->earlierCopy = out.earlierCopy;
  if (!opened) {
    report->error = out.error;
    report->old = out.old;
    report->copyPath = out.copyPath;
    return CONVERT_CANNOT_OPEN;
  }
  CountFor(ctl, s);
  TextStream in;
  TsInit(&in, src.get());
  int read = WriteListing(&in, out.file, s, report, ctl);
  if (read != READ_WHOLE) {
    AbortTargetFile(&out);  // half a listing never replaces a target
    return ResultOfRead(read);
  }
  src.reset();
  if (CommitTargetFile(&out)) return CONVERT_WRITTEN;
  report->error = out.error;
  report->old = out.old;
  report->copyPath = out.copyPath;
  return CONVERT_WRITE_FAILED;
}

ConvertResult ConvertToStream(const RunSettings& s, FILE* outFile,
                              RunReport* report, RunControl* ctl) {
  RunReport scratch;
  if (!report) report = &scratch;
  FilePtr src;
  ConvertResult opened = OpenRunSource(s, &src, report);
  if (opened != CONVERT_WRITTEN) return opened;
  CountFor(ctl, s);
  TextStream in;
  TsInit(&in, src.get());
  int read = WriteListing(&in, outFile, s, report, ctl);
  // The cause of a failed flush is its own errno, taken at once; a write
  // that failed before left only the stream's error flag.
  int flushed = std::fflush(outFile);
  int err = errno;
  if (flushed != 0 || std::ferror(outFile)) {
    report->error = flushed != 0 ? err : EIO;
    return CONVERT_WRITE_FAILED;
  }
  return ResultOfRead(read);
}
