#include "platform/files.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/handles.h"
#include "base/path.h"
#include "platform/errors.h"

int IsRegularFile(const char* path) {
  struct stat st;
  return stat(path, &st) == 0 && S_ISREG(st.st_mode) ? 1 : 0;
}

int OpenRegularFile(const char* path, int64_t* size) {
  int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return -1;
  struct stat st;
  int err = fstat(fd, &st) != 0 ? errno : !S_ISREG(st.st_mode) ? kNotRegularFile : 0;
  if (err) {
    close(fd);
    errno = err;
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

// What a target's stream writes through: its descriptor, and where the
// errno of the first failed write is kept (a later errno of some other call
// would name the wrong cause).
struct WriteCookie {
  int fd;
  int* error;
};

// Writes all n bytes unless a write fails (errno says why); returns the
// bytes written.
static size_t WriteAll(int fd, const char* buf, size_t n) {
  size_t done = 0;
  while (done < n) {
    ssize_t r = write(fd, buf + done, n - done);
    if (r < 0) {
      if (errno == EINTR) continue;
      break;
    }
    done += static_cast<size_t>(r);
  }
  return done;
}

static ssize_t CookieWrite(void* c, const char* buf, size_t n) {
  WriteCookie* w = static_cast<WriteCookie*>(c);
  size_t done = WriteAll(w->fd, buf, n);
  if (done < n && *w->error == 0) *w->error = errno;
  return done > 0 || n == 0 ? static_cast<ssize_t>(done) : -1;
}

static int CookieSeek(void* c, off64_t* pos, int whence) {
  off_t r = lseek(static_cast<WriteCookie*>(c)->fd, static_cast<off_t>(*pos), whence);
  if (r < 0) return -1;
  *pos = r;
  return 0;
}

static int CookieClose(void* c) {
  WriteCookie* w = static_cast<WriteCookie*>(c);
  int r = close(w->fd);
  if (r != 0 && *w->error == 0) *w->error = errno;
  delete w;
  return r;
}

// A buffered stream on fd that keeps the cause of a failed write in
// t->error, or null (fd closed then).
static FILE* StreamOf(TargetFile* t, int fd) {
  WriteCookie* c = new WriteCookie{fd, &t->error};
  cookie_io_functions_t io = {nullptr, CookieWrite, CookieSeek, CookieClose};
  FILE* f = fopencookie(c, "w", io);
  if (!f) {
    close(fd);
    delete c;
    return nullptr;
  }
  static const size_t kBuf = 1 << 16;
  setvbuf(f, nullptr, _IOFBF, kBuf);
  return f;
}

// A device or a pipe, written as it is. The open does not wait for a reader
// of a pipe: without one it fails at once (ENXIO).
static int OpenDirect(TargetFile* t, const char* path) {
  int fd = open(path, O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    t->error = errno;
    return 0;
  }
  // From here on a full pipe makes the writer wait, as it should.
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  t->file = StreamOf(t, fd);
  if (!t->file) t->error = errno;
  return t->file ? 1 : 0;
}

// The copy that an in-place target is written from at the commit, in the
// temporary folder, gone as soon as it is closed.
static int OpenInPlace(TargetFile* t) {
  const char* base = std::getenv("TMPDIR");
  std::string tmp = std::string(base && *base ? base : "/tmp") + "/.mirtun-XXXXXX";
  int fd = mkstemp(&tmp[0]);
  if (fd < 0) {
    t->error = errno;
    return 0;
  }
  unlink(tmp.c_str());
  t->inPlace = true;
  t->tmpFd = fd;
  t->file = StreamOf(t, fd);
  if (!t->file) t->error = errno;
  return t->file ? 1 : 0;
}

int OpenTargetFile(TargetFile* t, const char* path) {
  AbortTargetFile(t);
  t->path = path;
  t->tmpPath.clear();
  t->inPlace = false;
  t->error = 0;
  t->contentLost = false;
  size_t plen = std::strlen(path);
  if (plen == 0 || path[plen - 1] == '/') {
    t->error = EISDIR;
    return 0;
  }

  struct stat st;
  bool exists = stat(path, &st) == 0;
  if (exists && S_ISDIR(st.st_mode)) {
    t->error = EISDIR;
    return 0;
  }
  if (exists && !S_ISREG(st.st_mode)) return OpenDirect(t, path);
  // Through a symbolic link the file it points to is replaced, not the link.
  struct stat lst;
  if (lstat(path, &lst) == 0 && S_ISLNK(lst.st_mode)) {
    char* real = realpath(path, nullptr);
    if (!real) {  // a dangling link: let it create its file
      int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY, 0666);
      if (fd < 0) {
        t->error = errno;
        return 0;
      }
      t->file = StreamOf(t, fd);
      return t->file ? 1 : 0;
    }
    t->path = real;
    std::free(real);
  }
  // A rename would part the names of a file with several hard links.
  if (exists && st.st_nlink > 1) return OpenInPlace(t);

  // The temporary file sits beside the target: ".name.XXXXXX".
  size_t folder = PathFolderLen(t->path.c_str());
  std::string tmp = t->path.substr(0, folder) + "." +
                    t->path.substr(folder) + ".XXXXXX";
  int fd = mkstemp(&tmp[0]);
  if (fd < 0) {
    t->error = errno;
    // A folder that takes no new file, with a target that may be written.
    if (exists && access(t->path.c_str(), W_OK) == 0) return OpenInPlace(t);
    return 0;
  }
  mode_t mode = exists ? (st.st_mode & 07777) : NewFileMode();
  if (exists && fchown(fd, st.st_uid, st.st_gid) != 0) {
    // Only the owner's own group, or root, can keep it; the file is the
    // writer's own then, as a newly made one would be.
  }
  if (fchmod(fd, mode) != 0) { /* a mode we cannot set is not worth failing */ }
  t->file = StreamOf(t, fd);
  t->tmpFd = fd;
  if (!t->file) {
    t->error = errno;
    unlink(tmp.c_str());
    return 0;
  }
  t->tmpPath = tmp;
  return 1;
}

// Writes the temporary copy into the target itself.
static bool CopyInto(TargetFile* t) {
  int in = t->tmpFd;
  if (lseek(in, 0, SEEK_SET) != 0) {
    t->error = errno;
    return false;
  }
  int out = open(t->path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (out < 0) {
    t->error = errno;
    return false;
  }
  UniqueFd closer(out);
  char buf[1 << 16];
  for (;;) {
    ssize_t n = read(in, buf, sizeof buf);
    if (n < 0) {
      t->error = errno;
      t->contentLost = true;
      return false;
    }
    if (n == 0) break;
    if (WriteAll(out, buf, static_cast<size_t>(n)) < static_cast<size_t>(n)) {
      t->error = errno;
      t->contentLost = true;
      return false;
    }
  }
  if (fsync(out) != 0 && errno != EINVAL) {
    t->error = errno;
    t->contentLost = true;
    return false;
  }
  return true;
}

int CommitTargetFile(TargetFile* t) {
  if (!t->file) return 0;
  // A failed write has kept its cause in t->error already.
  bool ok = !std::ferror(t->file) && std::fflush(t->file) == 0;
  if (!ok && t->error == 0) t->error = EIO;
  if (ok && !t->tmpPath.empty() && fsync(t->tmpFd) != 0) {
    t->error = errno;
    ok = false;
  }
  if (ok && t->inPlace) ok = CopyInto(t);
  if (std::fclose(t->file) != 0) {
    if (ok && t->error == 0) t->error = EIO;
    ok = false;
  }
  t->file = nullptr;
  t->tmpFd = -1;
  if (!t->tmpPath.empty()) {
    if (ok && std::rename(t->tmpPath.c_str(), t->path.c_str()) != 0) {
      t->error = errno;
      ok = false;
    }
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
  t->tmpFd = -1;
  if (!t->tmpPath.empty()) {
    unlink(t->tmpPath.c_str());
    t->tmpPath.clear();
  }
}
