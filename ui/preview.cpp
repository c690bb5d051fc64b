#include "ui/preview.h"

#include <QDesktopServices>
#include <QUrl>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/path.h"
#include "base/text.h"
#include "settings/settings.h"
#include "ui/app_state.h"
#include "ui/conversion.h"

static void DesktopOpen(HWND, const char* path) {
  QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromUtf8(path)));
}

static FileOpener g_opener = DesktopOpen;

FileOpener SetFileOpener(FileOpener opener) {
  FileOpener before = g_opener;
  g_opener = opener ? opener : DesktopOpen;
  return before;
}

// A folder named by the environment: set, not empty, and short enough for a
// path buffer. Null otherwise.
static const char* EnvFolder(const char* name) {
  const char* value = std::getenv(name);
  return value && *value && std::strlen(value) < MAXPATH ? value : nullptr;
}

// folder and name (which starts with "/") with exactly one "/" between them
// when the folder ends in at most one.
static void JoinName(char* out, size_t cap, const char* folder, const char* name) {
  size_t len = CopyText(out, cap, folder);
  if (len > 0 && out[len - 1] == '/') --len;
  CopyText(out + len, cap - len, name);
}

// Makes sure that path is a regular file of our own that nobody else can
// swap for something else before it is written: it is created when missing
// (never through a symbolic link, never blocking on a pipe), and its folder
// must not let other users replace entries (not writable by them, or sticky
// like /tmp). Returns 1 when the file may be written.
static int ClaimFile(const char* path) {
  char folder[MAXPATH + 16];
  size_t folderLen = PathFolderLen(path);
  if (folderLen == 0) return 0;
  // The folder without its last "/", except for "/" itself.
  CopyTextN(folder, sizeof folder, path, folderLen > 1 ? folderLen - 1 : 1);
  struct stat st;
  if (stat(folder, &st) != 0 || !S_ISDIR(st.st_mode)) return 0;
  if ((st.st_mode & (S_IWGRP | S_IWOTH)) && !(st.st_mode & S_ISVTX)) return 0;

  int fd = open(path, O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
  if (fd < 0) return 0;
  int ours = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == geteuid();
  close(fd);
  return ours;
}

// The per-user folder for when the shared name is taken by someone else:
// $XDG_RUNTIME_DIR/mirtun, or /tmp/mirtun-<uid>. Made with mode 0700 when
// missing; used only when it is a real folder (no link) of our own that no
// one else may enter.
static int PrivateFolder(char* out, size_t cap) {
  const char* runtime = EnvFolder("XDG_RUNTIME_DIR");
  if (runtime && std::strlen(runtime) + sizeof "/mirtun" <= cap)
    FormatText(out, cap, "%s/mirtun", runtime);
  else
    FormatText(out, cap, "/tmp/mirtun-%u", static_cast<unsigned>(geteuid()));
  if (mkdir(out, 0700) != 0 && errno != EEXIST) return 0;
  struct stat st;
  if (lstat(out, &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != geteuid())
    return 0;
  return (st.st_mode & 077) == 0 || chmod(out, 0700) == 0;
}

// The folder is TEMP, else TMPDIR, else /tmp. When the fixed name there is
// taken by anything but a regular file of our own (a link, a pipe, another
// user's file), the preview goes to the per-user folder instead; when that
// fails too, there is no preview and g_PrevFile stays empty, so that the
// deletion at the end never touches a file that is not ours.
void OpenPreview(HWND hDlg) {
  const char* name = g_xlsxFlag ? "/mirtunpv.xlsx" : g_htmlFlag ? "/mirtunpv.htm" : "/mirtunpv.txt";
  const char* folder = EnvFolder("TEMP");
  if (!folder) folder = EnvFolder("TMPDIR");
  if (!folder) folder = "/tmp";
  JoinName(g_PrevFile, sizeof g_PrevFile, folder, name);
  if (!ClaimFile(g_PrevFile)) {
    char own[MAXPATH];
    if (!PrivateFolder(own, sizeof own)) {
      g_PrevFile[0] = '\0';
      return;
    }
    JoinName(g_PrevFile, sizeof g_PrevFile, own, name);
    if (!ClaimFile(g_PrevFile)) {
      g_PrevFile[0] = '\0';
      return;
    }
  }
  SetMouseBusy(1);
  if (CreatePreviewFile(hDlg, g_PrevFile)) g_opener(hDlg, g_PrevFile);
  SetMouseBusy(0);
}
