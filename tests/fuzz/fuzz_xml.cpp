// The library-export reader on arbitrary documents, in every output style.
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return fuzz::RunReaderOn(xmlOutputLine, "library.xml", data, size);
}
