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
// platform/errors.h for a folder, a device, a pipe; the errno of the open
// when there is nothing to open). Two calls, open and fstat: the open is the
// test whether the file exists, so no stat need come before it.
int OpenRegularFile(const char* path, int64_t* size);

// The full path of the running program, cut to cap - 1 bytes; empty when it
// cannot be had. Returns its length.
size_t ExecutablePath(char* path, size_t cap);

// The name under which a file is shown: its name without the folders, with
// its extension; for a symbolic link the link's own name. Writes it into
// title (cap bytes) and returns 0; returns 1, title unchanged, when path
// ends in "/" or the name does not fit.
int GetFileTitle(const char* path, char* title, size_t cap);

// What became of an existing target that was to be written in place when
// the write failed.
enum OldContent {
  OLD_UNTOUCHED,  // the target was not touched (every other route, too)
  OLD_NO_COPY,    // the copies it is written from could not be made in
                  // copyPath (a folder); the target was not touched
  OLD_PUT_BACK,   // copying into it failed midway; the old content is back
  OLD_IN_COPY,    // copying into it failed midway and so did putting the
                  // old content back: that content is in copyPath
};

// A target file that is written to an unnamed file in its own folder and
// given its name over the target only when every byte reached the disk, so
// that a failure, a stop or a kill leaves an existing target exactly as it
// was and no file beside it. Where the file system has no unnamed files, a
// named temporary file ".mirtun-XXXXXX" takes its place (a kill leaves
// that one behind). The new file takes the target's permissions and, where
// it may, its owner.
//
// Where that route cannot work or would break something, the target itself
// is written: when the target's folder takes no new file but the target may
// be written, and when the target has more than one hard link (a rename
// would part them). The new listing is then written whole to a file in the
// copy folder (CopyFolder) and, at the commit, a copy of the target's old
// content is kept beside it before the new one is copied over the target.
// When that copy fails the old content is put back; a copy that a kill
// interrupted stays in the copy folder, where the next write of the same
// target finds it (earlierCopy). A target that exists and is not a regular
// file (a device, a pipe) is written directly; a pipe that nobody reads is
// an error, not a wait.
struct TargetFile {
  FILE* file = nullptr;
  std::string path;     // what is finally replaced or written
  std::string tmpPath;  // a named temporary file beside the target; empty when none
  int tmpFd = -1;       // the descriptor under file when it is a temporary one
  bool unnamed = false;  // tmpFd has no name yet: it gets one at the commit
  bool existed = false;  // the target existed when it was opened
  bool inPlace = false;  // the target itself is written at the commit
  int error = 0;         // errno (or kNotRegularFile) of what failed
  OldContent old = OLD_UNTOUCHED;  // after a failed in-place write
  std::string copyPath;  // in place: the copy folder, or the copy that old speaks of
  // A copy of the old content that an earlier, killed in-place write left,
  // moved out of the way to this path; empty when there was none.
  std::string earlierCopy;
  ~TargetFile();
};

// The folder for the copies of an in-place write: $XDG_CACHE_HOME/mirtun,
// else ~/.cache/mirtun, made when create is set; where it is not there
// and cannot be made, TMPDIR or /tmp.
std::string CopyFolder(bool create);

// A path in one of the user's base folders: $var/sub when the environment
// variable var (XDG_CONFIG_HOME, XDG_CACHE_HOME) is an absolute path, else
// $HOME/home/sub (home: ".config", ".cache"). Into out (cap bytes); empty
// when neither is known or the path does not fit (a cut path would name
// another file). Returns its length.
size_t UserFolderPath(const char* var, const char* home, const char* sub, char* out, size_t cap);

// Opens the target for writing. Returns 1 on success, 0 when it cannot be
// created (t->error says why; nothing is left behind then).
int OpenTargetFile(TargetFile* t, const char* path);

// Flushes, syncs and closes the file and moves it into place (or copies it
// into the target). Returns 1 on success; 0 after any write error (t->error
// says why, t->old what became of the old content), when no temporary file
// is left and an existing target stays as it was unless t->old is
// OLD_IN_COPY.
int CommitTargetFile(TargetFile* t);

// Closes and removes the temporary file without touching the target.
void AbortTargetFile(TargetFile* t);

// A hook for the tests that kill a run at a chosen place: when the
// environment variable MIRTUN_TEST_STOP is "POINT:N", the N-th pass of the
// point named POINT stops the process (SIGSTOP), where a test may kill it
// or let it go on. The points: "row" (a row written; the command-line
// program passes it), "saved" (the old content of an in-place target is
// kept) and "copy" (a block copied into an in-place target).
bool StopPointsArmed();
void StopPoint(const char* point);
