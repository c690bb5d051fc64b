// The program: the main dialog, run until it ends.
#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QTimer>
#include <QTranslator>

#include <signal.h>

#include <atomic>
#include <cstdio>

#include "base/limits.h"
#include "ui/app_state.h"
#include "ui/choosers.h"
#include "ui/dialog.h"
#include "ui/main_dialog.h"
#include "ui/message_box.h"
#include "ui/progress.h"
#include "ui/resources/resource.h"
#include "ui/ui_hooks.h"

static std::atomic<bool> g_endRequested{false};

// SIGINT, SIGTERM and SIGHUP stop a conversion going on (its temporary file
// goes, an old target stays as it was) and then end the program, as the
// close box does: nothing is stored.
static void EndOnSignal(int) {
  g_endRequested.store(true);
  StopCurrentRun();
}

static void CatchSignals() {
  struct sigaction sa = {};
  sa.sa_handler = EndOnSignal;
  sigemptyset(&sa.sa_mask);
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaction(sig, &sa, nullptr);
}

// `mirtun FILE` (the menu entry's "Open with") starts with FILE as the
// source; other arguments are not used, and Qt gets only the program name.
int main(int argc, char** argv) {
  int qtArgc = 1;
  char* qtArgv[] = {argv[0], nullptr};
  QApplication app(qtArgc, qtArgv);
  // Qt's own dialogs (the file chooser) speak German like the program.
  QTranslator qtGerman;
  if (qtGerman.load(QStringLiteral("qtbase_de"),
                    QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    app.installTranslator(&qtGerman);
  g_hinst = &app;
  app.setWindowIcon(*static_cast<QIcon*>(LoadIconA(g_hinst, IDI_MIRTUN)));
  SetUiHooks(&kQtUiHooks);
  CatchSignals();
  // A signal only sets a flag; the event loops look at it here. Leaving
  // them all ends every dialog, the main one last.
  QTimer endWatch;
  QObject::connect(&endWatch, &QTimer::timeout, [] {
    if (g_endRequested.load()) QCoreApplication::exit(0);
  });
  endWatch.start(100);
  static char source[MAXPATH];
  const char* file = argc > 1 && argv[1][0] != '-' &&
                             SourceFromArgument(argv[1], source, sizeof source)
                         ? source
                         : nullptr;
  DialogBoxParamA(g_hinst, IDD_MAIN, nullptr, DialogFunc, reinterpret_cast<LPARAM>(file));
  if (g_endRequested.load()) std::remove(g_PrevFile);  // as the close box does
  SetUiHooks(nullptr);
  return 0;
}
