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

void WriteListing(TextStream* inFile, FILE* outFile, const RunSettings& s) {
  // One thread writes this stream: spare every small write its lock.
  __fsetlocking(outFile, FSETLOCKING_BYCALLER);
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
  ChooseReader(s.source)(inFile, &sink);
  if (s.html) std::fputs(HTMLTAIL, outFile);
}

// Opens the source for reading; only a regular file is a source.
static FilePtr OpenSource(const char* path) {
  if (!IsRegularFile(path)) return nullptr;
  return FilePtr(std::fopen(path, "rb"));
}

ConvertResult ConvertToFile(const RunSettings& s, const char* target,
                            bool overwrite) {
  FilePtr src = OpenSource(s.source);
  if (!src) return CONVERT_NO_SOURCE;
  // Writing the source over itself would lose it.
  if (IsSameFile(src.get(), target)) return CONVERT_SAME_FILE;
  if (!overwrite && PathExists(target)) return CONVERT_TARGET_EXISTS;

  TargetFile out;
  if (!OpenTargetFile(&out, target)) return CONVERT_CANNOT_OPEN;
  TextStream in;
  TsInit(&in, src.get());
  WriteListing(&in, out.file, s);
  src.reset();
  return CommitTargetFile(&out) ? CONVERT_WRITTEN : CONVERT_WRITE_FAILED;
}

ConvertResult ConvertToStream(const RunSettings& s, FILE* outFile) {
  FilePtr src = OpenSource(s.source);
  if (!src) return CONVERT_NO_SOURCE;
  TextStream in;
  TsInit(&in, src.get());
  WriteListing(&in, outFile, s);
  if (std::fflush(outFile) != 0 || std::ferror(outFile)) return CONVERT_WRITE_FAILED;
  return CONVERT_WRITTEN;
}
