#include "platform/files.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/handles.h"
#include "base/path.h"
#include "base/text.h"
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

// ---- unnamed and temporary files ----

// The temporary names are short, whatever the target's name: ".mirtun-"
// and six letters or digits.
static const char kTempName[] = ".mirtun-XXXXXX";

// The folder part of path with its "/", "./" when it has none.
static std::string FolderOf(const std::string& path) {
  size_t len = PathFolderLen(path.c_str());
  return len > 0 ? path.substr(0, len) : std::string("./");
}

// An unnamed file in folder, which gets its name only at the commit: a
// killed run leaves nothing. -1 with errno EOPNOTSUPP where the file system
// has none (or no /proc to name it through later), else with the errno of
// the open.
static int OpenUnnamed(const std::string& folder, mode_t mode, int rw = O_WRONLY) {
  if (access("/proc/self/fd", X_OK) != 0) {
    errno = EOPNOTSUPP;
    return -1;
  }
  int fd = open(folder.c_str(), O_TMPFILE | rw | O_CLOEXEC, mode);
  // Older kernels and some file systems answer with these instead.
  if (fd < 0 && (errno == EISDIR || errno == EINVAL)) errno = EOPNOTSUPP;
  return fd;
}

// A new temporary name in folder (ending in "/"), for a file that is
// named and renamed at once.
static std::string RandomTempName(const std::string& folder) {
  static const char kChars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  unsigned char bytes[6];
  if (getrandom(bytes, sizeof bytes, 0) != static_cast<ssize_t>(sizeof bytes)) {
    uint64_t v = static_cast<uint64_t>(getpid()) * 2654435761u ^
                 static_cast<uint64_t>(time(nullptr));
    for (unsigned char& b : bytes) b = static_cast<unsigned char>(v >>= 5);
  }
  std::string name = folder + kTempName;
  for (size_t k = 0; k < sizeof bytes; ++k)
    name[name.size() - sizeof bytes + k] = kChars[bytes[k] % (sizeof kChars - 1)];
  return name;
}

// Gives the unnamed file fd the name path; fails with EEXIST when the name
// is taken.
static int NameUnnamed(int fd, const std::string& path) {
  char proc[40];
  FormatText(proc, sizeof proc, "/proc/self/fd/%d", fd);
  return linkat(AT_FDCWD, proc, AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW);
}

// Copies len bytes of in to out, both from their start; point (when given)
// is passed after every block. Returns false with errno set.
static bool CopyRange(int in, int out, off_t len, const char* point) {
  static const size_t kBlock = 1 << 20;
  off_t done = 0;
  bool kernelCopy = true;
  while (done < len) {
    size_t want = static_cast<size_t>(len - done < static_cast<off_t>(kBlock) ? len - done : kBlock);
    ssize_t n = -1;
    if (kernelCopy) {
      off64_t from = done, to = done;
      n = copy_file_range(in, &from, out, &to, want, 0);
      // Across file systems, or where the kernel cannot: by hand.
      if (n < 0 && (errno == EXDEV || errno == EINVAL || errno == ENOSYS ||
                    errno == EOPNOTSUPP)) {
        kernelCopy = false;
        continue;
      }
    } else {
      char buf[1 << 16];
      n = pread(in, buf, want < sizeof buf ? want : sizeof buf, done);
      for (ssize_t put = 0; n > 0 && put < n;) {
        ssize_t w = pwrite(out, buf + put, static_cast<size_t>(n - put), done + put);
        if (w < 0 && errno != EINTR) return false;
        if (w > 0) put += w;
      }
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) break;  // the source is shorter than it was
    done += n;
    if (point) StopPoint(point);
  }
  return true;
}

// Copies len bytes of in over the whole of out and cuts out to that length,
// synced. Returns false with errno set.
static bool CopyOver(int in, int out, off_t len, const char* point) {
  return CopyRange(in, out, len, point) && ftruncate(out, len) == 0 && fsync(out) == 0;
}

// ---- the copy folder ----

// Makes the folder path (and its parents) for the user alone; true when it
// is there.
static bool MakeFolders(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
  size_t slash = path.find_last_of('/');
  if (slash != std::string::npos && slash > 0 && !MakeFolders(path.substr(0, slash)))
    return false;
  return mkdir(path.c_str(), 0700) == 0 || errno == EEXIST;
}

