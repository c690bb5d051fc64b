#include "engine/messages.h"

#include <cstring>

#include "base/path.h"
#include "base/text.h"
#include "platform/errors.h"

static const struct {
  ConvertResult result;
  const char* text;  // "%s" is the file's name; the cause follows where it ends in ':'
  const char* caption;
  bool namesSource;
} kMessages[] = {
    {CONVERT_NO_SOURCE, "Die Quelldatei %s wurde nicht gefunden!", "Quelldatei öffnen", true},
    {CONVERT_SOURCE_NOT_FILE, "Die Quelldatei %s ist keine Datei!", "Quelldatei öffnen", true},
    {CONVERT_SOURCE_UNREADABLE, "Die Quelldatei %s konnte nicht gelesen werden:", "Quelldatei öffnen",
     true},
    {CONVERT_SAME_FILE, "Quelldatei und Zieldatei sind dieselbe Datei!", "Zieldatei öffnen", false},
    {CONVERT_TARGET_EXISTS, "Die Zieldatei %s existiert bereits! Überschreiben?",
     "Zieldatei überschreiben", false},
    {CONVERT_CANNOT_OPEN, "Die Zieldatei %s konnte nicht geöffnet werden:", "Zieldatei öffnen", false},
    {CONVERT_WRITE_FAILED, "Die Zieldatei %s konnte nicht geschrieben werden:",
     "Zieldatei schreiben", false},
    {CONVERT_SOURCE_DAMAGED, "Die Quelldatei %s ist beschädigt (Zeile %d).", "Quelldatei lesen",
     true},
};

const char* ResultMessage(ConvertResult r, const char* source,
                          const char* target, char* text, size_t cap,
                          const RunReport* report) {
  static const RunReport kNone;
  if (!report) report = &kNone;
  text[0] = '\0';
  for (const auto& m : kMessages) {
    if (m.result != r) continue;
    const char* name = PathFileName(m.namesSource ? source : target);
    // The line number and the cause go in first, so that the name may take
    // what is left.
    char fmt[MSGSIZE];
    size_t len = std::strlen(m.text);
    if (r == CONVERT_SOURCE_DAMAGED) {
      FormatText(fmt, sizeof fmt, m.text, "%s", static_cast<int>(report->badLine));
    } else if (len > 0 && m.text[len - 1] == ':') {
      FormatText(fmt, sizeof fmt, "%s %s.%s", m.text, ErrorText(report->error),
                 report->contentLost ? " Ihr alter Inhalt ist verloren." : "");
    } else {
      CopyText(fmt, sizeof fmt, m.text);
    }
    FormatFileMessage(text, cap, fmt, name);
    return m.caption;
  }
  return nullptr;
}
