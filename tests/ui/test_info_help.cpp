// The info dialog and the help window: keys and texts of the dialog, where
// the help set is found, and what the help window shows.
#include <QApplication>
#include <QPushButton>
#include <QScreen>
#include <QTextBrowser>
#include <QUrl>
#include <QWidget>

#include <sys/stat.h>

#include "base/text.h"
#include "ui/app_state.h"
#include "ui/help.h"
#include "ui/info_dialog.h"
#include "ui/resources/resource.h"
#include "ui_support.h"

namespace {

class Info : public UiTest {};

// Runs the info dialog over the main dialog as "Info..." does and returns
// its result.
INT_PTR RunInfo(const std::function<void(HWND)>& scenario) {
  INT_PTR result = -5;
  RunMainDialog([&](HWND main) {
    WhenNextDialogRuns([&] {
      HWND dlg = static_cast<void*>(QApplication::activeModalWidget());
      scenario(dlg);
      if (IsOpen(dlg)) EndDialog(dlg, -2);
    });
    result = DialogBoxParamA(g_hinst, IDD_INFO, main, InfoDlgFunc, 0);
  });
  return result;
}

TEST_F(Info, ShowsCaptionTextsAndFocusOnOk) {
  RunMainDialog([](HWND main) {
    OpenNested(main, IDINFO, [main](HWND dlg) {
      auto* w = static_cast<QWidget*>(dlg);
      EXPECT_EQ(w->windowTitle().toStdString(), "Über Mirtun 1.23");
      EXPECT_EQ(Text(dlg, INFO_TEXT),
                "Mirtun wandelt Wiedergabelisten (Playlists) von Audio- bzw. "
                "Mediaplayer-Anwendungen um in HTML- oder Textdateien (für den "
                "Import in Tabellenkalkulationen).");
      std::string notice = Text(dlg, INFO_NOTICE);
      EXPECT_NE(notice.find("freie Software (GNU GPL 3+)"), std::string::npos);
      EXPECT_NE(notice.find("eigene Gefahr"), std::string::npos);
      EXPECT_EQ(std::count(notice.begin(), notice.end(), '\n'), 1);
      EXPECT_EQ(w->focusWidget(), Control(dlg, INFO_OK));
      EXPECT_FALSE(w->windowIcon().isNull());
      EXPECT_EQ(g_hInfoDlg, dlg);
      RECT m, d;
      GetWindowRect(main, &m);
      GetWindowRect(dlg, &d);
      EXPECT_EQ(d.left, m.left + ((m.right - m.left) - (d.right - d.left)) / 2);
      EXPECT_EQ(d.top, m.top + ((m.bottom - m.top) - (d.bottom - d.top)) / 2);
    });
  });
}

TEST_F(Info, OkReturnAndCloseBoxEndItEscapeDoesNot) {
  const struct {
    const char* how;
    std::function<void(HWND)> key;
    bool ends;
    INT_PTR result;
  } cases[] = {
      {"OK", [](HWND dlg) { Click(dlg, INFO_OK); }, true, 1},
      {"Return", [](HWND dlg) { Key(dlg, 0, Qt::Key_Return); }, true, 1},
      {"close box", [](HWND dlg) { static_cast<QWidget*>(dlg)->close(); }, true, 0},
      {"Escape", [](HWND dlg) { Key(dlg, INFO_OK, Qt::Key_Escape); }, false, -2},
  };
  for (const auto& c : cases) {
    bool open = true;
    INT_PTR result = RunInfo([&](HWND dlg) {
      c.key(dlg);
      open = IsOpen(dlg);
    });
    EXPECT_EQ(open, !c.ends) << c.how;
    EXPECT_EQ(result, c.result) << c.how;
    if (c.ends) {
      EXPECT_EQ(g_hInfoDlg, nullptr) << c.how;
    }
  }
}

TEST_F(Info, F1OpensTheInfoPageOnly) {
  RunInfo([](HWND dlg) { Key(dlg, INFO_OK, Qt::Key_F1); });
  EXPECT_EQ(g_helpPages, (std::vector<std::string>{"001.html"}));
}

TEST_F(Info, CloseOfTheMainDialogEndsIt) {
  bool open = true;
  HWND mainDlg = nullptr;
  INT_PTR result = RunInfo([&](HWND dlg) {
    mainDlg = g_hMainDlg;
    SendMessageA(g_hMainDlg, WM_CLOSE, 0, 0);
    open = IsOpen(dlg);
  });
  EXPECT_NE(mainDlg, nullptr);
  EXPECT_EQ(result, 0);
  EXPECT_FALSE(open);
  EXPECT_EQ(g_hInfoDlg, nullptr);
}

void MakeDirs(const std::string& folder) {
  for (size_t at = 1; at != std::string::npos; at = folder.find('/', at + 1))
    mkdir(folder.substr(0, at).c_str(), 0700);
  mkdir(folder.c_str(), 0700);
}

// The program's folder, and a help set laid out as installed
// (prefix/bin/mirtun and prefix/share/mirtun/help) or as in the build tree
// (help/ next to mirtun).
void MakeHelpSet(const std::string& exe, const std::string& folder) {
  MakeDirs(exe.substr(0, exe.rfind('/')));
  MakeDirs(folder);
  const char* pages[] = {"index.html", "001.html", "002.html", "003.html"};
  for (const char* page : pages)
    WriteFile(folder + "/" + page, std::string("<html><head><title>") + page +
                                       "</title></head><body><a href=\"001.html\">"
                                       "eins</a></body></html>");
}

TEST(HelpSet, IsFoundInstalledOrNextToTheProgram) {
  TempDir dir;
  char folder[MAXPATH];
  const struct {
    const char* made;  // folder holding a help set, or null
    const char* exe;
    bool found;
  } cases[] = {
      {"inst/share/mirtun/help", "inst/bin/mirtun", true},
      {"build/help", "build/mirtun", true},
      {nullptr, "leer/bin/mirtun", false},
      {"other/share/help", "other/bin/mirtun", false},
  };
  for (const auto& c : cases) {
    MakeDirs((dir / c.exe).substr(0, (dir / c.exe).rfind('/')));
    if (c.made) MakeHelpSet(dir / c.exe, dir / c.made);
    folder[0] = '\0';
    EXPECT_EQ(FindHelpSet((dir / c.exe).c_str(), folder, sizeof folder), c.found) << c.exe;
    if (c.found) {
      EXPECT_TRUE(Exists(std::string(folder) + "003.html")) << folder;
    }
  }
  // The build puts the real pages next to the program.
  ASSERT_TRUE(FindHelpSet(MIRTUN_EXE, folder, sizeof folder));
  for (const char* page : {"index.html", "001.html", "002.html", "003.html"})
    EXPECT_TRUE(Exists(std::string(folder) + page)) << page;
}

class HelpWindowTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    SetHelpViewer(nullptr);  // the program's own help window
    ResetHelp();
  }
  void TearDown() override {
    ResetHelp();
    UiTest::TearDown();
  }
  static QTextBrowser* Browser() {
    auto* w = static_cast<QWidget*>(HelpWindow());
    return w ? w->findChild<QTextBrowser*>() : nullptr;
  }
  static std::string Page() {
    return Browser()->source().fileName().toStdString();
  }
  static QPushButton* Button(const char* name) {
    return static_cast<QWidget*>(HelpWindow())->findChild<QPushButton*>(name);
  }
  TempDir inst;
};

