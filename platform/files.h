// File-system questions and the safe way of writing a target file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

// 1 when path names a regular file (a symbolic link is followed), else 0.
int IsRegularFile(const char* path);

// 1 when a file other than a folder exists at path (a symbolic link is
// followed), else 0: what could be overwritten.
int PathExists(const char* path);

// 1 when the open stream f and path name the same file, else 0.
int IsSameFile(FILE* f, const char* path);

// Opens path for reading when it names a regular file; a FIFO, a device or a
// folder is never read (the open does not block). Returns the descriptor
// and its size in *size, or -1 with errno set (kNotRegularFile of
// platform/errors.h for a folder, a device, a pipe). The kernel is told to read no more than is
// asked for (POSIX_FADV_RANDOM): a reader that goes through the file tells
// it otherwise.
int OpenRegularFile(const char* path, int64_t* size);

// The full path of the running program, cut to cap - 1 bytes; empty when it
// cannot be had. Returns its length.
size_t ExecutablePath(char* path, size_t cap);

// The name under which a file is shown: its name without the folders, with
// its extension; for a symbolic link the link's own name. Writes it into
// title (cap bytes) and returns 0; returns 1, title unchanged, when path
// ends in "/" or the name does not fit.
int GetFileTitle(const char* path, char* title, size_t cap);

// A target file that is written to a temporary file in its own folder and
// moved over the target only when every byte reached the disk, so that a
// failure or a stop leaves an existing target exactly as it was. The
// temporary file takes the target's permissions and, where it may, its
// owner.
//
// Where that route cannot work or would break something, the target itself
// is written, at the commit, from a temporary copy kept elsewhere: when the
// target's folder takes no new file but the target may be written, and when
// the target has more than one hard link (a rename would part them). The
// old content is then lost only when the copy fails midway. A target that
// exists and is not a regular file (a device, a pipe) is written directly;
// a pipe that nobody reads is an error, not a wait.
struct TargetFile {
  FILE* file = nullptr;
  std::string path;     // what is finally replaced or written
  std::string tmpPath;  // the temporary file beside the target; empty when none
  int tmpFd = -1;            // the descriptor under file when it is a temporary one
  bool inPlace = false;      // the target itself is written at the commit
  int error = 0;             // errno (or kNotRegularFile) of what failed
  bool contentLost = false;  // an in-place copy failed after the truncation
  ~TargetFile();
};

// Opens the target for writing. Returns 1 on success, 0 when it cannot be
// created (t->error says why; nothing is left behind then).
int OpenTargetFile(TargetFile* t, const char* path);

// Flushes, syncs and closes the file and moves it into place (or copies it
// into the target). Returns 1 on success; 0 after any write error (t->error
// says why), when the temporary file is removed and an existing target
// stays as it was, unless t->contentLost.
int CommitTargetFile(TargetFile* t);

// Closes and removes the temporary file without touching the target.
void AbortTargetFile(TargetFile* t);
