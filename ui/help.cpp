#include "ui/help.h"

#include <QHBoxLayout>
#include <QPointer>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>
#include <QWidget>


#include <algorithm>
#include <cstring>

#include "base/limits.h"
#include "base/path.h"
#include "base/text.h"
#include "platform/files.h"
#include "ui/app_state.h"

#ifndef MIRTUN_HELP_FROM_BIN
#define MIRTUN_HELP_FROM_BIN "../share/mirtun/help"
#endif

namespace {

// The help set is looked for on the first request only. When it is missing
// every later request does nothing at once, without looking again.
enum HelpState { HELP_NOT_LOADED, HELP_LOADED, HELP_FAILED };

HelpState g_helpState = HELP_NOT_LOADED;
char g_helpDir[MAXPATH];  // the help set's folder, with its trailing "/"

// One help window for the whole run, reused by every request. It is owned
// by the dialog that asked last, so it stays usable over that dialog while
// the dialog is modal, and goes when that dialog goes.
QPointer<QWidget> g_helpWindow;

// The help window: back, forward and contents above a text browser that
// follows the links between the pages.
QWidget* MakeHelpWindow(QWidget* owner) {
  auto* window = new QWidget(owner, Qt::Window);
  window->setObjectName(QStringLiteral("mirtunHelp"));
  window->setWindowTitle(QStringLiteral("Mirtun – Hilfe"));
  window->resize(600, 560);

  auto* back = new QPushButton(QStringLiteral("< Zurück"), window);
  auto* forward = new QPushButton(QStringLiteral("Vorwärts >"), window);
  auto* contents = new QPushButton(QStringLiteral("Inhalt"), window);
  back->setObjectName(QStringLiteral("back"));
  forward->setObjectName(QStringLiteral("forward"));
  contents->setObjectName(QStringLiteral("contents"));
  back->setEnabled(false);
  forward->setEnabled(false);
  auto* browser = new QTextBrowser(window);
  browser->setOpenLinks(true);
  browser->setOpenExternalLinks(false);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(back);
  buttons->addWidget(forward);
  buttons->addWidget(contents);
  buttons->addStretch();
  auto* layout = new QVBoxLayout(window);
  layout->addLayout(buttons);
  layout->addWidget(browser);

  QObject::connect(back, &QPushButton::clicked, browser, &QTextBrowser::backward);
  QObject::connect(forward, &QPushButton::clicked, browser, &QTextBrowser::forward);
  QObject::connect(browser, &QTextBrowser::backwardAvailable, back, &QWidget::setEnabled);
  QObject::connect(browser, &QTextBrowser::forwardAvailable, forward, &QWidget::setEnabled);
  QObject::connect(contents, &QPushButton::clicked, browser, [browser] {
    browser->setSource(QUrl::fromLocalFile(QString::fromUtf8(g_helpDir) +
                                           QStringLiteral("index.html")));
  });
  QObject::connect(browser, &QTextBrowser::sourceChanged, window, [window, browser] {
    // A page whose own title already names the help (the contents) keeps
    // it as it is.
    const QString help = QStringLiteral("Mirtun – Hilfe");
    QString title = browser->documentTitle();
    window->setWindowTitle(title.isEmpty() || title.startsWith(help)
                               ? (title.isEmpty() ? help : title)
                               : help + QStringLiteral(": ") + title);
  });
  new QShortcut(QKeySequence(Qt::Key_Escape), window, [window] { window->close(); });
  return window;
}

// A newly shown help window fits the screen of its owner and stands
// centred over it (the owner's own window): 600 x 560 where the screen has
// room, less on a small one, and never beyond its edges.
void PlaceHelpWindow(QWidget* window, QWidget* owner) {
  QWidget* over = owner ? owner->window() : nullptr;
  QScreen* screen = over ? over->screen() : QGuiApplication::primaryScreen();
  if (!screen) return;
  QRect avail = screen->availableGeometry();
  // The frame the window manager adds is not known before the first show;
  // leave room for a title bar and the borders.
  const int frameW = 16, frameH = 48;
  QSize size(std::min(600, avail.width() - frameW), std::min(560, avail.height() - frameH));
  size = size.expandedTo(window->minimumSizeHint()).boundedTo(
      QSize(avail.width() - frameW, avail.height() - frameH));
  window->resize(size);
  QPoint centre = over ? over->frameGeometry().center() : avail.center();
  int x = centre.x() - (size.width() + frameW) / 2;
  int y = centre.y() - (size.height() + frameH) / 2;
  x = std::max(avail.left(), std::min(x, avail.right() + 1 - size.width() - frameW));
  y = std::max(avail.top(), std::min(y, avail.bottom() + 1 - size.height() - frameH));
  window->move(x, y);
}

// The program's help window: shows page of the help set over hDlg.
void ShowHelpPage(HWND hDlg, const char* page) {
  if (g_helpState == HELP_NOT_LOADED) {
    char exe[MAXPATH];
    if (g_AppPath[0])
      CopyText(exe, sizeof exe, g_AppPath);
    else
      ExecutablePath(exe, sizeof exe);
    g_helpState = FindHelpSet(exe, g_helpDir, sizeof g_helpDir) ? HELP_LOADED
                                                                 : HELP_FAILED;
  }
  if (g_helpState != HELP_LOADED) return;

  // A page the help set lacks shows the contents instead.
  char path[MAXPATH];
  FormatText(path, sizeof path, "%s%s", g_helpDir, page ? page : "index.html");
  if (!IsRegularFile(path)) FormatText(path, sizeof path, "%sindex.html", g_helpDir);

  auto* owner = static_cast<QWidget*>(hDlg);
  if (!g_helpWindow) {
    g_helpWindow = MakeHelpWindow(owner);
  } else if (g_helpWindow->parentWidget() != owner) {
    g_helpWindow->setParent(owner, g_helpWindow->windowFlags());
  }
  auto* browser = g_helpWindow->findChild<QTextBrowser*>();
  browser->setSource(QUrl::fromLocalFile(QString::fromUtf8(path)));
  if (!g_helpWindow->isVisible()) PlaceHelpWindow(g_helpWindow, owner);
  g_helpWindow->show();
  g_helpWindow->raise();
  g_helpWindow->activateWindow();
}

HelpViewer g_viewer = ShowHelpPage;

}  // namespace

