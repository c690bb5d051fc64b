#include "engine/json_output.h"

#include <cstring>

#include "base/limits.h"
#include "base/text.h"
#include "engine/entry.h"
#include "engine/output.h"
#include "engine/row_sink.h"

// A JSON string of UTF-8 text: quotes, backslashes and control characters
// escaped.
static void PutString(FILE* out, const char* text) {
  std::fputc('"', out);
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
    if (*p == '"' || *p == '\\')
      std::fprintf(out, "\\%c", *p);
    else if (*p < 0x20 || *p == 0x7F)
      std::fprintf(out, "\\u%04x", *p);
    else
      std::fputc(*p, out);
  }
  std::fputc('"', out);
}

// A name as every style shows it, or null where none is known.
static void PutName(FILE* out, const char* name, const char* placeholder) {
  char shown[MAXPATH];
  NameForOutput(shown, name, placeholder);
  if (std::strcmp(shown, placeholder) == 0)
    std::fputs("null", out);
  else
    PutString(out, shown);
}

void JsonBegin(FILE* out, const RunSettings& s) {
  char source[MAXFILEPATH];
  ShownText(source, sizeof source, s.source);
  std::fputs("{\"source\": ", out);
  if (s.fromStdin)
    std::fputs("null", out);
  else
    PutString(out, source);
  std::fputs(", \"rows\": [", out);
}

void JsonRow(FILE* out, const RunSettings& s, bool first, const char* artist, const char* title,
             int32_t seconds, const char* entry) {
  std::fputs(first ? "\n" : ",\n", out);
  std::fputs("  {\"artist\": ", out);
  PutName(out, artist, NOARTIST);
  std::fputs(", \"title\": ", out);
  PutName(out, title, NOTITLE);
  if (seconds == kNoTime)
    std::fputs(", \"seconds\": null", out);
  else
    std::fprintf(out, ", \"seconds\": %d", seconds < 0 ? 0 : static_cast<int>(seconds));
  std::fputs(", \"entry\": ", out);
  if (!entry[0]) {
    std::fputs("null, \"kind\": null}", out);
    return;
  }
  char shown[MAXENTRY];
  ShownText(shown, sizeof shown, entry);
  PutString(out, shown);
  // What the entry names, looked up once more: rows that the list gave in
  // full were never looked up.
  Entry e;
  LocateEntry(entry, s, &e);
  std::fputs(e.kind == ENTRY_STREAM ? ", \"kind\": \"stream\"}"
             : e.kind == ENTRY_FILE ? ", \"kind\": \"file\"}"
                                    : ", \"kind\": \"missing\"}",
             out);
}

void JsonEnd(FILE* out, uint64_t totalSeconds) {
  std::fprintf(out, "\n], \"total_seconds\": %llu}\n", static_cast<unsigned long long>(totalSeconds));
}
