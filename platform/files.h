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
// and its size in *size, or -1. The kernel is told to read no more than is
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
// moved over the target only when every byte reached the disk. A target that
// exists and is not a regular file (a device, a pipe) is written directly.
struct TargetFile {
  FILE* file = nullptr;
  std::string path;     // what is finally replaced
  std::string tmpPath;  // empty when writing directly
  ~TargetFile();
};

// Opens the target for writing. Returns 1 on success, 0 when it cannot be
// created (nothing is left behind then).
int OpenTargetFile(TargetFile* t, const char* path);

// Flushes, syncs and closes the file and moves it into place. Returns 1 on
// success; 0 after any write error, when the temporary file is removed and
// an existing target stays exactly as it was.
int CommitTargetFile(TargetFile* t);

// Closes and removes the temporary file without touching the target.
void AbortTargetFile(TargetFile* t);
