// mirtun-convert: the conversion engine on the command line.
//
//   mirtun-convert [OPTIONS] SOURCE [TARGET]
//
// Settings start from the stored ones (or the start values with --defaults)
// and the options override them for this run only; nothing is stored.
#include <getopt.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/limits.h"
#include "base/path.h"
#include "base/text.h"
#include "engine/convert.h"
#include "engine/messages.h"
#include "engine/readers.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "settings/options.h"
#include "settings/run_settings.h"
#include "settings/settings.h"
#include "settings/store.h"

static void Usage(FILE* f) {
  std::fputs(
      "Aufruf: mirtun-convert [OPTIONEN] QUELLE [ZIEL]\n"
      "       mirtun-convert [OPTIONEN] QUELLE -o ZIEL\n"
      "       mirtun-convert [OPTIONEN] QUELLE... --output-dir ORDNER\n"
      "\n"
      "Wandelt die Wiedergabeliste QUELLE (M3U, M3U8, OFL, PLS, XSPF, WPL, ASX,\n"
      "SMIL, XML-Mediathek) in eine Liste mit Interpret, Titel und Spielzeit um.\n"
      "Ohne ZIEL oder mit ZIEL \"-\" geht die Ausgabe auf die Standardausgabe;\n"
      "QUELLE \"-\" ist die Standardeingabe.\n"
      "\n"
      "Die Einstellungen kommen aus den gespeicherten Einstellungen des\n"
      "Programms; die Optionen ändern sie nur für diesen Aufruf.\n"
      "\n"
      "Ausgabeformat:\n"
      "  --html                HTML-Tabelle\n"
      "  --text                Text, formatiert (feste Spaltenbreiten)\n"
      "  --import              Importtext für Tabellenkalkulationen\n"
      "  --xlsx                Tabelle (XLSX) mit Kopfzeile, Zeiten als Zeitwerte\n"
      "  --json                ein JSON-Dokument für Skripte: je Zeile artist, title,\n"
      "                        seconds, entry, kind (file, stream, missing)\n"
      "  --total, --no-total   Gesamtzeit anhängen oder nicht\n"
      "  --comma, --tab        Spaltentrenner im Importtext: Komma oder Tabulator\n"
      "  --header, --no-header Importtext mit einer Kopfzeile der Spaltennamen\n"
      "  --formula, --no-formula\n"
      "                        Gesamtzeit im Importtext als Formel =SUMME(...)\n"
      "  --artist-first, --title-first\n"
      "                        Spaltenfolge: Interpret oder Titel zuerst\n"
      "  --strip-ext, --keep-ext\n"
      "                        Bekannte Dateiendungen aus Titeln entfernen oder nicht\n"
      "  --extensions LISTE    Dateiendungen, durch Kommas getrennt (z. B. mp3,ogg)\n"
      "  --width-artist N      Breite der Interpretenspalte (10 bis 250)\n"
      "  --width-title N       Breite der Titelspalte (10 bis 250)\n"
      "  --threads N           so viele Dateien zugleich lesen (1 bis 64; sonst\n"
      "                        MIRTUN_THREADS oder 8)\n"
      "  --music-dir ORDNER    Musikordner: relative Einträge, die neben der Liste\n"
      "                        keine Datei nennen, werden dort gesucht (sonst der\n"
      "                        gespeicherte Musikordner, music_directory aus der\n"
      "                        MPD-Konfiguration oder XDG_MUSIC_DIR)\n"
      "\n"
      "Quellen und Ziele:\n"
      "  -o, --output ZIEL     die Zieldatei\n"
      "  --output-dir ORDNER   je QUELLE eine Liste in ORDNER, benannt wie die Quelle\n"
      "                        (eine Quelle, die scheitert, wird gemeldet, die\n"
      "                        anderen werden umgewandelt)\n"
      "  --format FORMAT       Format der Quelle: m3u, pls, xspf, wpl, asx oder xml\n"
      "                        (sonst nach Endung und Inhalt)\n"
      "\n"
      "Sonstiges:\n"
      "  --defaults            von den Anfangswerten statt den gespeicherten\n"
      "                        Einstellungen ausgehen\n"
      "  -f, --force           ein vorhandenes ZIEL ersetzen (sonst bleibt es)\n"
      "  -h, --help            diese Hilfe zeigen\n"
      "      --version         Version zeigen\n"
      "\n"
      "Rückgabewert: 0 geschrieben, 1 Umwandlung fehlgeschlagen, 2 falscher Aufruf,\n"
      "130 abgebrochen (Strg-C).\n"
      "\n"
      "Beispiele:\n"
      "  mirtun-convert --xlsx party.m3u party.xlsx\n"
      "  cat liste.pls | mirtun-convert --import --tab -\n"
      "  mirtun-convert --html ~/Playlists/*.m3u --output-dir ~/Listen\n",
      f);
}

