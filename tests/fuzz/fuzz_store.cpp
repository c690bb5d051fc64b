// The settings store on arbitrary file contents. Whatever loads is stored
// again, and loading and storing that once more gives the same file: a
// round trip never changes or loses what the store holds.
#include <sys/stat.h>

#include "fuzz_support.h"
#include "settings/regstore.h"
#include "settings/store.h"

static std::string StoreFile() {
  static const std::string path = [] {
    std::string home = fuzz::Sandbox("store");
    setenv("XDG_CONFIG_HOME", home.c_str(), 1);
    mkdir((home + "/mirtun").c_str(), 0700);
    char path[PATH_MAX];
    RegStorePath(path, sizeof path);
    return std::string(path);
  }();
  return path;
}

// Loads the store over the start values and stores it; returns the file.
static std::string LoadAndStore() {
  ResetSettings();
  GetRecentData();
  if (!SaveRecentData()) __builtin_trap();  // a regular file in our own folder
  return fuzz::Slurp(StoreFile());
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = StoreFile();
  fuzz::Put(path, std::string(reinterpret_cast<const char*>(data), size));
  const std::string first = LoadAndStore();
  const std::string second = LoadAndStore();
  if (first != second) __builtin_trap();
  return 0;
}
