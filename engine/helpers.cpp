#include "engine/helpers.h"

#include <cstring>

#include "base/limits.h"
#include "base/text.h"

char* StrRStr(char* str, const char* pat) {
  size_t slen = std::strlen(str);
  size_t plen = std::strlen(pat);
  if (plen > slen) return nullptr;
  if (plen == 0) return str + slen;
  // Candidates from the back: each place of the pattern's first character.
  size_t room = slen - plen + 1;
  while (room > 0) {
    char* at = static_cast<char*>(memrchr(str, pat[0], room));
    if (!at) return nullptr;
    if (std::memcmp(at, pat, plen) == 0) return at;
    room = static_cast<size_t>(at - str);
  }
  return nullptr;
}

char* StrRSlash(char* str) {
  char* p = std::strrchr(str, '\\');
  if (!p) p = std::strrchr(str, '/');
  return p;
}

void RemoveExt(char* titlestr, const RunSettings& s) {
  if (!s.stripExt) return;
  char* dot = std::strrchr(titlestr, '.');
  if (!dot) return;
  const char* ext = dot + 1;
  size_t extLen = std::strlen(ext);
  for (int32_t k = 0; k < s.ext.count; ++k) {
    const char* entry = s.ext.buf + s.ext.at[k];
    if (std::strlen(entry) == extLen && EqualsNoCase(ext, entry)) {
      *dot = '\0';
      return;
    }
  }
}