size_t UserFolderPath(const char* var, const char* home, const char* sub, char* out, size_t cap) {
  const char* base = std::getenv(var);
  const char* homeDir = std::getenv("HOME");
  size_t n;
  // A relative base folder is invalid and is ignored like an empty one.
  if (base && base[0] == '/')
    n = FormatText(out, cap, "%s/%s", base, sub);
  else if (homeDir && homeDir[0] == '/')
    n = FormatText(out, cap, "%s/%s/%s", homeDir, home, sub);
  else
    n = 0;
  if (n + 1 >= cap) n = 0;
  out[n] = '\0';
  return n;
}

std::string CopyFolder(bool create) {
  char path[PATH_MAX];
  std::string cache(path, UserFolderPath("XDG_CACHE_HOME", ".cache", "mirtun", path, sizeof path));
  struct stat st;
  if (!cache.empty() && (create ? MakeFolders(cache)
                                : stat(cache.c_str(), &st) == 0 && S_ISDIR(st.st_mode)))
    return cache;
  const char* tmp = std::getenv("TMPDIR");
  return tmp && tmp[0] == '/' ? tmp : "/tmp";
}

// The name of the copy of an in-place target's old content: the file's
// device and number, which its hard links share.
static std::string OldCopyPath(const std::string& folder, const struct stat& st) {
  char name[64];
  FormatText(name, sizeof name, "/old-%llx-%llx", static_cast<unsigned long long>(st.st_dev),
             static_cast<unsigned long long>(st.st_ino));
  return folder + name;
}

// A copy of the old content that a killed in-place write left is moved out
// of the way, so that it is told of once and never overwritten by the next
// copy: to its name and the time it was found.
static void KeepEarlierCopy(TargetFile* t, const struct stat& st) {
  std::string found = OldCopyPath(CopyFolder(false), st);
  struct stat cst;
  if (lstat(found.c_str(), &cst) != 0 || !S_ISREG(cst.st_mode)) return;
  char stamp[32];
  time_t now = time(nullptr);
  struct tm tm;
  strftime(stamp, sizeof stamp, ".%Y%m%d-%H%M%S", localtime_r(&now, &tm));
  for (int k = 0; k < 100; ++k) {
    std::string kept = found + stamp + (k > 0 ? "-" + std::to_string(k) : "");
    if (link(found.c_str(), kept.c_str()) == 0) {
      unlink(found.c_str());
      t->earlierCopy = kept;
      return;
    }
    if (errno != EEXIST) break;
  }
  t->earlierCopy = found;  // it stays where it is; the copy of this run fails
}

// ---- opening ----

// The new listing goes whole to an unnamed file in the copy folder first;
// the target is written at the commit.
static int OpenInPlace(TargetFile* t) {
  t->inPlace = true;
  std::string folder = CopyFolder(true);
  t->copyPath = folder;
  int fd = OpenUnnamed(folder, 0600, O_RDWR);  // read back at the commit
  if (fd < 0 && errno == EOPNOTSUPP) {
    std::string tmp = folder + "/" + kTempName;
    fd = mkstemp(&tmp[0]);
    if (fd >= 0) unlink(tmp.c_str());
  }
  if (fd < 0) {
    t->error = errno;
    t->old = OLD_NO_COPY;
    return 0;
  }
  t->tmpFd = fd;
  t->file = StreamOf(t, fd);
  if (!t->file) t->error = errno;
  return t->file ? 1 : 0;
}

int OpenTargetFile(TargetFile* t, const char* path) {
  AbortTargetFile(t);
  t->path = path;
  t->tmpPath.clear();
  t->unnamed = t->existed = t->inPlace = false;
  t->error = 0;
  t->old = OLD_UNTOUCHED;
  t->copyPath.clear();
  t->earlierCopy.clear();
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
  t->existed = exists;
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
  if (exists) KeepEarlierCopy(t, st);
  // A rename would part the names of a file with several hard links.
  if (exists && st.st_nlink > 1) return OpenInPlace(t);

  std::string folder = FolderOf(t->path);
  mode_t mode = exists ? (st.st_mode & 07777) : NewFileMode();
  int fd = OpenUnnamed(folder, mode);
  t->unnamed = fd >= 0;
  std::string tmp;
  if (fd < 0 && errno == EOPNOTSUPP) {
    tmp = folder + kTempName;
    fd = mkstemp(&tmp[0]);
  }
  if (fd < 0) {
    t->error = errno;
    // A folder that takes no new file, with a target that may be written.
    if (exists && access(t->path.c_str(), R_OK | W_OK) == 0) return OpenInPlace(t);
    return 0;
  }
  if (exists && fchown(fd, st.st_uid, st.st_gid) != 0) {
    // Only the owner's own group, or root, can keep it; the file is the
    // writer's own then, as a newly made one would be.
  }
  if (fchmod(fd, mode) != 0) { /* a mode we cannot set is not worth failing */ }
  t->file = StreamOf(t, fd);
  t->tmpFd = fd;
  if (!t->file) {
    t->error = errno;
    if (!tmp.empty()) unlink(tmp.c_str());
    return 0;
  }
  t->tmpPath = tmp;
  return 1;
}

