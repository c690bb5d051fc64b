// The PLS reader on arbitrary list contents, in every output style. The
// entries name files relative to a folder that does not exist, so the
// reader's file branches run without touching real files.
#include <cstdint>
#include <cstdio>

#include "base/text.h"
#include "engine/readers.h"
#include "settings/run_settings.h"
#include "settings/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static FILE* out = std::fopen("/dev/null", "w");
  if (size < 2 || !out) return 0;
  ResetSettings();
  BuildExtensionTable();
  g_htmlFlag = data[0] & 1;
  g_tfmtFlag = data[0] & 2;
  g_artfFlag = data[0] & 4;
  g_formlFlag = data[0] & 8;
  g_kommaFlag = data[0] & 16;
  g_rmextFlag = data[0] & 32;
  CopyText(g_opnFName, MAXPATH, "/nonexistent-fuzz/list.pls");
  const RunSettings s = TakeRunSettings();
  FILE* in = fmemopen(const_cast<uint8_t*>(data + 1), size - 1, "rb");
  if (!in) return 0;
  TextStream ts;
  TsInit(&ts, in, 4096);
  RowSink sink;
  SinkInit(&sink, out, &s);
  plsOutputLine(&ts, &sink);
  std::fclose(in);
  return 0;
}
