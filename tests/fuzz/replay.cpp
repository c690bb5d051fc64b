// Runs a fuzz target over inputs without libFuzzer: each argument is a
// file or a folder of files. ctest replays every target's seed corpus with
// it, in the plain and the sanitizer build. Fails when no input was found.
#include <dirent.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

static bool ReadAll(const std::string& path, std::string* bytes) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  char buf[65536];
  for (size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) bytes->append(buf, n);
  std::fclose(f);
  return true;
}

int main(int argc, char** argv) {
  std::vector<std::string> inputs;
  for (int i = 1; i < argc; ++i) {
    if (DIR* d = opendir(argv[i])) {
      while (dirent* e = readdir(d))
        if (e->d_name[0] != '.') inputs.push_back(std::string(argv[i]) + "/" + e->d_name);
      closedir(d);
    } else {
      inputs.push_back(argv[i]);
    }
  }
  std::sort(inputs.begin(), inputs.end());
  size_t done = 0;
  for (const std::string& path : inputs) {
    std::string bytes;
    if (!ReadAll(path, &bytes)) {
      std::fprintf(stderr, "cannot read %s\n", path.c_str());
      return 1;
    }
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    ++done;
  }
  std::fprintf(stderr, "%zu inputs replayed\n", done);
  return done > 0 ? 0 : 1;
}
