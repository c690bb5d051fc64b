#include "settings/regstore.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/handles.h"
#include "base/path.h"
#include "base/text.h"
#include "platform/errors.h"
#include "platform/files.h"

namespace {

struct RegValue {
  std::string name;
  DWORD type;
  std::string data;  // the value's bytes, exactly as set
  bool replaced;     // set again later: the later one stands
};

// Names compare without regard to the case of ASCII letters.
std::string Folded(const std::string& name) {
  std::string f = name;
  for (char& c : f)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return f;
}

struct RegSection {
  std::string key;  // full key name, "HKEY_CURRENT_USER\..."
  std::vector<RegValue> values;  // in the order they were set
  std::unordered_map<std::string, size_t> byName;  // folded name -> values
};

// The whole store, with its keys found by name in one step: a hand-made or
// hostile file of many keys or values costs no more than its size.
struct RegData {
  std::vector<RegSection> sections;
  std::unordered_map<std::string, size_t> byKey;  // folded key -> sections
};

}  // namespace

// What a handle holds: the whole store as it was read, the key it names and
// whether anything must be written back when it is closed.
struct RegKey {
  std::string path;
  RegData data;
  size_t section = 0;
  bool writable = false;
  bool dirty = false;
};

// A settings file is a few kilobytes; reading stops here so that a wrong or
// hostile file cannot exhaust memory.
static const size_t kMaxStoreBytes = 1u << 20;
static const char kRootName[] = "HKEY_CURRENT_USER";
static const DWORD KEY_SET_VALUE = 0x0002;

size_t RegStorePath(char* path, size_t cap) {
  return UserFolderPath("XDG_CONFIG_HOME", ".config", "mirtun/mirtun.reg", path, cap);
}

// Makes every missing folder above the file at path (mode 0700).
static bool MakeParentFolders(const std::string& path) {
  for (size_t slash = path.find('/', 1); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    std::string dir = path.substr(0, slash);
    if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  size_t folder = PathFolderLen(path.c_str());
  struct stat st;
  return folder > 0 && stat(path.substr(0, folder).c_str(), &st) == 0 &&
         S_ISDIR(st.st_mode);
}

// ---- reading ----

static void SkipBlanks(const std::string& s, size_t* i) {
  while (*i < s.size() && (s[*i] == ' ' || s[*i] == '\t')) ++*i;
}

static bool OnlyBlanksFrom(const std::string& s, size_t i) {
  SkipBlanks(s, &i);
  return i == s.size();
}

// Reads 1..maxDigits hex digits at s[*i].
static bool ParseHexNumber(const std::string& s, size_t* i, size_t maxDigits,
                           DWORD* out) {
  size_t start = *i;
  DWORD v = 0;
  while (*i < s.size() && HexDigitValue(s[*i]) >= 0 && *i - start < maxDigits)
    v = v << 4 | HexDigitValue(s[(*i)++]);
  *out = v;
  return *i > start && (*i == s.size() || HexDigitValue(s[*i]) < 0);
}

// A quoted text at s[*i] with the escapes \\ and \"; *i ends after it.
static bool ParseQuoted(const std::string& s, size_t* i, std::string* out) {
  if (*i >= s.size() || s[*i] != '"') return false;
  for (size_t j = *i + 1; j < s.size(); ++j) {
    char c = s[j];
    if (c == '"') {
      *i = j + 1;
      return true;
    }
    if (c == '\\') {
      if (++j == s.size() || (s[j] != '\\' && s[j] != '"')) return false;
      c = s[j];
    }
    out->push_back(c);
  }
  return false;
}

// Comma-separated hex bytes; a trailing comma and an empty list are allowed.
static bool ParseHexBytes(const std::string& s, size_t i, std::string* out) {
  for (;;) {
    SkipBlanks(s, &i);
    if (i == s.size()) return true;
    DWORD byte;
    if (!ParseHexNumber(s, &i, 2, &byte)) return false;
    out->push_back(static_cast<char>(byte));
    SkipBlanks(s, &i);
    if (i == s.size()) return true;
    if (s[i++] != ',') return false;
  }
}

static bool StartsWithNoCase(const std::string& s, size_t i, const char* word) {
  return EqualsNoCaseN(s.c_str() + i, word, std::strlen(word));
}

// The data after "=": "text", dword:n, hex:bytes or hex(type):bytes.
static bool ParseData(const std::string& s, size_t i, DWORD* type,
                      std::string* data) {
  SkipBlanks(s, &i);
  if (i < s.size() && s[i] == '"') {
    *type = REG_SZ;
    if (!ParseQuoted(s, &i, data)) return false;
    data->push_back('\0');
    return OnlyBlanksFrom(s, i);
  }
  if (StartsWithNoCase(s, i, "dword:")) {
    i += 6;
    DWORD v;
    if (!ParseHexNumber(s, &i, 8, &v) || !OnlyBlanksFrom(s, i)) return false;
    *type = REG_DWORD;
    for (int b = 0; b < 4; ++b) data->push_back(static_cast<char>(v >> (8 * b)));
    return true;
  }
  if (!StartsWithNoCase(s, i, "hex")) return false;
  i += 3;
  *type = REG_BINARY;
  if (i < s.size() && s[i] == '(') {
    ++i;
    if (!ParseHexNumber(s, &i, 8, type) || i == s.size() || s[i++] != ')')
      return false;
  }
  if (i == s.size() || s[i++] != ':') return false;
  return ParseHexBytes(s, i, data);
}

// The index of the section named key, made when missing.
static size_t SectionIndex(RegData* d, const std::string& key, bool* made = nullptr) {
  auto found = d->byKey.emplace(Folded(key), d->sections.size());
  if (made) *made = found.second;
  if (found.second) d->sections.push_back(RegSection{key, {}, {}});
  return found.first->second;
}

static const RegSection* FindSection(const RegData& d, const std::string& key) {
  auto found = d.byKey.find(Folded(key));
  return found == d.byKey.end() ? nullptr : &d.sections[found->second];
}

static const RegValue* FindValue(const RegSection& sec, const std::string& name) {
  auto found = sec.byName.find(Folded(name));
  return found == sec.byName.end() ? nullptr : &sec.values[found->second];
}

// Sets a value; a value set again moves to the end of its key, so the file
// lists values in the order in which they were last set, whatever order a
// hand-edited file had.
static void PutValue(RegSection* sec, const std::string& name, DWORD type,
                     const std::string& data) {
  auto found = sec->byName.emplace(Folded(name), sec->values.size());
  if (!found.second) {
    sec->values[found.first->second].replaced = true;
    found.first->second = sec->values.size();
  }
  sec->values.push_back(RegValue{name, type, data, false});
}

static void SplitLines(const std::string& text, std::vector<std::string>* lines) {
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    size_t len = end - start;
    if (len > 0 && text[end - 1] == '\r') --len;
    lines->push_back(text.substr(start, len));
    start = end + 1;
  }
}

