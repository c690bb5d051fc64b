// The MP4 header reader on arbitrary bytes (MP4 atoms), from a head buffer of a
// size the input picks and positioned reads beyond it; whatever it answers must
// be what the demuxer says, unless the demuxer refuses the file whole.
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return fuzz::RunContainerReader(Mp4Info, "m4a", data, size, true);
}
