#include "engine/entry.h"

#include <cerrno>
#include <cstring>

#include "base/handles.h"
#include "base/path.h"
#include "base/text.h"
#include "engine/helpers.h"
#include "metadata/container.h"
#include "metadata/id3.h"
#include "metadata/playtime.h"
#include "platform/errors.h"
#include "platform/files.h"

int FileExists(const char* szPath) { return IsRegularFile(szPath); }

// The entry whose file this thread located last, while it lives: its path
// is read through the descriptor it holds.
static thread_local const Entry* t_located = nullptr;

Entry::~Entry() {
  if (fd >= 0) close(fd);
  if (t_located == this) t_located = nullptr;
}

// Whether e->path names a regular file, opened into e when it does. The
// open is the test whether the file is there; a file that is there and
// cannot be opened (no permission, no descriptor left) still counts when it
// is a regular file, and reading it then tells why it failed.
static bool OpenEntryFile(Entry* e) {
  int64_t size;
  int fd = OpenRegularFile(e->path, &size);
  if (fd >= 0) {
    e->fd = fd;
    e->size = size;
    t_located = e;
    return true;
  }
  if (errno == ENOENT || errno == ENOTDIR || errno == kNotRegularFile) return false;
  return FileExists(e->path) != 0;
}

bool ResolveEntry(const char* entry, const char* listPath, char* out, size_t cap) {
  size_t n;
  if (entry[0] == '/') {
    n = CopyText(out, cap, entry);
  } else {
    size_t dirLen = PathFolderLen(listPath);
    n = FormatText(out, cap, "%.*s%s", static_cast<int>(dirLen), listPath, entry);
  }
  return n + 1 < cap;
}

bool PercentDecode(char* dst, size_t cap, const char* src) {
  if (cap == 0) return false;
  bool decoded = false;
  size_t out = 0;
  for (const char* p = src; *p && out < cap - 1; ++p) {
    int hi, lo;
    if (*p == '%' && (hi = HexDigitValue(p[1])) >= 0 && (lo = HexDigitValue(p[2])) >= 0 &&
        (hi | lo) != 0) {
      dst[out++] = static_cast<char>(hi << 4 | lo);
      p += 2;
      decoded = true;
    } else {
      dst[out++] = *p;
    }
  }
  dst[out] = '\0';
  return decoded;
}

// "letters://" at the start: a scheme of two characters at least, so that a
// drive letter ("C://") is none.
static size_t SchemeLength(const char* text) {
  size_t n = 0;
  while ((text[n] >= 'a' && text[n] <= 'z') || (text[n] >= 'A' && text[n] <= 'Z') ||
         (n > 0 && ((text[n] >= '0' && text[n] <= '9') || text[n] == '+' ||
                    text[n] == '-' || text[n] == '.')))
    ++n;
  return n >= 2 && std::strncmp(text + n, "://", 3) == 0 ? n : 0;
}

// Tries one spelling of a path; on success e names the file. A relative
// path is taken in the folder of the list at listPath.
static bool TryPath(const char* candidate, const char* listPath, Entry* e) {
  if (!ResolveEntry(candidate, listPath, e->path, sizeof e->path) || !OpenEntryFile(e))
    return false;
  e->kind = ENTRY_FILE;
  return true;
}

// The same for a relative path in the music folder.
static bool TryInFolder(const char* candidate, const char* folder, Entry* e) {
  size_t n = std::strlen(folder);
  bool slash = n > 0 && folder[n - 1] == '/';
  size_t len = FormatText(e->path, sizeof e->path, "%s%s%s", folder, slash ? "" : "/", candidate);
  if (len + 1 >= sizeof e->path || !OpenEntryFile(e)) return false;
  e->kind = ENTRY_FILE;
  return true;
}

