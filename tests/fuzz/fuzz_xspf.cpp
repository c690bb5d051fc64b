// The XSPF and WPL readers on arbitrary documents, in every output style.
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
  // The first byte picks the reader, the style and the column order.
  bool wpl = data[0] & 1;
  g_htmlFlag = data[0] & 2;
  g_tfmtFlag = data[0] & 4;
  g_artfFlag = data[0] & 8;
  g_formlFlag = data[0] & 16;
  g_kommaFlag = data[0] & 32;
  CopyText(g_opnFName, MAXPATH, wpl ? "/tmp/fuzz/list.wpl" : "/tmp/fuzz/list.xspf");
  const RunSettings s = TakeRunSettings();
  FILE* in = fmemopen(const_cast<uint8_t*>(data + 1), size - 1, "rb");
  if (!in) return 0;
  TextStream ts;
  TsInit(&ts, in, 4096);
  RowSink sink;
  SinkInit(&sink, out, &s);
  (wpl ? wplOutputLine : xspfOutputLine)(&ts, &sink);
  std::fclose(in);
  return 0;
}
