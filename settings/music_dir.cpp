#include "settings/music_dir.h"

#include <sys/stat.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/handles.h"
#include "base/limits.h"
#include "base/text.h"
#include "platform/files.h"

// value with a leading "~/" (MPD) or "$HOME/" (user-dirs.dirs) made
// absolute. A path that does not fit is never cut: it would name another
// folder.
static bool ExpandHome(const char* value, const char* prefix, char* out, size_t cap) {
  size_t plen = std::strlen(prefix);
  size_t n;
  if (std::strncmp(value, prefix, plen) == 0 && (value[plen] == '/' || value[plen] == '\0')) {
    const char* home = std::getenv("HOME");
    if (!home || !home[0]) return false;
    n = FormatText(out, cap, "%s%s", home, value + plen);
  } else {
    n = FormatText(out, cap, "%s", value);
  }
  return n + 1 < cap && out[0] == '/';
}

// The text of a value in double quotes at p (p at the opening quote), with
// "\x" read as x, into out; or the word at p when it is not quoted.
static bool ReadValue(const char* p, char* out, size_t cap) {
  size_t n = 0;
  if (*p == '"') {
    for (++p; *p && *p != '"'; ++p) {
      if (*p == '\\' && p[1]) ++p;
      if (n + 1 >= cap) return false;
      out[n++] = *p;
    }
    if (*p != '"') return false;
  } else {
    for (; *p && *p != ' ' && *p != '\t' && *p != '\n' && *p != '\r' && *p != '#'; ++p) {
      if (n + 1 >= cap) return false;
      out[n++] = *p;
    }
  }
  out[n] = '\0';
  return n > 0;
}

// The value of the setting name in the configuration file at path: a line
// "name value" (MPD) or "name=value" (user-dirs.dirs), blanks before it
// allowed, "#" starting a comment line. Returns -1 when the file cannot be
// opened, 1 when the setting was found, else 0.
static int ConfigValue(const char* path, const char* name, char sep, char* out, size_t cap) {
  FilePtr f(std::fopen(path, "r"));
  if (!f) return -1;
  size_t nlen = std::strlen(name);
  char line[4 * MAXPATH];
  while (std::fgets(line, sizeof line, f.get())) {
    const char* p = line + std::strspn(line, " \t");
    if (std::strncmp(p, name, nlen) != 0) continue;
    p += nlen;
    if (sep == '=') {
      if (*p != '=') continue;
      ++p;
    } else if (*p != ' ' && *p != '\t') {
      continue;
    }
    p += std::strspn(p, " \t");
    return ReadValue(p, out, cap) ? 1 : 0;
  }
  return 0;
}

// MPD reads the first of its configuration files that exists.
static bool MpdMusicFolder(char* out, size_t cap) {
  char paths[3][PATH_MAX];
  int count = 0;
  if (UserFolderPath("XDG_CONFIG_HOME", ".config", "mpd/mpd.conf", paths[count], PATH_MAX) > 0)
    ++count;
  const char* home = std::getenv("HOME");
  if (home && home[0] && FormatText(paths[count], PATH_MAX, "%s/.mpdconf", home) + 1 < PATH_MAX)
    ++count;
  CopyText(paths[count++], PATH_MAX, "/etc/mpd.conf");
  for (int k = 0; k < count; ++k) {
    char value[PATH_MAX];
    int found = ConfigValue(paths[k], "music_directory", ' ', value, sizeof value);
    if (found < 0) continue;
    return found == 1 && ExpandHome(value, "~", out, cap);
  }
  return false;
}

static bool XdgMusicFolder(char* out, size_t cap) {
  char path[PATH_MAX];
  char value[PATH_MAX];
  if (UserFolderPath("XDG_CONFIG_HOME", ".config", "user-dirs.dirs", path, sizeof path) == 0)
    return false;
  if (ConfigValue(path, "XDG_MUSIC_DIR", '=', value, sizeof value) != 1) return false;
  if (!ExpandHome(value, "$HOME", out, cap)) return false;
  // The folder is set to the home folder itself when the user has none.
  struct stat folder, home;
  const char* homePath = std::getenv("HOME");
  if (stat(out, &folder) != 0 || !S_ISDIR(folder.st_mode)) return false;
  return !(homePath && stat(homePath, &home) == 0 && home.st_dev == folder.st_dev &&
           home.st_ino == folder.st_ino);
}

size_t SystemMusicFolder(char* out, size_t cap) {
  if (MpdMusicFolder(out, cap) || XdgMusicFolder(out, cap)) return std::strlen(out);
  out[0] = '\0';
  return 0;
}

size_t MusicFolder(const char* folder, char* out, size_t cap) {
  if (folder[0]) return CopyText(out, cap, folder);
  return SystemMusicFolder(out, cap);
}