// A "file:" address. Of this host: the decoded absolute path, looked up as
// it stands. Of another host: no file here; the names come from host and
// path.
static void LocateFileUrl(const char* text, const char* listPath, Entry* e) {
  const char* rest = text + 5;  // after "file:"
  char decoded[MAXENTRY];
  if (std::strncmp(rest, "//", 2) == 0) {
    const char* host = rest + 2;
    const char* slash = std::strchr(host, '/');
    size_t hostLen = slash ? static_cast<size_t>(slash - host) : std::strlen(host);
    bool local = hostLen == 0 || (hostLen == 9 && EqualsNoCaseN(host, "localhost", 9));
    if (!local || !slash) {
      PercentDecode(decoded, sizeof decoded, host);
      ShownText(e->shown, sizeof e->shown, decoded);
      return;
    }
    rest = slash;
  }
  PercentDecode(decoded, sizeof decoded, rest);
  ShownText(e->shown, sizeof e->shown, decoded);
  TryPath(decoded, listPath, e);
}

bool IsStreamEntry(const char* text) {
  return !EqualsNoCaseN(text, "file:/", 6) && (SchemeLength(text) > 0 || std::strstr(text, "http://"));
}

// The last part of a path written with "/" or "\\".
static const char* LastPart(const char* path) {
  const char* slash = std::strrchr(path, '/');
  const char* back = std::strrchr(path, '\\');
  const char* sep = slash > back ? slash : back;
  return sep ? sep + 1 : path;
}

// 1 to 3 digits, optionally after a disc number and "-" ("1-03").
static bool IsTrackNumber(const char* text) {
  size_t n = std::strspn(text, "0123456789");
  if (text[n] == '-' && n >= 1 && n <= 2) {
    text += n + 1;
    n = std::strspn(text, "0123456789");
  }
  return n >= 1 && n <= 3 && text[n] == '\0';
}

// A missing file's name read as a file name is: "Artist - Title.mp3" names
// both (not "03 - Title.mp3", whose number is no artist). False when it
// names no artist; the buffers are then unchanged.
static bool NamesFromMissingName(const char* path, char* title, char* artist,
                                 const RunSettings& s) {
  char name[MAXPATH];
  CopyUtf8(name, sizeof name, LastPart(path));
  RemoveExt(name, s);
  char* dash = StrRStr(name, " - ");
  if (!dash || dash == name) return false;
  *dash = '\0';
  if (IsTrackNumber(name) || dash[3] == '\0') return false;
  CopyText(artist, MAXPATH, name);
  CopyText(title, MAXPATH, dash + 3);
  return true;
}

void NamesWithoutFile(const Entry& e, char* title, char* artist, const RunSettings& s) {
  if (e.kind == ENTRY_STREAM)
    CopyUtf8(title, MAXPATH, e.shown);
  else if (!NamesFromMissingName(e.shown, title, artist, s))
    NamesFromPath(e.shown, title, artist, s);
}

int32_t NamesOfEntry(const char* text, char* title, char* artist, const RunSettings& s) {
  Entry entry;
  LocateEntry(text, s, &entry);
  if (entry.kind == ENTRY_FILE) return NamesFromFile(entry.path, title, artist, s);
  NamesWithoutFile(entry, title, artist, s);
  return 0;
}

