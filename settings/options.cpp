#include "settings/options.h"

#include "base/text.h"

int32_t WidthFromText(const char* text) {
  char buf[8];
  CopyText(buf, sizeof buf, text);
  int32_t v = Atoi32(buf);
  if (v <= 10) return 10;
  if (v >= 250) return 250;
  return v;
}
