// Handle types shared across the layers. Window, instance and cursor
// handles are opaque outside the front end; a C stream is closed by its
// owner through FileCloser.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <memory>

typedef void* HWND;
typedef void* HINSTANCE;
typedef const void* HCURSOR;

struct FileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

// A file descriptor closed by its owner.
struct UniqueFd {
  int fd = -1;
  UniqueFd() = default;
  explicit UniqueFd(int f) : fd(f) {}
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd() {
    if (fd >= 0) close(fd);
  }
};