enum {
  OPT_HTML = 256, OPT_TEXT, OPT_IMPORT, OPT_TOTAL, OPT_NOTOTAL, OPT_COMMA,
  OPT_TAB, OPT_FORMULA, OPT_NOFORMULA, OPT_ARTFIRST, OPT_TITFIRST, OPT_STRIP,
  OPT_KEEP, OPT_EXT, OPT_WART, OPT_WTIT, OPT_DEFAULTS, OPT_VERSION, OPT_THREADS,
  OPT_MUSICDIR, OPT_XLSX, OPT_HEADER, OPT_NOHEADER, OPT_OUTDIR, OPT_FORMAT, OPT_JSON
};

static const struct option kOptions[] = {
    {"html", no_argument, nullptr, OPT_HTML},
    {"text", no_argument, nullptr, OPT_TEXT},
    {"import", no_argument, nullptr, OPT_IMPORT},
    {"xlsx", no_argument, nullptr, OPT_XLSX},
    {"json", no_argument, nullptr, OPT_JSON},
    {"header", no_argument, nullptr, OPT_HEADER},
    {"no-header", no_argument, nullptr, OPT_NOHEADER},
    {"total", no_argument, nullptr, OPT_TOTAL},
    {"no-total", no_argument, nullptr, OPT_NOTOTAL},
    {"comma", no_argument, nullptr, OPT_COMMA},
    {"tab", no_argument, nullptr, OPT_TAB},
    {"formula", no_argument, nullptr, OPT_FORMULA},
    {"no-formula", no_argument, nullptr, OPT_NOFORMULA},
    {"artist-first", no_argument, nullptr, OPT_ARTFIRST},
    {"title-first", no_argument, nullptr, OPT_TITFIRST},
    {"strip-ext", no_argument, nullptr, OPT_STRIP},
    {"keep-ext", no_argument, nullptr, OPT_KEEP},
    {"extensions", required_argument, nullptr, OPT_EXT},
    {"width-artist", required_argument, nullptr, OPT_WART},
    {"width-title", required_argument, nullptr, OPT_WTIT},
    {"threads", required_argument, nullptr, OPT_THREADS},
    {"music-dir", required_argument, nullptr, OPT_MUSICDIR},
    {"defaults", no_argument, nullptr, OPT_DEFAULTS},
    {"force", no_argument, nullptr, 'f'},
    {"output", required_argument, nullptr, 'o'},
    {"output-dir", required_argument, nullptr, OPT_OUTDIR},
    {"format", required_argument, nullptr, OPT_FORMAT},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, OPT_VERSION},
    {nullptr, 0, nullptr, 0}};

// What the command line asks for, before any of it is applied.
struct CliArgs {
  bool defaults = false;
  bool force = false;
  int32_t threads = 0;  // 0: as the environment says
  std::vector<const char*> sources;
  const char* target = "-";
  const char* outputDir = nullptr;  // one listing per source in this folder
  const char* format = "";          // the sources' format, when given
  bool json = false;                // one JSON document (the last style option)
};

static int UsageError(const char* what) {
  std::fprintf(stderr, "mirtun-convert: %s\n", what);
  std::fputs("Mehr mit: mirtun-convert --help\n", stderr);
  return 2;
}