void LocateEntry(const char* text, const RunSettings& s, Entry* e) {
  e->kind = ENTRY_MISSING;
  e->path[0] = '\0';
  if (e->fd >= 0) close(e->fd);
  e->fd = -1;
  if (EqualsNoCaseN(text, "file:/", 6)) {
    LocateFileUrl(text, s.source, e);
    return;
  }
  if (IsStreamEntry(text)) {
    e->kind = ENTRY_STREAM;
    ShownText(e->shown, sizeof e->shown, text);
    return;
  }

  // The spellings to try, in this order; each also with "/" for "\".
  char utf8[MAXENTRY];
  char decoded[MAXENTRY];
  char slashed[3][MAXENTRY];
  const char* forms[6];
  int count = 0;
  forms[count++] = text;
  if (!IsValidUtf8(text, std::strlen(text))) {
    Cp1252ToUtf8(utf8, sizeof utf8, text, std::strlen(text));
    forms[count++] = utf8;
  }
  bool escaped = PercentDecode(decoded, sizeof decoded, text);
  if (escaped) forms[count++] = decoded;
  ShownText(e->shown, sizeof e->shown, escaped ? decoded : text);
  if (std::strchr(text, '\\')) {
    for (int k = 0, n = count; k < n; ++k) {
      CopyText(slashed[k], sizeof slashed[k], forms[k]);
      for (char* p = slashed[k]; (p = std::strchr(p, '\\')) != nullptr; ++p) *p = '/';
      forms[count++] = slashed[k];
    }
  }

  for (int k = 0; k < count; ++k)
    if (TryPath(forms[k], s.source, e)) return;
  // Not beside the list: a relative entry may be relative to the music
  // folder, as lists kept apart from the music are written.
  if (s.musicDir[0] && text[0] != '/') {
    for (int k = 0; k < count; ++k)
      if (forms[k][0] != '/' && TryInFolder(forms[k], s.musicDir, e)) return;
  }
  e->path[0] = '\0';
}

void NamesFromPath(const char* path, char* title, char* artist, const RunSettings& s) {
  char work[MAXENTRY];
  CopyText(work, sizeof work, path);
  char* sep = StrRSlash(work);
  if (!sep) {
    // Only a name: it is the title.
    if (work[0] == '\0') return;
    CopyUtf8(title, MAXPATH, work);
    RemoveExt(title, s);
    return;
  }
  CopyUtf8(title, MAXPATH, sep + 1);
  RemoveExt(title, s);
  *sep = '\0';
  if (!(sep = StrRSlash(work))) return;
  *sep = '\0';
  if (!(sep = StrRSlash(work))) return;
  CopyUtf8(artist, MAXPATH, sep + 1);
}

// At most the first two characters of text as a decimal number.
static int32_t TwoDigits(const char* text, size_t avail) {
  char digits[3];
  CopyTextN(digits, sizeof digits, text, avail < 2 ? avail : 2);
  return Atoi32(digits);
}

