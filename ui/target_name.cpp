#include "ui/target_name.h"

#include <cstring>

#include "engine/text.h"
#include "settings/settings.h"

int ReplaceExtension(char* path, size_t cap, const char* ext) {
  char* dot = std::strrchr(path, '.');
  if (!dot) return 0;
  size_t keep = static_cast<size_t>(dot - path);
  if (keep + std::strlen(ext) > cap - 1) return 0;
  CopyText(dot, cap - keep, ext);
  return 1;
}

// Folder and file name are joined as they stand: the remembered folders
// carry their trailing "/". The last "." is searched in the whole result, so
// a source without an extension takes the "." of a folder name.
void CreateSavName() {
  CopyText(g_savFName, sizeof g_savFName, g_sInitDir[0] ? g_sInitDir : g_oInitDir);
  const char* ext = g_htmlFlag ? ".htm" : ".txt";

  const char* slash = std::strrchr(g_opnFName, '/');
  if (slash) {
    const char* name = slash + 1;
    size_t folder = std::strlen(g_savFName);
    if (folder + std::strlen(name) <= MAXPATH - 1)
      CopyText(g_savFName + folder, sizeof g_savFName - folder, name);
  }

  if (!ReplaceExtension(g_savFName, sizeof g_savFName, ext) &&
      !std::strchr(g_savFName, '.')) {
    size_t len = std::strlen(g_savFName);
    if (len + std::strlen(ext) <= MAXPATH - 1)
      CopyText(g_savFName + len, sizeof g_savFName - len, ext);
  }
}
