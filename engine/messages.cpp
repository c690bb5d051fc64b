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
    {CONVERT_NOT_PLAYLIST, "Die Quelldatei %s ist keine Playlist.", "Quelldatei lesen", true},
};

// text as a part of a format: every "%" doubled.
static void FormatPercent(char* out, size_t cap, const char* text) {
  size_t k = 0;
  for (; *text && k + 2 < cap; ++text) {
    if (*text == '%') out[k++] = '%';
    out[k++] = *text;
  }
  out[k] = '\0';
}

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
      char copy[MSGSIZE / 2];  // the format is never cut inside it
      FormatPercent(copy, sizeof copy, report->copyPath.c_str());
      const char* cause = ErrorText(report->error);
      switch (report->old) {
        case OLD_NO_COPY:
          FormatText(fmt, sizeof fmt, "%s %s (Zwischenkopie in %s). Sie ist unverändert.", m.text,
                     cause, copy);
          break;
        case OLD_PUT_BACK:
          FormatText(fmt, sizeof fmt, "%s %s. Ihr alter Inhalt wurde wiederhergestellt.", m.text,
                     cause);
          break;
        case OLD_IN_COPY:
          FormatText(fmt, sizeof fmt, "%s %s. Ihr alter Inhalt liegt in %s.", m.text, cause, copy);
          break;
        default: FormatText(fmt, sizeof fmt, "%s %s.", m.text, cause); break;
      }
    } else {
      CopyText(fmt, sizeof fmt, m.text);
    }
    FormatFileMessage(text, cap, fmt, name);
    return m.caption;
  }
  return nullptr;
}

const char* NoticeMessage(const char* target, const RunReport& report, char* text, size_t cap) {
  text[0] = '\0';
  if (report.earlierCopy.empty()) return nullptr;
  char copy[MSGSIZE / 2], fmt[MSGSIZE];
  FormatPercent(copy, sizeof copy, report.earlierCopy.c_str());
  FormatText(fmt, sizeof fmt, "Eine Kopie des alten Inhalts von %%s liegt in %s.", copy);
  FormatFileMessage(text, cap, fmt, PathFileName(target));
  return "Zieldatei schreiben";
}