int32_t NamesFromFileTitle(const char* path, char* title, char* artist,
                           const RunSettings& s, int32_t mediaSeconds) {
  char name[MAXPATH];
  if (GetFileTitle(path, name, sizeof name) != 0) return 0;
  int32_t time = mediaSeconds;
  // A file name is bytes; the names shown are UTF-8.
  char ftitle[MAXPATH];
  ShownText(ftitle, sizeof ftitle, name);
  RemoveExt(ftitle, s);
  char* dash = StrRStr(ftitle, " - ");
  if (!dash) {
    CopyText(title, MAXPATH, ftitle);
    return time;
  }
  *dash = '\0';
  // "03 - Title": the part before the dash is the track's number (with its
  // disc, "1-03"), which players and taggers put there; it names no artist.
  if (!IsTrackNumber(ftitle)) CopyText(artist, MAXPATH, ftitle);
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

static thread_local int t_fileError = 0;

int TakeFileError() {
  int e = t_fileError;
  t_fileError = 0;
  return e;
}

// The names found (bits of names) from the temporary buffers.
static void TakeFound(int32_t names, const char* t, const char* a, char* title, char* artist) {
  if (names & ID3_TITLE) CopyText(title, MAXPATH, t);
  if (names & ID3_ARTIST) CopyText(artist, MAXPATH, a);
}

int32_t NamesFromTags(const char* path, char* title, char* artist, bool wantTime,
                      bool* named) {
  *named = false;
  // One open serves the tags and the time: the located entry's, when this
  // is its path.
  int64_t size;
  UniqueFd own;
  int fd;
  if (t_located && t_located->path == path && t_located->fd >= 0) {
    fd = t_located->fd;
    size = t_located->size;
  } else {
    own.fd = OpenRegularFile(path, &size);
    if (own.fd < 0) {
      t_fileError = errno;
      return 0;
    }
    fd = own.fd;
  }
  // The head and the tail are read once, for the tags and the time alike.
  MediaBuffers buffers;
  MediaBytes file = LoadMediaBytes(fd, size, &buffers);
  char t[MAXPATH];
  char a[MAXPATH];
  CopyText(t, sizeof t, title);
  CopyText(a, sizeof a, artist);
  int32_t names = 0;
  if (ReadTagsIn(file, t, a, MAXPATH, &names) && names) {
    // A tag may hold one name and leave the other empty: the empty one then
    // shows as the tag has it.
    CopyText(title, MAXPATH, t);
    CopyText(artist, MAXPATH, a);
    *named = true;
    return wantTime ? GetMP3LengthIn(path, file) / 1000 : 0;
  }
  CopyText(t, sizeof t, title);
  CopyText(a, sizeof a, artist);
  // Cut to 510 bytes as every tag text is.
  int32_t seconds = GetMediaInfoIn(path, file, t, a, MAXPATH - 1, &names) / 1000;
  TakeFound(names, t, a, title, artist);
  *named = names != 0;
  return seconds;
}

int32_t NamesFromFile(const char* path, char* title, char* artist, const RunSettings& s) {
  bool named;
  int32_t seconds = NamesFromTags(path, title, artist, true, &named);
  if (named) return seconds;
  return NamesFromFileTitle(path, title, artist, s, seconds);
}

void NamesFromListText(const char* text, char* title, char* artist, const RunSettings& s) {
  const char* dash;
  if (std::strncmp(text, "- ", 2) == 0) {
    // "- Station": a writer that had no artist still put the dash before
    // the title (as some write streams).
    text += 2;
  } else if ((dash = std::strstr(text, " - ")) != nullptr) {
    CopyTextN(artist, MAXPATH, text, static_cast<size_t>(dash - text));
    text = dash + 3;
  }
  CopyText(title, MAXPATH, text);
  RemoveExt(title, s);
}

// True when text (len bytes) is the file name name, with or without its
// extension.
static bool IsFileName(const char* text, size_t len, const char* name) {
  size_t n = std::strlen(name);
  if (len == n && std::memcmp(text, name, n) == 0) return true;
  const char* dot = std::strrchr(name, '.');
  return dot && dot != name && len == static_cast<size_t>(dot - name) &&
         std::memcmp(text, name, len) == 0;
}

bool TitleRepeatsFileName(const char* title, const char* entryText) {
  if (IsStreamEntry(entryText)) return false;
  // What players add to a file name that served as the title: " [untitled
  // MP3]" after it, and " - " before it where the artist was empty.
  const char* t = title;
  if (std::strncmp(t, " - ", 3) == 0)
    t += 3;
  else if (std::strncmp(t, "- ", 2) == 0)
    t += 2;
  size_t len = std::strlen(t);
  const char* mark = std::strstr(t, " [untitled ");
  if (mark && len > 0 && t[len - 1] == ']') len = static_cast<size_t>(mark - t);
  if (len == 0) return false;
  // Most titles are no file name: a first character that differs from the
  // name's tells at once, where neither is an escape or a byte beyond ASCII.
  const char* raw = LastPart(entryText);
  unsigned char t0 = static_cast<unsigned char>(t[0]), r0 = static_cast<unsigned char>(raw[0]);
  if (t0 < 0x80 && r0 < 0x80 && r0 != '%' && t0 != r0) return false;
  // The entry's file name as written and as it is shown: decoded from a
  // file address or from percent escapes, in UTF-8 as the title is.
  const char* path = entryText;
  bool url = EqualsNoCaseN(path, "file:", 5);
  if (url) path += 5;
  char decoded[MAXENTRY];
  char shown[MAXPATH];
  PercentDecode(decoded, sizeof decoded, path);
  ShownText(shown, sizeof shown, LastPart(decoded));
  if (IsFileName(t, len, shown)) return true;
  if (url) return false;
  ShownText(shown, sizeof shown, LastPart(path));
  return IsFileName(t, len, shown);
}
