// Helpers shared by the test suites: settings reset, in-memory streams and
// temporary folders.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/readers.h"
#include "settings/run_settings.h"
#include "settings/settings.h"

// Start values and a freshly built extension table.
inline void FreshSettings() {
  ResetSettings();
  BuildExtensionTable();
}

// Import text with tabs and no total line: one "artist\ttitle\ttime" per
// row.
inline void PlainImportSettings() {
  FreshSettings();
  g_htmlFlag = g_tfmtFlag = g_totalFlag = g_kommaFlag = g_formlFlag = 0;
}

// What write (called with a stream) writes, as a string.
template <class Write>
std::string Captured(Write write) {
  char* buf = nullptr;
  size_t len = 0;
  FILE* out = open_memstream(&buf, &len);
  write(out);
  std::fclose(out);
  std::string text(buf, len);
  std::free(buf);
  return text;
}

// Runs a reader over input (bytes) with the settings as they are, the
// separator sep ("," or a tab), and returns what it wrote.
inline std::string RunReader(READER reader, const std::string& input,
                             const char* sep = ",", size_t block = 1 << 20,
                             int* read = nullptr) {
  g_kommaFlag = sep[0] == ',';
  const RunSettings s = TakeRunSettings();
  std::string in = input;
  FILE* src = in.empty() ? std::fopen("/dev/null", "rb")
                         : fmemopen(&in[0], in.size(), "rb");
  std::string result = Captured([&](FILE* out) {
    TextStream ts;
    TsInit(&ts, src, block);
    RowSink sink;
    SinkInit(&sink, out, &s);
    int got = reader(&ts, &sink);
    if (read) *read = got;
  });
  std::fclose(src);
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

// An environment variable set (or, with value null, unset) for the
// lifetime of this object, then put back.
struct ScopedEnv {
  std::string name;
  bool had;
  std::string old;
  ScopedEnv(const char* n, const char* value) : name(n) {
    const char* v = std::getenv(n);
    had = v != nullptr;
    if (had) old = v;
    if (value)
      setenv(n, value, 1);
    else
      unsetenv(n);
  }
  ~ScopedEnv() {
    if (had)
      setenv(name.c_str(), old.c_str(), 1);
    else
      unsetenv(name.c_str());
  }
};

void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);
bool Exists(const std::string& path);
