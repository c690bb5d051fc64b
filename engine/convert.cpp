#include "engine/convert.h"

#include <stdio_ext.h>

#include "base/handles.h"
#include "engine/output.h"
#include "engine/readers.h"
#include "engine/row_sink.h"
#include "platform/files.h"

static const char HTMLHEAD1[] =
    "<!DOCTYPE html PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\"><html>\n"
    "<head><title>Playlist ";
static const char HTMLHEAD2[] =
    "</title></head>\n<body>\n"
    "<table border=\"1\" cellspacing=\"4\" cellpadding=\"4\" summary=\"Playlist ";
static const char HTMLHEAD3[] = "\">";
static const char HTMLTAIL[] = "</table>\n</body>\n</html>\n";

int WriteListing(TextStream* inFile, FILE* outFile, const RunSettings& s,
                 int32_t* badLine) {
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
  SinkInit(&sink, outFile, &s);
  if (!ChooseReader(s.source)(inFile, &sink)) {
    if (badLine) *badLine = sink.badLine;
    return 0;
  }
  if (s.html) std::fputs(HTMLTAIL, outFile);
  return 1;
}

// Opens the source for reading; only a regular file is a source.
static FilePtr OpenSource(const char* path) {
  if (!IsRegularFile(path)) return nullptr;
  return FilePtr(std::fopen(path, "rb"));
}

ConvertResult ConvertToFile(const RunSettings& s, const char* target,
                            bool overwrite, int32_t* badLine) {
  FilePtr src = OpenSource(s.source);
  if (!src) return CONVERT_NO_SOURCE;
  // Writing the source over itself would lose it.
  if (IsSameFile(src.get(), target)) return CONVERT_SAME_FILE;
  if (!overwrite && PathExists(target)) return CONVERT_TARGET_EXISTS;

  TargetFile out;
  if (!OpenTargetFile(&out, target)) return CONVERT_CANNOT_OPEN;
  TextStream in;
  TsInit(&in, src.get());
  if (!WriteListing(&in, out.file, s, badLine)) {
    AbortTargetFile(&out);  // half a listing never replaces a target
    return CONVERT_SOURCE_DAMAGED;
  }
  src.reset();
  return CommitTargetFile(&out) ? CONVERT_WRITTEN : CONVERT_WRITE_FAILED;
}

ConvertResult ConvertToStream(const RunSettings& s, FILE* outFile,
                              int32_t* badLine) {
  FilePtr src = OpenSource(s.source);
  if (!src) return CONVERT_NO_SOURCE;
  TextStream in;
  TsInit(&in, src.get());
  int whole = WriteListing(&in, outFile, s, badLine);
  if (std::fflush(outFile) != 0 || std::ferror(outFile)) return CONVERT_WRITE_FAILED;
  return whole ? CONVERT_WRITTEN : CONVERT_SOURCE_DAMAGED;
}
