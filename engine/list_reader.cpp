// Plain lists (M3U, M3U8, OFL, one path or URL per line). Until the media
// metadata is in place this reader only walks the lines and writes the total
// line, which for no rows is empty.
#include "engine/convert.h"
#include "engine/output.h"

void OutputLine(TextStream* inFile, FILE* outFile, const char* sep) {
  char line[MAXPATH];
  while (MyFgets(line, MAXPATH - 1, inFile)) {
  }
  CreateTotalTime(outFile, sep, 0, 0);
}
