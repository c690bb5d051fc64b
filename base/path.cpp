#include "base/path.h"

#include <cstring>

size_t PathFolderLen(const char* path) {
  const char* slash = std::strrchr(path, '/');
  return slash ? static_cast<size_t>(slash - path) + 1 : 0;
}

const char* PathFileName(const char* path) { return path + PathFolderLen(path); }
