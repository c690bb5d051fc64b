// The program: the main dialog, run until it ends.
#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QTranslator>

#include "ui/app_state.h"
#include "ui/dialog.h"
#include "ui/main_dialog.h"
#include "ui/message_box.h"
#include "ui/resources/resource.h"
#include "ui/ui_hooks.h"

// The command line is not used; Qt gets only the program name.
int main(int, char** argv) {
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
  DialogBoxParamA(g_hinst, IDD_MAIN, nullptr, DialogFunc, 0);
  SetUiHooks(nullptr);
  return 0;
}
