// The PLS reader on arbitrary list contents, in every output style, in a
// folder with real media files.
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return fuzz::RunReaderOn(plsOutputLine, "list.pls", data, size);
}
