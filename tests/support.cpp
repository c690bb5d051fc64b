#include "support.h"

#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

TempDir::TempDir() {
  const char* base = std::getenv("TMPDIR");
  std::string tmpl = std::string(base && *base ? base : "/tmp") + "/mirtun-test-XXXXXX";
  path = mkdtemp(&tmpl[0]) ? tmpl : std::string();
}

TempDir::~TempDir() {
  if (!path.empty()) {
    std::string cmd = "chmod -R u+rwx '" + path + "' 2>/dev/null; rm -rf '" + path + "'";
    if (std::system(cmd.c_str()) != 0) {
    }
  }
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream f(path, std::ios::binary);
  f << bytes;
}

std::string ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

bool Exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}