// Parses the store's text. Lines that do not parse are skipped, so a damaged
// file still gives every key and value that can be read.
static void ParseStore(const std::string& text, RegData* data) {
  std::vector<std::string> lines;
  SplitLines(text, &lines);
  const size_t kNone = static_cast<size_t>(-1);
  size_t current = kNone;
  for (size_t n = 0; n < lines.size(); ++n) {
    std::string line = lines[n];
    size_t i = 0;
    SkipBlanks(line, &i);
    if (i == line.size()) continue;
    if (line[i] == '[') {
      size_t close = line.rfind(']');
      current = kNone;
      // "[-key]" deletes a key on import; there is nothing here to delete.
      if (close == std::string::npos || close <= i + 1 || line[i + 1] == '-' ||
          !OnlyBlanksFrom(line, close + 1))
        continue;
      current = SectionIndex(data, line.substr(i + 1, close - i - 1));
      continue;
    }
    if (line[i] != '"' && line[i] != '@') continue;  // header, comment, junk
    std::string name;
    if (line[i] == '@')
      ++i;
    else if (!ParseQuoted(line, &i, &name))
      continue;
    SkipBlanks(line, &i);
    if (i == line.size() || line[i++] != '=') continue;
    // Hex data may go on over further lines, each but the last ending in "\".
    size_t d = i;
    SkipBlanks(line, &d);
    if (StartsWithNoCase(line, d, "hex")) {
      for (;;) {
        size_t end = line.find_last_not_of(" \t");
        if (end == std::string::npos || line[end] != '\\' || n + 1 >= lines.size())
          break;
        line.erase(end);
        const std::string& next = lines[++n];
        size_t j = 0;
        SkipBlanks(next, &j);
        line.append(next, j, std::string::npos);
      }
    }
    DWORD type;
    std::string bytes;
    if (current != kNone && ParseData(line, i, &type, &bytes))
      PutValue(&data->sections[current], name, type, bytes);
  }
}

// Why the last load could not read the file that is there (0: it could).
static thread_local int g_readError;

int RegStoreReadError() { return g_readError; }