HelpViewer SetHelpViewer(HelpViewer viewer) {
  HelpViewer before = g_viewer;
  g_viewer = viewer ? viewer : ShowHelpPage;
  return before;
}

int OpenHtmlHelpX(HWND hDlg, const char* page) {
  g_viewer(hDlg, page);
  return 1;
}

int FindHelpSet(const char* exePath, char* folder, size_t cap) {
  char dir[MAXPATH];
  if (!exePath) return 0;
  size_t folderLen = PathFolderLen(exePath);
  if (folderLen == 0 || folderLen >= sizeof dir) return 0;
  CopyTextN(dir, sizeof dir, exePath, folderLen);
  // Installed: bin/mirtun finds share/mirtun/help; in the build tree the
  // build copies the pages into help/ next to the program.
  const char* const places[] = {MIRTUN_HELP_FROM_BIN "/", "help/"};
  for (const char* place : places) {
    char candidate[MAXPATH];
    char index[MAXPATH];
    size_t n = FormatText(candidate, sizeof candidate, "%s%s", dir, place);
    size_t m = FormatText(index, sizeof index, "%sindex.html", candidate);
    if (n + 1 >= sizeof candidate || m + 1 >= sizeof index) continue;  // cut
    if (!IsRegularFile(index) || n + 1 > cap) continue;
    CopyText(folder, cap, candidate);
    return 1;
  }
  return 0;
}

HWND HelpWindow() { return g_helpWindow.data(); }

void ResetHelp() {
  delete g_helpWindow.data();
  g_helpState = HELP_NOT_LOADED;
  g_helpDir[0] = '\0';
}
