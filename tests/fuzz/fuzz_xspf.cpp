// The XSPF and WPL readers on arbitrary documents, in every output style;
// the last bit of the first byte picks the reader.
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  if (data[0] & 128) return fuzz::RunReaderOn(wplOutputLine, "list.wpl", data, size);
  return fuzz::RunReaderOn(xspfOutputLine, "list.xspf", data, size);
}
