#include "ui/target_name.h"

#include <cstring>

#include "base/path.h"
#include "base/text.h"
#include "settings/settings.h"

int ReplaceExtension(char* path, size_t cap, const char* ext) {
  char* dot = std::strrchr(path, '.');
  if (!dot) return 0;
  size_t keep = static_cast<size_t>(dot - path);
  if (keep + std::strlen(ext) > cap - 1) return 0;
  CopyText(dot, cap - keep, ext);
  return 1;
}

// Appends text to path when the whole still fits; otherwise path stays.
static void AppendIfFits(char* path, size_t cap, const char* text) {
  size_t len = std::strlen(path);
  if (len + std::strlen(text) <= cap - 1) CopyText(path + len, cap - len, text);
}

// Folder and file name are joined as they stand: the remembered folders
// carry their trailing "/". The last "." is searched in the whole result, so
// a source without an extension takes the "." of a folder name.
void CreateSavName() {
  CopyText(g_savFName, sizeof g_savFName, g_sInitDir[0] ? g_sInitDir : g_oInitDir);
  const char* ext = g_xlsxFlag ? ".xlsx" : g_htmlFlag ? ".htm" : ".txt";

  if (PathFolderLen(g_opnFName) > 0)
    AppendIfFits(g_savFName, sizeof g_savFName, PathFileName(g_opnFName));

  if (!ReplaceExtension(g_savFName, sizeof g_savFName, ext) &&
      !std::strchr(g_savFName, '.'))
    AppendIfFits(g_savFName, sizeof g_savFName, ext);
}