// A number as an option takes it: digits, an optional sign before them.
static bool IsNumber(const char* text) {
  const char* p = text + (text[0] == '-' || text[0] == '+');
  return *p && std::strspn(p, "0123456789") == std::strlen(p);
}

// The option a failed getopt_long call was about, as it was written.
static void NameBadOption(int argc, char** argv, char* what, size_t cap, bool missing) {
  const char* arg = optind > 0 && optind <= argc ? argv[optind - 1] : "";
  if (missing)
    FormatText(what, cap, "bei der Option %s fehlt der Wert", arg);
  else if (std::strncmp(arg, "--", 2) == 0 || optopt == 0 || optopt >= 256)
    FormatText(what, cap, "unbekannte oder falsch geschriebene Option %s", arg);
  else
    FormatText(what, cap, "unbekannte Option -%c", optopt);
}

static const char kShortOptions[] = ":fho:";

// First pass over the options: --help and --version answer at once, a
// wrong option or value is a usage error, and the options about the run
// and the file arguments are noted. Returns -1 to go on, else the exit
// status.
static int ReadArgs(int argc, char** argv, CliArgs* args) {
  opterr = 0;
  int c;
  char what[MAXPATH];
  while ((c = getopt_long(argc, argv, kShortOptions, kOptions, nullptr)) != -1) {
    switch (c) {
      case OPT_DEFAULTS: args->defaults = true; break;
      case OPT_JSON: args->json = true; break;
      case OPT_HTML: case OPT_TEXT: case OPT_IMPORT: case OPT_XLSX: args->json = false; break;
      case 'f': args->force = true; break;
      case 'o': args->target = optarg; break;
      case OPT_OUTDIR: args->outputDir = optarg; break;
      case OPT_FORMAT:
        if (!KnownFormat(optarg)) {
          FormatText(what, sizeof what, "--format kennt m3u, pls, xspf, wpl, asx, xml, nicht %s", optarg);
          return UsageError(what);
        }
        args->format = optarg;
        break;
      case OPT_THREADS: {
        if (!IsNumber(optarg)) {
          FormatText(what, sizeof what, "--threads braucht eine Zahl, nicht %s", optarg);
          return UsageError(what);
        }
        int32_t n = Atoi32(optarg);
        args->threads = n < 1 ? 1 : n > 64 ? 64 : n;
        break;
      }
      case OPT_WART:
      case OPT_WTIT:
        if (!IsNumber(optarg)) {
          FormatText(what, sizeof what, "%s braucht eine Zahl, nicht %s",
                     c == OPT_WART ? "--width-artist" : "--width-title", optarg);
          return UsageError(what);
        }
        break;
      case OPT_MUSICDIR:
        // A cut folder would be another folder.
        if (std::strlen(optarg) >= sizeof g_MusicDir)
          return UsageError("--music-dir: der Ordnername ist zu lang");
        break;
      case 'h': Usage(stdout); return 0;
      case OPT_VERSION:
        std::printf("mirtun-convert %s\n"
                    "Lizenz: GNU GPL, Version 3 oder neuer "
                    "<https://gnu.org/licenses/gpl.html>.\n"
                    "Dies ist freie Software; es gibt KEINE GARANTIE.\n",
                    MIRTUN_V);
        return 0;
      case '?':
      case ':':
        NameBadOption(argc, argv, what, sizeof what, c == ':');
        return UsageError(what);
      default: break;
    }
  }
  for (int k = optind; k < argc; ++k) args->sources.push_back(argv[k]);
  size_t n = args->sources.size();
  if (n < 1) return UsageError("QUELLE fehlt");
  bool explicitTarget = std::strcmp(args->target, "-") != 0;
  if (args->outputDir) {
    if (explicitTarget) return UsageError("-o und --output-dir schließen einander aus");
    for (const char* src : args->sources)
      if (std::strcmp(src, "-") == 0)
        return UsageError("mit --output-dir liest keine Quelle von der Standardeingabe");
    return -1;
  }
  if (n == 2 && !explicitTarget) {
    args->target = args->sources[1];
    args->sources.pop_back();
    return -1;
  }
  if (n > 1) return UsageError("zu viele Argumente (mehrere Quellen mit --output-dir ORDNER)");
  return -1;
}

