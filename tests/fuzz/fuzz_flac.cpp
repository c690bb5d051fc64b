// The FLAC header reader on arbitrary bytes (FLAC metadata blocks), from a head
// buffer of a size the input picks and positioned reads beyond it; whatever it
// answers must be what the demuxer says.
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return fuzz::RunContainerReader(FlacInfo, "flac", data, size);
}
