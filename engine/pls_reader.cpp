// PLS lists: names only from the Title lines, times only from the Length
// lines. Each row is written in two pieces as the lines come, so a list
// whose lines are not in the order Title, Length gives ragged rows, exactly
// as it reads.
#include <cstring>

#include "engine/convert.h"
#include "engine/helpers.h"
#include "engine/output.h"
#include "engine/text.h"

static const char NOARTIST[] = "(Kein Interpret)";

void plsOutputLine(TextStream* inFile, FILE* outFile, const char* sep) {
  char line[MAXPATH];
  char timefmt[TIMEFMT_SIZE];
  uint32_t tsum = 0;
  int32_t i = 0;
  const Columns cols = ColumnsFromSettings();

  size_t len;
  while (TsGets(line, MAXPATH - 1, inFile, &len)) {
    // A piece holds at most one LF, at its end; a zero byte before it ends
    // the text anyway.
    if (len > 0 && line[len - 1] == '\n') line[len - 1] = '\0';

    if (std::strstr(line, "Title")) {
      char* eq = std::strchr(line, '=');
      if (!eq) continue;
      char* value = eq + 1;
      const char* artist = NOARTIST;
      char* title = value;
      char* found;
      int titadd;
      // "[Artist] Song" splits at "] "; a '[' anywhere rules out " - ".
      if (std::strchr(value, '[')) {
        found = std::strstr(value, "] ");
        titadd = 2;
      } else {
        found = StrRStr(value, " - ");
        titadd = 3;
      }
      if (found) {
        found[1] = '\0';
        artist = value;
        title = found + titadd;
      }
      RemoveExt(title);
      WriteNamePart(outFile, sep, cols, artist, title);
    } else if (std::strstr(line, "Length")) {
      timefmt[0] = '\0';
      char* eq = std::strchr(line, '=');
      if (eq) {
        int32_t time = Atoi32(eq + 1);
        if (time < 0) time = 0;
        if (time != 0) FormatTime(timefmt, time);
        tsum += static_cast<uint32_t>(time);
      }
      WriteTimePart(outFile, timefmt);
      ++i;
    }
  }
  CreateTotalTime(outFile, sep, tsum, i);
}
