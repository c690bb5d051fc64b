// Helpers shared by the test suites: settings reset, in-memory streams,
// temporary folders and a recording stand-in for the message boxes.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "engine/convert.h"
#include "platform/ui.h"
#include "settings/settings.h"

// Start values and a freshly built extension table.
inline void FreshSettings() {
  ResetSettings();
  g_NumExt = ReadExtensions();
}

// Runs a reader over input (bytes) and returns what it wrote.
inline std::string RunReader(READER reader, const std::string& input,
                             const char* sep = ",", size_t block = 1 << 20) {
  std::string in = input;
  FILE* src = in.empty() ? std::fopen("/dev/null", "rb")
                         : fmemopen(&in[0], in.size(), "rb");
  char* buf = nullptr;
  size_t len = 0;
  FILE* out = open_memstream(&buf, &len);
  TextStream ts;
  TsInit(&ts, src, block);
  reader(&ts, out, sep);
  std::fclose(out);
  std::fclose(src);
  std::string result(buf, len);
  std::free(buf);
  return result;
}

// A folder under TMPDIR that is removed with everything in it.
struct TempDir {
  std::string path;
  TempDir();
  ~TempDir();
  std::string File(const std::string& name) const { return path + "/" + name; }
  std::string operator/(const std::string& name) const { return File(name); }
};

void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);
bool Exists(const std::string& path);

// Records every message box and answers questions with `answer`.
struct MessageLog {
  struct Entry {
    std::string text, caption;
    unsigned style;
  };
  std::vector<Entry> entries;
  int answer = IDYES;
  int busy = 0;  // wait cursor switched on minus switched off
};

// Installs a recording UI for the lifetime of the object.
struct RecordingUi {
  explicit RecordingUi(MessageLog* log);
  ~RecordingUi();
  const UiHooks* previous;
};
