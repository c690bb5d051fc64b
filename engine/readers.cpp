#include "engine/readers.h"

#include <cstring>

#include "base/text.h"

static const struct {
  const char* ext;
  READER reader;
} kReaders[] = {
    {".pls", plsOutputLine},
    {".xml", xmlOutputLine},
    {".xspf", xspfOutputLine},
    {".wpl", wplOutputLine},
};

READER ChooseReader(const char* path) {
  const char* dot = std::strrchr(path, '.');
  if (!dot) return OutputLine;
  for (const auto& r : kReaders)
    if (EqualsNoCase(dot, r.ext)) return r.reader;
  return OutputLine;
}