// Second pass: every setting option in the order given, over the settings
// loaded before.
static void ApplyOptions(int argc, char** argv) {
  optind = 0;
  int c;
  while ((c = getopt_long(argc, argv, kShortOptions, kOptions, nullptr)) != -1) {
    switch (c) {
      case OPT_HTML: g_xlsxFlag = 0; g_htmlFlag = 1; break;
      case OPT_TEXT: g_xlsxFlag = 0; g_htmlFlag = 0; g_tfmtFlag = 1; break;
      case OPT_IMPORT: g_xlsxFlag = 0; g_htmlFlag = 0; g_tfmtFlag = 0; break;
      case OPT_XLSX: g_xlsxFlag = 1; break;
      case OPT_HEADER: g_headFlag = 1; break;
      case OPT_NOHEADER: g_headFlag = 0; break;
      case OPT_TOTAL: g_totalFlag = 1; break;
      case OPT_NOTOTAL: g_totalFlag = 0; break;
      case OPT_COMMA: g_kommaFlag = 1; break;
      case OPT_TAB: g_kommaFlag = 0; break;
      case OPT_FORMULA: g_formlFlag = 1; break;
      case OPT_NOFORMULA: g_formlFlag = 0; break;
      case OPT_ARTFIRST: g_artfFlag = 1; break;
      case OPT_TITFIRST: g_artfFlag = 0; break;
      case OPT_STRIP: g_rmextFlag = 1; break;
      case OPT_KEEP: g_rmextFlag = 0; break;
      case OPT_EXT: SetFileExtensions(optarg); break;
      case OPT_WART: g_ColWArt = WidthFromText(optarg); break;
      case OPT_WTIT: g_ColWTit = WidthFromText(optarg); break;
      case OPT_MUSICDIR: CopyText(g_MusicDir, sizeof g_MusicDir, optarg); break;
      default: break;
    }
  }
}

// Makes a relative source absolute against the working directory.
static bool AbsolutePath(const char* path, std::string* out) {
  if (path[0] == '/') {
    *out = path;
    return true;
  }
  char* cwd = getcwd(nullptr, 0);
  if (!cwd) return false;
  *out = cwd;
  std::free(cwd);
  if (out->empty() || out->back() != '/') *out += '/';
  *out += path;
  return true;
}

static void Report(ConvertResult r, const char* target, const RunReport& report) {
  char msg[MSGSIZE];
  if (r == CONVERT_TARGET_EXISTS) {
    // A script cannot answer a question: it is told what to do instead.
    FormatFileMessage(msg, sizeof msg,
                      "Die Zieldatei %s existiert bereits; mit --force wird sie ersetzt.", target);
    std::fprintf(stderr, "mirtun-convert: %s\n", msg);
    return;
  }
  const char* caption = ResultMessage(r, g_opnFName, target, msg, sizeof msg, &report);
  if (caption) std::fprintf(stderr, "mirtun-convert: %s: %s\n", caption, msg);
}

// What is worth telling whatever the result (a kept copy of old content).
static void Notice(const char* target, const RunReport& report) {
  char msg[MSGSIZE];
  const char* caption = NoticeMessage(target, report, msg, sizeof msg);
  if (caption) std::fprintf(stderr, "mirtun-convert: %s: %s\n", caption, msg);
}

// A listing without a single row is written, but worth a word.
static void TellIfEmpty(ConvertResult r, const RunReport& report) {
  if (r == CONVERT_WRITTEN && report.rows == 0)
    std::fprintf(stderr, "mirtun-convert: %s\n", kNoEntriesText);
}

// ---- Progress on a terminal, and stopping on a signal ----

static RunControl g_ctl;
static bool g_stdinSource = false;  // the source is standard input

