// The ASX reader (XML and INI forms) on arbitrary documents, in every
// output style.
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return fuzz::RunReaderOn(asxOutputLine, "list.asx", data, size);
}
