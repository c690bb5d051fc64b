#include "engine/helpers.h"

#include <cstring>

#include "base/limits.h"
#include "base/text.h"

char* StrRev(char* str) {
  size_t len = std::strlen(str);
  if (len == 0 || len >= MAXPATH) return nullptr;
  char tmp[MAXPATH];
  for (size_t k = 0; k < len; ++k) tmp[k] = str[len - 1 - k];
  tmp[len] = '\0';
  std::memcpy(str, tmp, len + 1);
  return str;
}

char* StrRStr(char* str, const char* pat) {
  // The last occurrence is the first one in the reversed texts.
  char rstr[MAXPATH];
  char rpat[MAXPATH];
  size_t slen = CopyTextN(rstr, sizeof rstr, str, MAXPATH - 2);
  size_t plen = CopyTextN(rpat, sizeof rpat, pat, MAXPATH - 2);
  StrRev(rstr);
  StrRev(rpat);
  char* hit = std::strstr(rstr, rpat);
  if (!hit) return nullptr;
  size_t k = static_cast<size_t>(hit - rstr);
  // Texts past 510 characters are searched in their first 510 only, so the
  // match always lies inside str.
  return str + (slen - plen - k);
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
