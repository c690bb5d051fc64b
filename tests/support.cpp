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

static MessageLog* g_log;
static HCURSOR g_cursor;

static int RecordBox(HWND, const char* text, const char* caption, unsigned style) {
  g_log->entries.push_back({text, caption, style});
  return (style & 0x0F) == MB_YESNO ? g_log->answer : IDOK;
}

static HCURSOR RecordCursor(HCURSOR c) {
  g_log->busy += c == IDC_WAIT ? 1 : -1;
  HCURSOR old = g_cursor;
  g_cursor = c;
  return old;
}

static void NoPause(unsigned) {}

static const UiHooks kRecording = {RecordBox, RecordCursor, NoPause};

RecordingUi::RecordingUi(MessageLog* log) {
  g_log = log;
  g_cursor = nullptr;
  previous = SetUiHooks(&kRecording);
}

RecordingUi::~RecordingUi() { SetUiHooks(previous); }
