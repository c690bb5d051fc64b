// PLS lists: entries numbered by their keys, "FileN=", "TitleN=" and
// "LengthN=", under a "[playlist]" header. Every entry gives one row, in the
// order the entries first appear: its names from TitleN, else from the file;
// its time from LengthN, else from the file's media. A row is written when a
// line of another entry comes or the list ends, so an entry whose lines are
// scattered through the list (no known writer does that) gives a row for
// each run of its lines.
//
// Writers differ: some write TitleN and LengthN for every entry, some only
// TitleN (then without the artist, or without LengthN), some only FileN.
// Files are opened only for what the list does not say.
#include <cstring>
#include <memory>

#include "base/limits.h"
#include "base/text.h"
#include "engine/entry.h"
#include "engine/helpers.h"
#include "engine/readers.h"
#include "metadata/playtime.h"

namespace {
enum PlsKey { KEY_NONE, KEY_FILE, KEY_TITLE, KEY_LENGTH };

struct PlsEntry {
  uint64_t number = 0;
  bool open = false;  // a line of this entry has been read
  bool haveFile = false;
  bool haveTitle = false;
  int32_t length = 0;  // > 0 when given
  char file[MAXENTRY] = "";
  char title[MAXENTRY] = "";  // as the list holds it
};
}  // namespace

// A new entry without clearing the buffers byte by byte: a list of 200,000
// entries would otherwise spend its time zeroing them.
static void ClearEntry(PlsEntry* e) {
  e->open = e->haveFile = e->haveTitle = false;
  e->length = 0;
  e->file[0] = e->title[0] = '\0';
}

// The key of a line: the text before its first "=", blanks around it
// removed, is File, Title or Length in any case, then digits only (the
// entry's number; "01" is 1). *value is the text after the "=".
static PlsKey ParseKey(char* line, uint64_t* number, char** value) {
  char* eq = std::strchr(line, '=');
  if (!eq) return KEY_NONE;
  *value = eq + 1;
  char* end = eq;
  while (end > line && (end[-1] == ' ' || end[-1] == '\t')) --end;
  char* p = line + std::strspn(line, " \t");
  static const struct { const char* name; size_t len; PlsKey key; } kKeys[] = {
      {"File", 4, KEY_FILE}, {"Title", 5, KEY_TITLE}, {"Length", 6, KEY_LENGTH}};
  for (const auto& k : kKeys) {
    // The first letter tells the keys apart; compare only the one it names.
    // The names are letters, so setting bit 5 folds exactly their case.
    if ((p[0] | 0x20) != (k.name[0] | 0x20)) continue;
    if (static_cast<size_t>(end - p) <= k.len) return KEY_NONE;
    for (size_t i = 1; i < k.len; ++i)
      if ((p[i] | 0x20) != (k.name[i] | 0x20)) return KEY_NONE;
    uint64_t n = 0;
    for (char* d = p + k.len; d < end; ++d) {
      if (*d < '0' || *d > '9') return KEY_NONE;
      if (n < UINT64_MAX / 10) n = n * 10 + static_cast<uint64_t>(*d - '0');
    }
    *number = n;
    return k.key;
  }
  return KEY_NONE;
}

// "[Artist] Title" splits after the "]"; otherwise the last " - " splits.
// A "[" anywhere rules out " - ". Works in place on text (MAXPATH bytes):
// *title and *artist point into it; *artist only when one was found.
// Returns true when an artist was found.
static bool SplitTitle(char* text, const char** title, const char** artist,
                       const RunSettings& s) {
  char* found;
  size_t skip;
  if (std::strchr(text, '[')) {
    found = std::strstr(text, "] ");
    if (found) ++found;  // the artist keeps its "]"
    skip = 1;
  } else {
    found = StrRStr(text, " - ");
    skip = 3;
  }
  *title = text;
  if (found) {
    *found = '\0';
    *artist = text;
    *title = found + skip;
  }
  RemoveExt(const_cast<char*>(*title), s);
  return found != nullptr;
}

// Flags of a PLS job: what the entry's lines gave.
constexpr uint32_t kHaveFile = 1;
constexpr uint32_t kHaveTitle = 2;
constexpr uint32_t kTitleArtist = 4;  // the title gave an artist too