static void StopRun(int) { g_ctl.cancel.store(true); }

// A file that is there but cannot be read gives the row of its name; the
// user is told why.
static void TellUnreadable(RunControl*, const char* entry, int error) {
  std::fprintf(stderr, "mirtun-convert: Die Datei %s konnte nicht gelesen werden: %s.\n", entry,
               ErrorText(error));
}

// SIGINT, SIGTERM and SIGHUP stop the run between two rows: an existing target
// stays as it was and the temporary file goes. A reader of the output pipe
// that goes away (`| head`) is no signal but a failed write: the run stops
// at the next row and ends quietly with status 1.
static void CatchSignals() {
  struct sigaction sa = {};
  sa.sa_handler = StopRun;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);
  sigaction(SIGHUP, &sa, nullptr);
  signal(SIGPIPE, SIG_IGN);
}

// 1234567 as "1.234.567".
static void Grouped(char* out, size_t cap, int64_t n) {
  char digits[24];
  int len = static_cast<int>(FormatText(digits, sizeof digits, "%lld", static_cast<long long>(n)));
  size_t k = 0;
  for (int i = 0; i < len && k + 1 < cap; ++i) {
    if (i > 0 && (len - i) % 3 == 0 && k + 2 < cap) out[k++] = '.';
    out[k++] = digits[i];
  }
  out[k] = '\0';
}

using Clock = std::chrono::steady_clock;
static Clock::time_point g_started, g_shown;

// One line, rewritten in place at most ten times a second. The rate counts
// from the start of the run and shows once a second has passed: before,
// a handful of rows would give a number that means nothing.
static void ShowProgress(RunControl* ctl) {
  Clock::time_point now = Clock::now();
  int64_t done = ctl->done.load(), total = ctl->total.load();
  if (now - g_shown < std::chrono::milliseconds(100) && done != total) return;
  g_shown = now;
  double secs = std::chrono::duration<double>(now - g_started).count();
  char d[32], t[32], r[32];
  Grouped(d, sizeof d, done);
  Grouped(t, sizeof t, total);
  if (secs < 1) {
    std::fprintf(stderr, "\rEintrag %s von %s\033[K", d, t);
    return;
  }
  Grouped(r, sizeof r, static_cast<int64_t>(done / secs));
  std::fprintf(stderr, "\rEintrag %s von %s (%s je Sekunde)\033[K", d, t, r);
}

static void ClearProgress() { std::fputs("\r\033[K", stderr); }

// After every row: the progress line on a terminal, the end of a run whose
// output pipe lost its reader, and the tests' stop point (platform/files.h).
static bool g_terminal = false;
static bool g_toStdout = false;
static void OnRow(RunControl* ctl) {
  if (g_terminal) ShowProgress(ctl);
  if (g_toStdout && std::ferror(stdout)) ctl->cancel.store(true);
  StopPoint("row");
}

// The progress line goes to standard error when that is a terminal, but
// never onto the terminal that shows the listing itself: written to
// standard output on the same terminal, the two lines would mix.
static bool ShowsProgress(bool toStdout) {
  if (!isatty(STDERR_FILENO)) return false;
  if (!toStdout || !isatty(STDOUT_FILENO)) return true;
  struct stat out, err;
  if (fstat(STDOUT_FILENO, &out) != 0 || fstat(STDERR_FILENO, &err) != 0) return false;
  return out.st_rdev != err.st_rdev;
}

