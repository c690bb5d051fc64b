#include "engine/convert.h"

#include <stdio_ext.h>

#include "base/handles.h"
#include "engine/output.h"
#include "engine/readers.h"
#include "engine/row_sink.h"
#include "platform/files.h"

static const char HTMLHEAD1[] =
    "<!DOCTYPE html PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\"><html>\n"
    "<head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">"
    "<title>Playlist ";
static const char HTMLHEAD2[] =
    "</title></head>\n<body>\n"
    "<table border=\"1\" cellspacing=\"4\" cellpadding=\"4\" summary=\"Playlist ";
static const char HTMLHEAD3[] = "\">";
static const char HTMLTAIL[] = "</table>\n</body>\n</html>\n";

int WriteListing(TextStream* inFile, FILE* outFile, const RunSettings& s,
                 int32_t* badLine, RunControl* ctl) {
  // One thread writes this stream: spare every small write its lock.
  __fsetlocking(outFile, FSETLOCKING_BYCALLER);
  // A mark in front of the first entry would make it another name.
  TsSkipBom(inFile);
  if (s.html) {
    // The source path stands in the head twice, escaped like every text.
    std::fputs(HTMLHEAD1, outFile);
    PutHtml(outFile, s.source);
    std::fputs(HTMLHEAD2, outFile);
    PutHtml(outFile, s.source);
    std::fputs(HTMLHEAD3, outFile);
  }
  RowSink sink;
  SinkInit(&sink, outFile, &s, ctl);
  int read = ChooseReader(s.source)(inFile, &sink);
  if (read == READ_DAMAGED && badLine) *badLine = sink.badLine;
  if (read != READ_WHOLE) return read;
  if (s.html) std::fputs(HTMLTAIL, outFile);
  return READ_WHOLE;
}

// Opens the source for reading; only a regular file is a source.
static FilePtr OpenSource(const char* path) {
  if (!IsRegularFile(path)) return nullptr;
  return FilePtr(std::fopen(path, "rb"));
}

int64_t CountEntries(const RunSettings& s) {
  FilePtr src = OpenSource(s.source);
  if (!src) return -1;
  TextStream in;
  TsInit(&in, src.get());
  TsSkipBom(&in);
  RowSink sink;
  SinkInit(&sink, nullptr, &s, nullptr, true);
  ChooseReader(s.source)(&in, &sink);
  return sink.rows;
}

// Counts the entries for whoever watches, before the rows are written.
static void CountFor(RunControl* ctl, const RunSettings& s) {
  if (!ctl) return;
  ctl->done.store(0);
  if (ctl->countFirst) ctl->total.store(CountEntries(s));
}

static ConvertResult Check(const RunSettings& s, const char* target, bool overwrite,
                           FilePtr* src) {
  *src = OpenSource(s.source);
  if (!*src) return CONVERT_NO_SOURCE;
  // Writing the source over itself would lose it.
  if (IsSameFile(src->get(), target)) return CONVERT_SAME_FILE;
  if (!overwrite && PathExists(target)) return CONVERT_TARGET_EXISTS;
  return CONVERT_WRITTEN;
}

ConvertResult CheckConversion(const RunSettings& s, const char* target, bool overwrite) {
  FilePtr src;
  return Check(s, target, overwrite, &src);
}

ConvertResult ConvertToFile(const RunSettings& s, const char* target,
                            bool overwrite, int32_t* badLine, RunControl* ctl) {
  FilePtr src;
  ConvertResult checked = Check(s, target, overwrite, &src);
  if (checked != CONVERT_WRITTEN) return checked;

  TargetFile out;
  if (!OpenTargetFile(&out, target)) return CONVERT_CANNOT_OPEN;
  CountFor(ctl, s);
  TextStream in;
  TsInit(&in, src.get());
  int read = WriteListing(&in, out.file, s, badLine, ctl);
  if (read != READ_WHOLE) {
    AbortTargetFile(&out);  // half a listing never replaces a target
    return read == READ_STOPPED ? CONVERT_CANCELLED : CONVERT_SOURCE_DAMAGED;
  }
  src.reset();
  return CommitTargetFile(&out) ? CONVERT_WRITTEN : CONVERT_WRITE_FAILED;
}

ConvertResult ConvertToStream(const RunSettings& s, FILE* outFile,
                              int32_t* badLine, RunControl* ctl) {
  FilePtr src = OpenSource(s.source);
  if (!src) return CONVERT_NO_SOURCE;
  CountFor(ctl, s);
  TextStream in;
  TsInit(&in, src.get());
  int read = WriteListing(&in, outFile, s, badLine, ctl);
  if (std::fflush(outFile) != 0 || std::ferror(outFile)) return CONVERT_WRITE_FAILED;
  if (read == READ_STOPPED) return CONVERT_CANCELLED;
  return read == READ_WHOLE ? CONVERT_WRITTEN : CONVERT_SOURCE_DAMAGED;
}
