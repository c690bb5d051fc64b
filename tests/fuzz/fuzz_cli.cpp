// mirtun-convert end to end: the first lines of the input are its
// arguments (up to an empty line), the rest is the source, reachable as
// list.m3u, list.m3u8, list.ofl, list.txt, list.pls, list.xml, list.xspf and
// list.wpl in a sandbox folder that is the working directory for the run;
// m/ leads to the media folder. Arguments holding a "/" are skipped, and so
// is --output-dir (it would write into the sandbox's folders), so every
// target the run writes lies in the sandbox. Standard input is empty. After each run the
// sandbox holds nothing but its own files and the target named: a run never
// leaves a temporary file behind.
//
// Run it with -artifact_prefix=<absolute folder>/: a crash report is
// written to the working directory of the moment.
#include <dirent.h>
#include <fcntl.h>
#include <getopt.h>

#include <vector>

#include "fuzz_support.h"

int MirtunConvertMain(int argc, char** argv);

namespace {

const char* const kLists[] = {"list.m3u", "list.m3u8", "list.ofl", "list.txt",
                              "list.pls", "list.xml",  "list.xspf", "list.wpl"};

const std::string& Box() {
  static const std::string box = [] {
    std::string b = fuzz::Sandbox("cli");
    setenv("XDG_CONFIG_HOME", (b + "/no-store").c_str(), 1);  // start values
    if (symlink(fuzz::MediaFolder().c_str(), (b + "/m").c_str()) != 0) std::abort();
    // "-" writes to standard output.
    int null = open("/dev/null", O_WRONLY);
    if (null >= 0) dup2(null, STDOUT_FILENO);
    int empty = open("/dev/null", O_RDONLY);
    if (empty >= 0) dup2(empty, STDIN_FILENO);
    return b;
  }();
  return box;
}

bool IsOwn(const char* name) {
  if (!std::strcmp(name, ".") || !std::strcmp(name, "..") || !std::strcmp(name, "src") ||
      !std::strcmp(name, "m"))
    return true;
  for (const char* l : kLists)
    if (!std::strcmp(name, l)) return true;
  return false;
}

// Removes the target the run wrote; anything else is a file left behind.
void Sweep(const std::vector<std::string>& args) {
  DIR* d = opendir(".");
  if (!d) return;
  std::vector<std::string> strays;
  while (dirent* e = readdir(d))
    if (!IsOwn(e->d_name)) strays.push_back(e->d_name);
  closedir(d);
  for (const std::string& s : strays) {
    // A target is named as an argument, after the "o" of short options
    // ("-o", "-fo") or after "=".
    bool named = false;
    for (const std::string& a : args) {
      size_t eq = a.find('=');
      size_t o = a.size() > 1 && a[0] == '-' && a[1] != '-' ? a.find('o') : std::string::npos;
      named |= a == s || (o != std::string::npos && a.substr(o + 1) == s) ||
               (eq != std::string::npos && a.substr(eq + 1) == s);
    }
    if (!named) __builtin_trap();
    fuzz::RemoveTree(s);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& box = Box();
  std::string text(reinterpret_cast<const char*>(data), size);
  size_t end = text.find("\n\n");
  std::string head = text.substr(0, end);
  std::string source = end == std::string::npos ? std::string() : text.substr(end + 2);

  std::vector<std::string> args = {"mirtun-convert"};
  for (size_t pos = 0; pos <= head.size() && args.size() < 16;) {
    size_t nl = head.find('\n', pos);
    if (nl == std::string::npos) nl = head.size();
    std::string a = head.substr(pos, nl - pos);
    if (a.find('/') == std::string::npos && a.find('\0') == std::string::npos &&
        a.compare(0, 9, "--output-") != 0)
      args.push_back(a);
    pos = nl + 1;
  }
  char cwd[4096];
  if (!getcwd(cwd, sizeof cwd) || chdir(box.c_str()) != 0) return 0;
  // The source and the names of it, as fresh as the first time.
  fuzz::Put("src", source);
  for (const char* l : kLists) {
    fuzz::RemoveTree(l);
    if (symlink("src", l) != 0) std::abort();
  }
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(&a[0]);
  argv.push_back(nullptr);
  ResetSettings();
  optind = 0;
  MirtunConvertMain(static_cast<int>(args.size()), argv.data());
  Sweep(args);
  if (chdir(cwd) != 0) std::abort();
  return 0;
}
