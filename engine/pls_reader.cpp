// PLS lists: names only from the Title lines, times only from the Length
// lines. Each row is written in two pieces as the lines come, so a list
// whose lines are not in the order Title, Length gives ragged rows, exactly
// as it reads.
#include <cstring>

#include "base/limits.h"
#include "base/text.h"
#include "engine/helpers.h"
#include "engine/readers.h"

int plsOutputLine(TextStream* inFile, RowSink* sink) {
  char line[MAXPATH];

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
      RemoveExt(title, *sink->s);
      AddNamePart(sink, artist, title);
    } else if (std::strstr(line, "Length")) {
      // No value, a negative or a zero length: an empty time cell.
      int32_t time = kNoTime;
      char* eq = std::strchr(line, '=');
      if (eq && Atoi32(eq + 1) > 0) time = Atoi32(eq + 1);
      AddTimePart(sink, time);
    }
  }
  Finish(sink);
  return 1;
}
