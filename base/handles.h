// Handle types shared across the layers. Window, instance and cursor
// handles are opaque outside the front end; a C stream is closed by its
// owner through FileCloser.
#pragma once

#include <cstdio>
#include <memory>

typedef void* HWND;
typedef void* HINSTANCE;
typedef const void* HCURSOR;

struct FileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;
