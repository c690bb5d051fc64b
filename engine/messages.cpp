#include "engine/messages.h"

#include "base/path.h"
#include "base/text.h"

static const struct {
  ConvertResult result;
  const char* text;  // "%s" is the file's name
  const char* caption;
  bool namesSource;
} kMessages[] = {
    {CONVERT_NO_SOURCE, "Die Quelldatei %s wurde nicht gefunden!", "Quelldatei öffnen", true},
    {CONVERT_SAME_FILE, "Quelldatei und Zieldatei sind dieselbe Datei!", "Zieldatei öffnen", false},
    {CONVERT_TARGET_EXISTS, "Die Zieldatei %s existiert bereits! Überschreiben?",
     "Zieldatei überschreiben", false},
    {CONVERT_CANNOT_OPEN, "Die Zieldatei %s konnte nicht geöffnet werden!", "Zieldatei öffnen", false},
    {CONVERT_WRITE_FAILED, "Die Zieldatei %s konnte nicht geschrieben werden!",
     "Zieldatei schreiben", false},
    {CONVERT_SOURCE_DAMAGED, "Die Quelldatei %s ist beschädigt (Zeile %d).", "Quelldatei lesen",
     true},
};

const char* ResultMessage(ConvertResult r, const char* source,
                          const char* target, char* text, size_t cap,
                          int32_t badLine) {
  text[0] = '\0';
  for (const auto& m : kMessages) {
    if (m.result != r) continue;
    const char* name = PathFileName(m.namesSource ? source : target);
    const char* fmt = m.text;
    char withLine[MSGSIZE];
    if (r == CONVERT_SOURCE_DAMAGED) {
      // The line number goes in first, so that the name may take what is left.
      FormatText(withLine, sizeof withLine, m.text, "%s", static_cast<int>(badLine));
      fmt = withLine;
    }
    FormatFileMessage(text, cap, fmt, name);
    return m.caption;
  }
  return nullptr;
}
