// A whole listing of arbitrary bytes given as a source whose name says
// nothing: the reader is chosen by what the bytes start with (a list, an
// XML document of any known kind, UTF-16 text, a media file, binary data).
#include "engine/convert.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const RunSettings s = fuzz::SettingsFrom(data[0], fuzz::MediaFolder() + "/list");
  FILE* in = fmemopen(const_cast<uint8_t*>(data + 1), size - 1, "rb");
  if (!in) return 0;
  char* buf = nullptr;
  size_t len = 0;
  FILE* out = open_memstream(&buf, &len);
  if (!out) {
    std::fclose(in);
    return 0;
  }
  int read;
  {
    TextStream ts;
    TsInit(&ts, in, 4096);
    read = WriteListing(&ts, out, s);
  }
  std::fclose(in);
  std::fclose(out);
  // A source refused as no list gets nothing written.
  if (read == READ_NOT_LIST && len != 0) __builtin_trap();
  fuzz::CheckListing(buf, len);
  std::free(buf);
  return 0;
}
