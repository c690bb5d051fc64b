#include "platform/files.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/path.h"

int IsRegularFile(const char* path) {
  struct stat st;
  return stat(path, &st) == 0 && S_ISREG(st.st_mode) ? 1 : 0;
}

int OpenRegularFile(const char* path, int64_t* size) {
  int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return -1;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return -1;
  }
  *size = st.st_size;
  // Tags and headers are a few small reads at the start and the end of a
  // file: read ahead, a cold disk would fetch far more than they need.
  // Whoever reads on through the file says so.
  posix_fadvise(fd, 0, 0, POSIX_FADV_RANDOM);
  return fd;
}

size_t ExecutablePath(char* path, size_t cap) {
  ssize_t n = readlink("/proc/self/exe", path, cap - 1);
  size_t len = n > 0 ? static_cast<size_t>(n) : 0;
  path[len] = '\0';
  return len;
}

int PathExists(const char* path) {
  struct stat st;
  return stat(path, &st) == 0 && !S_ISDIR(st.st_mode) ? 1 : 0;
}

int IsSameFile(FILE* f, const char* path) {
  struct stat a, b;
  if (fstat(fileno(f), &a) != 0 || stat(path, &b) != 0) return 0;
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino ? 1 : 0;
}

int GetFileTitle(const char* path, char* title, size_t cap) {
  const char* name = PathFileName(path);
  size_t len = std::strlen(name);
  if (len == 0 || len >= cap) return 1;
  std::memcpy(title, name, len + 1);
  return 0;
}

TargetFile::~TargetFile() { AbortTargetFile(this); }

static mode_t NewFileMode() {
  mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

int OpenTargetFile(TargetFile* t, const char* path) {
  AbortTargetFile(t);
  t->path = path;
  t->tmpPath.clear();
  size_t plen = std::strlen(path);
  if (plen == 0 || path[plen - 1] == '/') return 0;

  struct stat st;
  bool exists = stat(path, &st) == 0;
  if (exists && !S_ISREG(st.st_mode)) {
    // A device or a pipe cannot be replaced; write to it as it is.
    t->file = std::fopen(path, "w");
    return t->file ? 1 : 0;
  }
  // Through a symbolic link the file it points to is replaced, not the link.
  struct stat lst;
  if (lstat(path, &lst) == 0 && S_ISLNK(lst.st_mode)) {
    char* real = realpath(path, nullptr);
    if (!real) {  // a dangling link: let it create its file
      t->file = std::fopen(path, "w");
      return t->file ? 1 : 0;
    }
    t->path = real;
    std::free(real);
  }

  // The temporary file sits beside the target: ".name.XXXXXX".
  size_t folder = PathFolderLen(t->path.c_str());
  std::string tmp = t->path.substr(0, folder) + "." +
                    t->path.substr(folder) + ".XXXXXX";
  int fd = mkstemp(&tmp[0]);
  if (fd < 0) return 0;
  mode_t mode = exists ? (st.st_mode & 07777) : NewFileMode();
  if (fchmod(fd, mode) != 0) { /* a mode we cannot set is not worth failing */ }
  t->file = fdopen(fd, "w");
  if (!t->file) {
    close(fd);
    unlink(tmp.c_str());
    return 0;
  }
  t->tmpPath = tmp;
  static const size_t kBuf = 1 << 16;
  setvbuf(t->file, nullptr, _IOFBF, kBuf);
  return 1;
}

int CommitTargetFile(TargetFile* t) {
  if (!t->file) return 0;
  bool ok = std::fflush(t->file) == 0 && !std::ferror(t->file);
  if (ok && !t->tmpPath.empty() && fsync(fileno(t->file)) != 0) ok = false;
  if (std::fclose(t->file) != 0) ok = false;
  t->file = nullptr;
  if (!t->tmpPath.empty()) {
    if (ok && std::rename(t->tmpPath.c_str(), t->path.c_str()) != 0) ok = false;
    if (!ok) unlink(t->tmpPath.c_str());
    t->tmpPath.clear();
  }
  return ok ? 1 : 0;
}

void AbortTargetFile(TargetFile* t) {
  if (t->file) {
    std::fclose(t->file);
    t->file = nullptr;
  }
  if (!t->tmpPath.empty()) {
    unlink(t->tmpPath.c_str());
    t->tmpPath.clear();
  }
}