// Converts source ("-": standard input) into target ("-": standard
// output). A target that exists but is no regular file (a device such as
// /dev/null, a pipe) is only written to, never replaced, so there is
// nothing to ask.
static ConvertResult Convert(const CliArgs& args, const char* target, RunReport* report) {
  RunSettings s = TakeRunSettings();
  if (args.threads > 0) s.threads = args.threads;
  CopyText(s.format, sizeof s.format, args.format);
  s.json = args.json;
  s.fromStdin = g_stdinSource;
  g_toStdout = std::strcmp(target, "-") == 0;
  bool terminal = ShowsProgress(g_toStdout);
  g_terminal = terminal;
  g_ctl.countFirst = terminal && !s.fromStdin;
  g_ctl.done.store(0);
  if (terminal || g_toStdout || StopPointsArmed()) g_ctl.onRow = OnRow;
  g_ctl.onUnreadable = TellUnreadable;
  g_started = Clock::now();
  ConvertResult r;
  if (g_toStdout) {
    r = ConvertToStream(s, stdout, report, &g_ctl);
  } else {
    bool overwrite = args.force || (PathExists(target) && !IsRegularFile(target));
    r = ConvertToFile(s, target, overwrite, report, &g_ctl);
  }
  if (terminal && g_ctl.done.load() > 0) ClearProgress();
  return r;
}

// The target of a source in the output folder: its name with the style's
// extension in place of its own.
static bool TargetInFolder(const char* folder, const char* source, bool json,
                           std::string* target) {
  std::string name = PathFileName(source);
  size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  const char* ext = json ? ".json" : g_xlsxFlag ? ".xlsx" : g_htmlFlag ? ".htm" : ".txt";
  *target = folder;
  if (target->empty() || target->back() != '/') *target += '/';
  *target += name + ext;
  return target->size() < sizeof g_savFName;
}

// One source into one target; says what went wrong. Returns the exit status.
static int ConvertOne(const CliArgs& args, const char* source, const char* target) {
  g_stdinSource = std::strcmp(source, "-") == 0;
  std::string abs;
  if (!AbsolutePath(source, &abs)) {
    std::fprintf(stderr, "mirtun-convert: Der aktuelle Ordner ist nicht zu ermitteln: %s.\n",
                 ErrorText(errno));
    return 1;
  }
  if (abs.size() >= sizeof g_opnFName) {
    std::fprintf(stderr, "mirtun-convert: Der Pfad der Quelldatei ist zu lang: %s\n", source);
    return 1;
  }
  if (std::strlen(target) >= sizeof g_savFName) {
    std::fprintf(stderr, "mirtun-convert: Der Pfad der Zieldatei ist zu lang: %s\n", target);
    return 1;
  }
  CopyText(g_opnFName, sizeof g_opnFName, abs.c_str());
  RunReport report;
  ConvertResult r = Convert(args, target, &report);
  Notice(target, report);
  TellIfEmpty(r, report);
  if (r == CONVERT_WRITTEN) return 0;
  // The reader of the output pipe went away: nothing more is wanted, and
  // nothing is worth telling.
  if (g_toStdout && std::ferror(stdout) && (r == CONVERT_CANCELLED || report.error == EPIPE))
    return 1;
  if (r == CONVERT_CANCELLED) return 130;  // as a shell reports a Ctrl-C
  Report(r, std::strcmp(target, "-") == 0 ? "(Standardausgabe)" : target, report);
  return 1;
}

int main(int argc, char** argv) {
  CliArgs args;
  int status = ReadArgs(argc, argv, &args);
  if (status >= 0) return status;

  // Options are applied over the loaded settings. A settings file that
  // cannot be read is named; the run goes on from the start values.
  int storeError = 0;
  if (!args.defaults && !GetRecentData(&storeError)) {
    char warning[MSGSIZE];
    StoreWarning(warning, sizeof warning, storeError);
    std::fprintf(stderr, "mirtun-convert: %s\n", warning);
  }
  ApplyOptions(argc, argv);
  CatchSignals();
  if (!args.outputDir) return ConvertOne(args, args.sources[0], args.target);

  // Several sources: a failing one is told and the others still go.
  int result = 0;
  for (const char* source : args.sources) {
    std::string target;
    if (!TargetInFolder(args.outputDir, source, args.json, &target)) {
      std::fprintf(stderr, "mirtun-convert: Der Pfad der Zieldatei ist zu lang: %s\n", source);
      result = 1;
      continue;
    }
    int one = ConvertOne(args, source, target.c_str());
    if (one == 130) return 130;
    if (one != 0) result = 1;
  }
  return result;
}
