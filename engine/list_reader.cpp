// Plain lists: M3U, M3U8, OFL and any text with one path or URL per line.
// Each entry line gives one row: names from the file's tags, from its name,
// or from the path; the time from the media when there is a file.
#include <cstring>

#include "base/limits.h"
#include "base/path.h"
#include "base/text.h"
#include "engine/helpers.h"
#include "engine/list_reader.h"
#include "engine/readers.h"
#include "metadata/id3.h"
#include "metadata/playtime.h"
#include "platform/files.h"

int FileExists(const char* szPath) { return IsRegularFile(szPath); }

void ResolveEntry(const char* entry, const char* listPath, char* out, size_t cap) {
  if (entry[0] == '/') {
    CopyText(out, cap, entry);
    return;
  }
  size_t dirLen = PathFolderLen(listPath);
  FormatText(out, cap, "%.*s%s", static_cast<int>(dirLen), listPath, entry);
}

// Names from the components of a path that names no file: the title from
// the last component, the artist from the folder two levels above it.
static void NamesFromPath(const char* line, char* title, char* artist,
                          const RunSettings& s) {
  char work[MAXPATH];
  CopyText(work, sizeof work, line);
  char* sep = StrRSlash(work);
  if (!sep) return;
  CopyText(title, MAXPATH, sep + 1);
  RemoveExt(title, s);
  *sep = '\0';
  if (!(sep = StrRSlash(work))) return;
  *sep = '\0';
  if (!(sep = StrRSlash(work))) return;
  CopyText(artist, MAXPATH, sep + 1);
}

// At most the first two characters of text as a decimal number.
static int32_t TwoDigits(const char* text, size_t avail) {
  char digits[3];
  CopyTextN(digits, sizeof digits, text, avail < 2 ? avail : 2);
  return Atoi32(digits);
}

// Names and seconds from the name of a file without tags, read as
// "Artist - Title (m:ss)". Returns the seconds.
static int32_t NamesFromFileTitle(const char* path, char* title, char* artist,
                                  const RunSettings& s) {
  char ftitle[MAXPATH];
  if (GetFileTitle(path, ftitle, sizeof ftitle) != 0) return 0;
  int32_t time = GetMP3Length(path) / 1000;
  RemoveExt(ftitle, s);
  char* dash = StrRStr(ftitle, " - ");
  if (!dash) {
    CopyText(title, MAXPATH, ftitle);
    return time;
  }
  *dash = '\0';
  CopyText(artist, MAXPATH, ftitle);
  CopyText(title, MAXPATH, dash + 3);

  char* paren = std::strrchr(title, '(');
  if (!paren) return time;
  // The character before the '(' goes with it; the text after the '('
  // stays in the buffer for the time.
  *(paren == title ? paren : paren - 1) = '\0';
  char* colon = std::strchr(paren + 1, ':');
  if (!colon) return time;
  int32_t min = TwoDigits(paren + 1, static_cast<size_t>(colon - (paren + 1)));
  int32_t sec = TwoDigits(colon + 1, 2);
  return min * 60 + sec;
}

void OutputLine(TextStream* inFile, RowSink* sink) {
  const RunSettings& s = *sink->s;
  char line[MAXPATH];
  char path[2 * MAXPATH];
  char titlebuf[MAXPATH];
  char artistbuf[MAXPATH];

  while (MyFgets(line, MAXPATH - 1, inFile)) {
    if (line[0] == '\0' || std::strstr(line, "#EXTM3U") || std::strstr(line, "#EXTINF:"))
      continue;
    char* bar = std::strrchr(line, '|');
    if (bar) *bar = '\0';

    int32_t time = 0;
    CopyText(titlebuf, sizeof titlebuf, NOTITLE);
    CopyText(artistbuf, sizeof artistbuf, NOARTIST);

    if (std::strstr(line, "http://")) {
      CopyText(titlebuf, sizeof titlebuf, line);
    } else {
      // A relative entry is relative to the list's folder; names taken from
      // the path still come from the line as the list holds it.
      ResolveEntry(line, s.source, path, sizeof path);
      if (!FileExists(path)) {
        NamesFromPath(line, titlebuf, artistbuf, s);
      } else if (ReadTags(path, titlebuf, artistbuf, MAXPATH)) {
        time = GetMP3Length(path) / 1000;
      } else {
        time = NamesFromFileTitle(path, titlebuf, artistbuf, s);
      }
    }
    AddRow(sink, artistbuf, titlebuf, time);
  }
  Finish(sink);
}