// What the list does not say of an entry, from its file: job->text is
// FileN, job->title and job->artist what TitleN gave, job->number LengthN.
static void ResolveFile(RowJob* job, const RunSettings& s) {
  Entry entry;
  LocateEntry(job->text, s, &entry);
  int32_t seconds = job->number;
  int32_t media = 0;
  if (entry.kind == ENTRY_FILE) {
    if (job->flags & kTitleArtist) {
      media = GetMP3Length(entry.path) / 1000;  // only the time is missing
    } else if (job->flags & kHaveTitle) {
      // A title without an artist: the file's tags give both names when it
      // has any, else the title stands.
      bool named;
      media = NamesFromTags(entry.path, job->title, job->artist, seconds <= 0, &named);
    } else {
      media = NamesFromFile(entry.path, job->title, job->artist, s);
    }
  } else if (!(job->flags & kHaveTitle)) {
    NamesWithoutFile(entry, job->title, job->artist, s);
  }
  if (seconds <= 0) seconds = media;
  job->seconds = seconds > 0 ? seconds : kNoTime;
}

// One entry's row: names from TitleN; what is missing from the file.
static bool SubmitEntry(PlsEntry* e, RowSink* sink) {
  RowJob* job = NextJob(sink);
  if (!job) return false;
  const char* title = NOTITLE;
  const char* artist = NOARTIST;
  bool titleArtist = false;
  if (e->haveTitle) {
    // Names shown are UTF-8; a title written on Windows is Windows-1252.
    if (!IsValidUtf8(e->title, std::strlen(e->title))) {
      char shown[MAXENTRY];
      ShownText(shown, sizeof shown, e->title);
      CopyText(e->title, sizeof e->title, shown);
    }
  }
  // An empty title, or one that only repeats the file name, says nothing
  // of the entry: the file or the path gives the names.
  if (e->haveTitle && e->haveFile &&
      (e->title[0] == '\0' || TitleRepeatsFileName(e->title, e->file)))
    e->haveTitle = false;
  if (e->haveTitle) titleArtist = SplitTitle(e->title, &title, &artist, *sink->s);
  CopyUtf8(job->title, sizeof job->title, title);
  CopyUtf8(job->artist, sizeof job->artist, artist);
  job->number = e->length;
  job->seconds = e->length > 0 ? e->length : kNoTime;
  job->flags = (e->haveFile ? kHaveFile : 0) | (e->haveTitle ? kHaveTitle : 0) |
               (titleArtist ? kTitleArtist : 0);
  bool needsFile = e->haveFile && (!titleArtist || e->length <= 0);
  job->resolve = needsFile ? ResolveFile : nullptr;
  // The entry, also when nothing is looked up in it (a JSON row names it).
  if (e->haveFile) CopyText(job->text, sizeof job->text, e->file);
  SubmitJob(sink, job, needsFile && !IsStreamEntry(e->file));
  return true;
}

int plsOutputLine(TextStream* inFile, RowSink* sink) {
  std::unique_ptr<char[]> buf(new char[MAXLINE]);
  char* line = buf.get();
  PlsEntry current;
  while (TsLine(inFile, line, MAXLINE)) {
    uint64_t number;
    char* value;
    PlsKey key = ParseKey(line, &number, &value);
    if (key == KEY_NONE) continue;
    if (current.open && number != current.number) {
      if (!SubmitEntry(&current, sink)) return READ_STOPPED;
      ClearEntry(&current);
    }
    current.open = true;
    current.number = number;
    switch (key) {
      case KEY_FILE:
        current.haveFile = true;
        CopyText(current.file, sizeof current.file, value);
        break;
      case KEY_TITLE:
        current.haveTitle = true;
        CopyUtf8(current.title, sizeof current.title, value);
        break;
      case KEY_LENGTH:
        current.length = Atoi32(value);  // "126.432" counts 126
        break;
      default:
        break;
    }
  }
  if (current.open && !SubmitEntry(&current, sink)) return READ_STOPPED;
  Finish(sink);
  return READ_WHOLE;
}
