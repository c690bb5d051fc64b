#include "settings/run_settings.h"

#include <cstdlib>
#include <cstring>

#include "base/text.h"
#include "settings/music_dir.h"
#include "settings/settings.h"

// The entries of the record's table, in order, each copied behind the one
// before. They are pieces of one MAXPATH buffer, so they always fit.
static void CopyExtTable(ExtTable* t) {
  size_t used = 0;
  t->count = 0;
  for (int32_t k = 0; k < g_NumExt && k < MAXNEXT; ++k) {
    const char* entry = g_ExtList[k];
    if (!entry || used >= sizeof t->buf) continue;
    t->at[t->count++] = static_cast<uint16_t>(used);
    used += CopyText(t->buf + used, sizeof t->buf - used, entry) + 1;
  }
}

// Reading files is waiting, not computing: more threads than cores pay off
// on a slow disk or a network share.
static int32_t ThreadsFromEnvironment() {
  const char* v = std::getenv("MIRTUN_THREADS");
  if (!v || !*v) return 8;
  int32_t n = Atoi32(v);
  return n < 1 ? 1 : n > 64 ? 64 : n;
}

RunSettings TakeRunSettings() {
  RunSettings s;
  s.json = false;  // asked for on the command line only
  s.xlsx = g_xlsxFlag != 0;
  s.html = !s.xlsx && g_htmlFlag != 0;
  s.tfmt = g_tfmtFlag != 0;
  s.komma = g_kommaFlag != 0;
  s.total = g_totalFlag != 0;
  s.formula = g_formlFlag != 0;
  s.header = g_headFlag != 0;
  s.stripExt = g_rmextFlag != 0;
  s.artistFirst = g_artfFlag != 0;
  s.widthArtist = g_ColWArt;
  s.widthTitle = g_ColWTit;
  // The run's table is split from the list itself, so that a list changed
  // without its table can never turn the removal off.
  BuildExtensionTable();
  CopyExtTable(&s.ext);
  CopyText(s.source, sizeof s.source, g_opnFName);
  MusicFolder(g_MusicDir, s.musicDir, sizeof s.musicDir);
  s.fromStdin = false;
  s.format[0] = '\0';
  s.threads = ThreadsFromEnvironment();
  s.aheadAtOnce = AHEAD_MEASURED;
  return s;
}