// ---- the commit ----

// Writes the new listing (whole in t->tmpFd) into the target itself,
// keeping a copy of the old content until the new one is there.
static bool CopyInto(TargetFile* t) {
  struct stat nst, ost;
  if (fstat(t->tmpFd, &nst) != 0) {
    t->error = errno;
    return false;
  }
  int fd = open(t->path.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  UniqueFd target(fd);
  if (fd < 0 || fstat(fd, &ost) != 0) {
    t->error = errno;
    return false;
  }
  std::string oldPath = OldCopyPath(t->copyPath, ost);
  int saved = open(oldPath.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (saved < 0) {
    t->error = errno;
    t->old = OLD_NO_COPY;
    return false;
  }
  UniqueFd savedCloser(saved);
  if (!CopyOver(fd, saved, ost.st_size, nullptr)) {
    t->error = errno;
    t->old = OLD_NO_COPY;
    unlink(oldPath.c_str());
    return false;
  }
  StopPoint("saved");
  if (CopyOver(t->tmpFd, fd, nst.st_size, "copy")) {
    unlink(oldPath.c_str());
    return true;
  }
  t->error = errno;
  if (CopyOver(saved, fd, ost.st_size, nullptr)) {
    t->old = OLD_PUT_BACK;
    unlink(oldPath.c_str());
  } else {
    t->old = OLD_IN_COPY;
    t->copyPath = oldPath;
  }
  return false;
}

// Gives the whole unnamed file its name over the target: directly when
// there was no target, else under a temporary name first and renamed over
// it in one step.
static bool NameOverTarget(TargetFile* t) {
  if (!t->existed && NameUnnamed(t->tmpFd, t->path) == 0) return true;
  std::string folder = FolderOf(t->path);
  for (int k = 0; k < 100; ++k) {
    std::string tmp = RandomTempName(folder);
    if (NameUnnamed(t->tmpFd, tmp) == 0) {
      if (std::rename(tmp.c_str(), t->path.c_str()) == 0) return true;
      t->error = errno;
      unlink(tmp.c_str());
      return false;
    }
    if (errno != EEXIST) break;
  }
  t->error = errno;
  return false;
}

int CommitTargetFile(TargetFile* t) {
  if (!t->file) return 0;
  // A failed write has kept its cause in t->error already.
  bool ok = !std::ferror(t->file) && std::fflush(t->file) == 0;
  if (!ok && t->error == 0) t->error = EIO;
  bool beside = !t->inPlace && t->tmpFd >= 0;
  if (ok && beside && fsync(t->tmpFd) != 0) {
    t->error = errno;
    ok = false;
  }
  // The listing could not be written whole to the copy folder.
  if (!ok && t->inPlace) t->old = OLD_NO_COPY;
  if (ok && t->inPlace) ok = CopyInto(t);
  if (ok && t->unnamed) ok = NameOverTarget(t);
  if (std::fclose(t->file) != 0) {
    if (ok && t->error == 0) t->error = EIO;
    ok = false;
  }
  t->file = nullptr;
  t->tmpFd = -1;
  t->unnamed = false;
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
  t->unnamed = false;
  if (!t->tmpPath.empty()) {
    unlink(t->tmpPath.c_str());
    t->tmpPath.clear();
  }
}

// ---- the test hook ----

namespace {
struct StopSpec {
  char point[16] = "";
  long at = 0;    // the pass that stops; 0: no hook
  long seen = 0;  // passes so far
};
}  // namespace

static StopSpec* ArmedStop() {
  static StopSpec spec = [] {
    StopSpec s;
    const char* v = std::getenv("MIRTUN_TEST_STOP");
    const char* colon = v ? std::strchr(v, ':') : nullptr;
    if (colon && static_cast<size_t>(colon - v) < sizeof s.point) {
      CopyTextN(s.point, sizeof s.point, v, static_cast<size_t>(colon - v));
      s.at = std::atol(colon + 1);
    }
    return s;
  }();
  return spec.at > 0 ? &spec : nullptr;
}

bool StopPointsArmed() { return ArmedStop() != nullptr; }

void StopPoint(const char* point) {
  StopSpec* s = ArmedStop();
  if (s && std::strcmp(s->point, point) == 0 && ++s->seen == s->at) raise(SIGSTOP);
}