// A store is text: a file that is no export of its own kind and holds a
// zero byte (a picture, a program, a text in UTF-16) is not read at all. An
// export with a damaged line keeps its other lines.
static bool LooksLikeText(const std::string& text) {
  static const char kHeads[][40] = {"REGEDIT4", "Windows Registry Editor"};
  for (const char* head : kHeads)
    if (text.compare(0, std::strlen(head), head) == 0) return true;
  return text.find('\0') == std::string::npos;
}

// Reads what can be read of the store; a missing or unreadable file gives
// no sections (g_readError says why it was not read). Returns false when
// there is no file at all.
// Only a regular file is read, and the open waits for nothing: a pipe or a
// device in its place gives the start values, never a hang.
static bool LoadStore(const std::string& path, RegData* data) {
  g_readError = 0;
  int64_t size;
  UniqueFd f(OpenRegularFile(path.c_str(), &size));
  if (f.fd < 0) {
    if (errno == ENOENT || errno == ENOTDIR) return false;  // no file there
    g_readError = errno;
    struct stat st;
    if (g_readError == kNotRegularFile && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
      g_readError = EISDIR;
    return true;
  }
  std::string text;
  char buf[8192];
  ssize_t got;
  while (text.size() < kMaxStoreBytes && (got = read(f.fd, buf, sizeof buf)) > 0)
    text.append(buf, static_cast<size_t>(got));
  if (got < 0) {
    g_readError = errno;  // EISDIR when a folder stands there, EIO, ...
    return true;
  }
  if (text.size() > kMaxStoreBytes) {
    // Drop the line that the limit cut, so that it cannot give a wrong value.
    text.resize(kMaxStoreBytes);
    size_t nl = text.rfind('\n');
    text.resize(nl == std::string::npos ? 0 : nl + 1);
  }
  if (!LooksLikeText(text)) {
    g_readError = kNotText;
    return true;
  }
  ParseStore(text, data);
  return true;
}

// ---- writing ----

static void AppendQuoted(std::string* out, const std::string& s) {
  out->push_back('"');
  for (char c : s) {
    if (c == '\\' || c == '"') out->push_back('\\');
    out->push_back(c);
  }
  out->push_back('"');
}

// One value in the export syntax. Numbers of four bytes are written as
// dword, everything else as hex bytes with its type, so that the type and
// the exact data length come back on reading. Long hex data goes on over
// lines of at most 80 characters, as the export format does.
static void AppendValue(std::string* out, const RegValue& v) {
  size_t lineStart = out->size();
  if (v.name.empty())
    out->push_back('@');
  else
    AppendQuoted(out, v.name);
  char head[32];
  if (v.type == REG_DWORD && v.data.size() == 4) {
    const unsigned char* b = reinterpret_cast<const unsigned char*>(v.data.data());
    DWORD word = b[0] | b[1] << 8 | b[2] << 16 | static_cast<DWORD>(b[3]) << 24;
    FormatText(head, sizeof head, "=dword:%08x\n", word);
    out->append(head);
    return;
  }
  if (v.type == REG_BINARY)
    FormatText(head, sizeof head, "=hex:");
  else
    FormatText(head, sizeof head, "=hex(%x):", v.type);
  out->append(head);
  size_t col = out->size() - lineStart;
  for (size_t k = 0; k < v.data.size(); ++k) {
    char byte[4];
    FormatText(byte, sizeof byte, "%02x", static_cast<unsigned char>(v.data[k]));
    out->append(byte);
    col += 2;
    if (k + 1 == v.data.size()) break;
    out->push_back(',');
    if (++col >= 76) {
      out->append("\\\n  ");
      col = 2;
    }
  }
  out->push_back('\n');
}

static void FormatStore(const RegData& data, std::string* out) {
  out->append("REGEDIT4\n");
  for (const RegSection& sec : data.sections) {
    out->append("\n[");
    out->append(sec.key);
    out->append("]\n");
    for (const RegValue& v : sec.values)
      if (!v.replaced) AppendValue(out, v);
  }
}

// Why the last store failed (errno, or kNotRegularFile).
static thread_local int g_storeError;

int RegStoreError() { return g_storeError; }

// Replaces the store file in one step: written to a temporary file beside
// it, synced, renamed over it. A failure at any point leaves the old file.
// Only a regular file is a store: a folder, a device or a pipe in its place
// (also behind a link) is left alone and the store fails.
static bool WriteStore(const std::string& path, const RegData& data) {
  std::string text;
  FormatStore(data, &text);
  struct stat st;
  bool isNew = stat(path.c_str(), &st) != 0;
  if (!isNew && !S_ISREG(st.st_mode)) {
    g_storeError = S_ISDIR(st.st_mode) ? EISDIR : kNotRegularFile;
    return false;
  }
  TargetFile t;
  if (!OpenTargetFile(&t, path.c_str())) {
    g_storeError = t.error;
    return false;
  }
  // The paths in it are the user's own business.
  if (isNew) fchmod(t.tmpFd, 0600);
  std::fwrite(text.data(), 1, text.size(), t.file);
  if (!CommitTargetFile(&t)) {
    g_storeError = t.error;
    return false;
  }
  // Make the rename itself lasting.
  int dir = open(path.substr(0, PathFolderLen(path.c_str())).c_str(),
                 O_RDONLY | O_DIRECTORY);
  if (dir >= 0) {
    fsync(dir);
    close(dir);
  }
  return true;
}

// ---- the operations ----

static LONG OpenKey(HKEY root, const char* subKey, DWORD access, bool create,
                    HKEY* result, DWORD* disposition) {
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  g_readError = 0;
  if (root != HKEY_CURRENT_USER) return ERROR_INVALID_HANDLE;
  if (!subKey || !subKey[0]) return ERROR_INVALID_PARAMETER;
  char path[PATH_MAX];
  if (RegStorePath(path, sizeof path) == 0) {
    g_storeError = ENOENT;
    return create ? ERROR_ACCESS_DENIED : ERROR_FILE_NOT_FOUND;
  }
  if (create && !MakeParentFolders(path)) {
    g_storeError = errno;
    return ERROR_ACCESS_DENIED;
  }

  std::unique_ptr<RegKey> key(new (std::nothrow) RegKey);
  if (!key) return ERROR_ACCESS_DENIED;
  key->path = path;
  key->writable = (access & KEY_SET_VALUE) != 0;
  if (!LoadStore(key->path, &key->data) && !create) return ERROR_FILE_NOT_FOUND;

  std::string name = std::string(kRootName) + "\\" + subKey;
  bool exists = FindSection(key->data, name) != nullptr;
  if (disposition) *disposition = exists ? 2 : 1;
  if (!exists && !create) return ERROR_FILE_NOT_FOUND;
  key->section = SectionIndex(&key->data, name);
  if (!exists) key->dirty = true;  // a new key is kept even when no value is set
  *result = key.release();
  return ERROR_SUCCESS;
}

LONG RegCreateKeyExA(HKEY root, const char* subKey, DWORD, char*, DWORD,
                     DWORD access, void*, HKEY* result, DWORD* disposition) {
  return OpenKey(root, subKey, access, true, result, disposition);
}

LONG RegOpenKeyExA(HKEY root, const char* subKey, DWORD, DWORD access,
                   HKEY* result) {
  return OpenKey(root, subKey, access, false, result, nullptr);
}

LONG RegSetValueExA(HKEY key, const char* name, DWORD, DWORD type,
                    const BYTE* data, DWORD size) {
  if (!key || key == HKEY_CURRENT_USER) return ERROR_INVALID_HANDLE;
  if (!key->writable) return ERROR_ACCESS_DENIED;
  if (!data && size) return ERROR_INVALID_PARAMETER;
  std::string bytes(reinterpret_cast<const char*>(data), data ? size : 0);
  PutValue(&key->data.sections[key->section], name ? name : "", type, bytes);
  key->dirty = true;
  return ERROR_SUCCESS;
}

LONG RegQueryValueExA(HKEY key, const char* name, DWORD*, DWORD* type,
                      BYTE* data, DWORD* size) {
  if (!key || key == HKEY_CURRENT_USER) return ERROR_INVALID_HANDLE;
  if (data && !size) return ERROR_INVALID_PARAMETER;
  const RegValue* found = FindValue(key->data.sections[key->section], name ? name : "");
  if (!found) return ERROR_FILE_NOT_FOUND;
  if (type) *type = found->type;
  if (!size) return ERROR_SUCCESS;
  DWORD len = static_cast<DWORD>(found->data.size());
  if (data && len > *size) {
    *size = len;
    return ERROR_MORE_DATA;
  }
  if (data) std::memcpy(data, found->data.data(), len);
  *size = len;
  return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY key) {
  if (!key || key == HKEY_CURRENT_USER) return ERROR_INVALID_HANDLE;
  std::unique_ptr<RegKey> owned(key);
  if (owned->dirty && !WriteStore(owned->path, owned->data))
    return ERROR_ACCESS_DENIED;
  return ERROR_SUCCESS;
}
