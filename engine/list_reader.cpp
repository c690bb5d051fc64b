// Plain lists: M3U, M3U8, OFL and any text with one path or address per
// line. Each entry line gives one row: names from the file's tags or its
// name, or from what the list says of the entry, or from the path; the time
// from the media, or from the list.
//
// Lines that are no entries: empty ones, ones of blanks and tabs, ones that
// start with "#" (comments and directives such as #EXTVLCOPT:, #PLAYLIST:,
// #EXTGRP:), and any line holding #EXTM3U or #EXTINF: anywhere. An
// "#EXTINF:<seconds>[ attributes],<text>" line at the start of a line
// belongs to the next entry: for a stream or an entry that names no file its
// text gives the names and its seconds the time; for an existing file the
// file's names stand and the seconds count only when the media has no time.
#include <cstring>
#include <memory>

#include "base/limits.h"
#include "base/text.h"
#include "engine/entry.h"
#include "engine/readers.h"

namespace {
// What an #EXTINF line says of the next entry.
struct ExtInf {
  int32_t seconds = 0;  // > 0 when given
  char text[MAXPATH] = "";
};
}  // namespace

static bool IsEntryLine(const char* line) {
  if (line[0] == '#' || std::strstr(line, "#EXTM3U") || std::strstr(line, "#EXTINF:"))
    return false;
  return line[std::strspn(line, " \t")] != '\0';
}

// "#EXTINF:" already matched. Seconds may carry a fraction ("187.5") and
// -1 means unknown; the text starts after the first comma that is not inside
// double quotes (attribute values may hold commas).
static void ParseExtInf(const char* line, ExtInf* x) {
  const char* p = line + 8;
  x->seconds = Atoi32(p);  // the whole seconds; a fraction stops the digits
  if (x->seconds < 0) x->seconds = 0;
  bool quoted = false;
  for (; *p && (quoted || *p != ','); ++p)
    if (*p == '"') quoted = !quoted;
  x->text[0] = '\0';
  if (*p != ',') return;
  ++p;
  p += std::strspn(p, " \t");
  size_t len = std::strlen(p);
  while (len > 0 && (p[len - 1] == ' ' || p[len - 1] == '\t')) --len;
  char text[MAXPATH];
  // Cut between characters: a character cut in two would make the text
  // look like Windows-1252.
  CopyTextN(text, sizeof text, p, Utf8CutBytes(p, len, sizeof text - 1));
  ShownText(x->text, sizeof x->text, text);
}

// The names and time of one entry line; job->note and job->number hold
// what its #EXTINF line said.
static void ResolveLine(RowJob* job, const RunSettings& s) {
  CopyText(job->title, sizeof job->title, NOTITLE);
  CopyText(job->artist, sizeof job->artist, NOARTIST);
  Entry entry;
  LocateEntry(job->text, s, &entry);
  if (entry.kind == ENTRY_FILE) {
    int32_t time = NamesFromFile(entry.path, job->title, job->artist, s);
    job->seconds = time > 0 ? time : job->number;
    return;
  }
  if (job->note[0])
    NamesFromListText(job->note, job->title, job->artist, s);
  else
    NamesWithoutFile(entry, job->title, job->artist, s);
  job->seconds = job->number;
}

bool OutputListEntry(RowSink* sink, const char* entry, const char* text, int32_t seconds) {
  RowJob* job = NextJob(sink);
  if (!job) return false;
  job->resolve = ResolveLine;
  CopyText(job->text, sizeof job->text, entry);
  // A text that only repeats the file name says nothing of the entry.
  bool repeats = text[0] && TitleRepeatsFileName(text, entry);
  CopyText(job->note, sizeof job->note, repeats ? "" : text);
  job->number = seconds;
  SubmitJob(sink, job, !IsStreamEntry(entry));
  return true;
}

int OutputLine(TextStream* inFile, RowSink* sink) {
  std::unique_ptr<char[]> buf(new char[MAXLINE]);
  char* line = buf.get();
  ExtInf extinf;

  while (TsLine(inFile, line, MAXLINE)) {
    if (std::strncmp(line, "#EXTINF:", 8) == 0) {
      ParseExtInf(line, &extinf);
      continue;
    }
    if (!IsEntryLine(line)) continue;
    char* bar = std::strrchr(line, '|');
    if (bar) *bar = '\0';

    if (!OutputListEntry(sink, line, extinf.text, extinf.seconds)) return READ_STOPPED;
    extinf = ExtInf();
  }
  Finish(sink);
  return READ_WHOLE;
}