TEST_F(HelpWindowTest, ShowsTheNamedPageInOneWindowWithBackAndForward) {
  MakeHelpSet(inst / "bin/mirtun", inst / "share/mirtun/help");
  CopyText(g_AppPath, sizeof g_AppPath, (inst / "bin/mirtun").c_str());
  OpenHtmlHelpX(nullptr, "003.html");
  ASSERT_NE(Browser(), nullptr);
  EXPECT_EQ(Page(), "003.html");
  EXPECT_TRUE(static_cast<QWidget*>(HelpWindow())->isVisible());
  EXPECT_FALSE(Button("back")->isEnabled());

  HWND first = HelpWindow();
  OpenHtmlHelpX(nullptr, nullptr);  // the contents page
  EXPECT_EQ(HelpWindow(), first);
  EXPECT_EQ(Page(), "index.html");
  OpenHtmlHelpX(nullptr, "kein.html");  // a page the set lacks: contents
  EXPECT_EQ(Page(), "index.html");

  Button("back")->click();
  EXPECT_EQ(Page(), "003.html");
  EXPECT_TRUE(Button("forward")->isEnabled());
  Button("forward")->click();
  EXPECT_EQ(Page(), "index.html");
  // Links lead between the pages.
  Browser()->setSource(QUrl(QStringLiteral("001.html")));
  EXPECT_EQ(Page(), "001.html");
  EXPECT_EQ(static_cast<QWidget*>(HelpWindow())->windowTitle().toStdString(),
            "Mirtun – Hilfe: 001.html");
}

