// A whole listing of arbitrary bytes given as a source whose name says
// nothing: the reader is chosen by what the bytes start with (a list, an
// XML document of any known kind, UTF-16 text, a media file, binary data).
#include "engine/convert.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  size_t written = 0;
  int read = READ_WHOLE;
  fuzz::RunListingOn("list", data, size,
                     [&written](TextStream* ts, FILE* out, const RunSettings& s) {
                       int r = WriteListing(ts, out, s);
                       written = static_cast<size_t>(std::ftell(out));
                       return r;
                     },
                     &read);
  // A source refused as no list gets nothing written.
  if (read == READ_NOT_LIST && written != 0) __builtin_trap();
  return 0;
}
