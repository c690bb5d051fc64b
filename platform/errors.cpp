#include "platform/errors.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

const char* ErrorText(int err) {
  switch (err) {
    case kNotRegularFile: return "es ist keine Datei";
    case ENOENT: return "der Ordner oder die Datei existiert nicht";
    case EACCES:
    case EPERM: return "keine Berechtigung";
    case EROFS: return "das Dateisystem ist schreibgeschützt";
    case ENOSPC: return "kein Platz mehr auf dem Datenträger";
    case EDQUOT: return "das Speicherkontingent ist erschöpft";
    case EFBIG: return "die Datei würde zu groß";
    case EIO: return "Ein-/Ausgabefehler";
    case ENXIO: return "die Pipe wird von keinem Programm gelesen";
    case EPIPE: return "die Pipe wurde geschlossen";
    case EISDIR: return "es ist ein Ordner";
    case ENOTDIR: return "ein Teil des Pfades ist kein Ordner";
    case ENAMETOOLONG: return "der Name ist zu lang";
    case ELOOP: return "zu viele symbolische Verknüpfungen";
    case EMFILE:
    case ENFILE: return "zu viele offene Dateien";
    case ENOMEM: return "zu wenig Speicher";
    case ELIBACC: return "eine benötigte Bibliothek fehlt";
    case EBUSY:
    case ETXTBSY: return "die Datei ist in Benutzung";
    default: break;
  }
  // A cause without a text of its own: its number and the system's words.
  static thread_local char other[128];
  char sys[96];
  const char* words = strerror_r(err, sys, sizeof sys);
  std::snprintf(other, sizeof other, "Fehler %d (%s)", err, words);
  return other;
}