TEST_F(HelpWindowTest, BelongsToTheDialogThatAsked) {
  MakeHelpSet(inst / "mirtun", inst / "help");
  RunMainDialog([&](HWND main) {
    CopyText(g_AppPath, sizeof g_AppPath, (inst / "mirtun").c_str());
    Click(main, ID_HELP);
    ASSERT_NE(HelpWindow(), nullptr);
    EXPECT_EQ(static_cast<QWidget*>(HelpWindow())->parentWidget(), main);
    EXPECT_EQ(Page(), "002.html");
    OpenNested(main, IDOPT, [](HWND dlg) {
      Key(dlg, EXTENSIONS, Qt::Key_F1);
      ASSERT_NE(HelpWindow(), nullptr);
      EXPECT_EQ(static_cast<QWidget*>(HelpWindow())->parentWidget(), dlg);
      EXPECT_EQ(Page(), "003.html");
    });
    // The window went with the options dialog; the next request makes a new one.
    EXPECT_EQ(HelpWindow(), nullptr);
    Key(main, SOURCE, Qt::Key_F1);
    EXPECT_EQ(Page(), "002.html");
  });
}

TEST_F(HelpWindowTest, MissingHelpSetDoesNothingAndIsLookedForOnce) {
  MakeDirs(inst / "bin");
  CopyText(g_AppPath, sizeof g_AppPath, (inst / "bin/mirtun").c_str());
  OpenHtmlHelpX(nullptr, "002.html");
  EXPECT_EQ(HelpWindow(), nullptr);
  MakeHelpSet(inst / "bin/mirtun", inst / "share/mirtun/help");  // appears later: not looked for again
  OpenHtmlHelpX(nullptr, "002.html");
  EXPECT_EQ(HelpWindow(), nullptr);
  ResetHelp();
  OpenHtmlHelpX(nullptr, "002.html");
  EXPECT_NE(HelpWindow(), nullptr);
}

}  // namespace

// The real pages: the contents page's own title is not repeated, and the
// window opens centred over the dialog that asked, inside the screen also
// when that dialog stands at its lower right corner.
TEST_F(HelpWindowTest, FitsItsScreenCentredOverItsDialogWithItsPageTitle) {
  RunMainDialog([&](HWND main) {
    CopyText(g_AppPath, sizeof g_AppPath, MIRTUN_EXE);
    SetWindowPos(main, nullptr, 20, 20, 0, 0, SWP_NOSIZE);
    OpenHtmlHelpX(main, nullptr);
    auto* help = static_cast<QWidget*>(HelpWindow());
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->windowTitle().toStdString(), "Mirtun – Hilfe");
    OpenHtmlHelpX(main, "003.html");
    EXPECT_EQ(help->windowTitle().toStdString(), "Mirtun – Hilfe: Ausgabe-Optionen");
    QRect screen = help->screen()->availableGeometry();
    EXPECT_TRUE(screen.contains(help->frameGeometry()));
    QPoint centre = static_cast<QWidget*>(main)->frameGeometry().center();
    QPoint own = help->geometry().center();
    // Near the dialog's centre as far as the screen's edges allow.
    int wantX = std::max(screen.left() + help->width() / 2 + 8, centre.x());
    EXPECT_LE(std::abs(own.x() - wantX), 16) << own.x() << " " << centre.x();
    ResetHelp();
    SetWindowPos(main, nullptr, screen.right() - 60, screen.bottom() - 60, 0, 0, SWP_NOSIZE);
    OpenHtmlHelpX(main, "002.html");
    help = static_cast<QWidget*>(HelpWindow());
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(screen.contains(help->frameGeometry()));
  });
}
