// Prints the playing time in milliseconds of every file named on the
// command line, one "ms<TAB>path" line each, for comparison with ffprobe.
#include <cstdio>

#include "metadata/playtime.h"

int main(int argc, char** argv) {
  for (int k = 1; k < argc; ++k) std::printf("%d\t%s\n", GetMP3Length(argv[k]), argv[k]);
  return 0;
}
