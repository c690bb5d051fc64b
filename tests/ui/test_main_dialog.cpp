// The main dialog driven through its widgets: start state, enabling, style
// switches with the target's extension, conversion, the ways to end, help.
#include <QWidget>

#include <unistd.h>

#include <cstdlib>

#include "base/text.h"
#include "ui/app_state.h"
#include "settings/store.h"
#include "ui/resources/resource.h"
#include "ui_support.h"

namespace {

class MainDialog : public UiTest {};

TEST_F(MainDialog, FirstStartShowsTheStartValues) {
  RunMainDialog([](HWND dlg) {
    EXPECT_EQ(Text(dlg, SOURCE), "");
    EXPECT_EQ(Text(dlg, TARGET), "");
    EXPECT_FALSE(Enabled(dlg, IDPREVIEW));
    EXPECT_FALSE(Enabled(dlg, IDOK));
    EXPECT_FALSE(Checked(dlg, HTML));
    EXPECT_FALSE(Checked(dlg, ASCII));
    EXPECT_TRUE(Checked(dlg, TFMT));
    EXPECT_TRUE(Checked(dlg, TOTAL));
    EXPECT_EQ(static_cast<QWidget*>(dlg)->focusWidget(), Control(dlg, SOURCE));
    EXPECT_EQ(static_cast<QWidget*>(dlg)->windowTitle().toStdString(),
              "Mirtun: Playlist umwandeln");
    EXPECT_FALSE(static_cast<QWidget*>(dlg)->windowIcon().isNull());
  });
  EXPECT_EQ(g_hMainDlg != nullptr, true);
  EXPECT_GT(g_NumExt, 1);
  EXPECT_NE(std::string(g_AppPath), "");
}

TEST_F(MainDialog, StoredHtmlAndFormattedTextShowHtmlOnly) {
  g_htmlFlag = 1;
  g_tfmtFlag = 1;
  g_totalFlag = 0;
  Store();
  RunMainDialog([](HWND dlg) {
    EXPECT_TRUE(Checked(dlg, HTML));
    EXPECT_FALSE(Checked(dlg, ASCII));
    EXPECT_FALSE(Checked(dlg, TFMT));
    EXPECT_FALSE(Checked(dlg, TOTAL));
    EXPECT_EQ(g_tfmtFlag, 0);  // the field fills already took the check states
    Click(dlg, IDCANCEL);
  });
  FreshState();
  GetRecentData();
  EXPECT_NE(g_htmlFlag, 0);
  EXPECT_EQ(g_tfmtFlag, 0);
}

TEST_F(MainDialog, ButtonsFollowBothFields) {
  struct Case {
    const char* source;
    const char* target;
    bool preview, convert;
  };
  const Case cases[] = {
      {"", "", false, false},
      {"", "/x/ziel.txt", false, false},
      {"/x/liste.m3u", "", true, false},
      {" ", " ", true, true},  // blanks count as text
      {"/x/liste.m3u", "/x/ziel.txt", true, true},
  };
  for (const Case& c : cases) {
    RunMainDialog([&](HWND dlg) {
      Type(dlg, SOURCE, c.source);
      Type(dlg, TARGET, c.target);
      EXPECT_EQ(Enabled(dlg, IDPREVIEW), c.preview) << c.source << "|" << c.target;
      EXPECT_EQ(Enabled(dlg, IDOK), c.convert) << c.source << "|" << c.target;
    });
  }
  // Emptying the source disables both again.
  RunMainDialog([](HWND dlg) {
    Type(dlg, TARGET, "t");
    Type(dlg, SOURCE, "s");
    Key(dlg, SOURCE, Qt::Key_Backspace);
    EXPECT_FALSE(Enabled(dlg, IDPREVIEW));
    EXPECT_FALSE(Enabled(dlg, IDOK));
  });
}

enum Style { kHtml, kImport, kFormatted, kXlsx };

struct SwitchCase {
  Style before;
  int click;
  const char* savBefore;
  Style after;
  const char* savAfter;  // also the field's text
};

class StyleSwitch : public MainDialog, public ::testing::WithParamInterface<SwitchCase> {};

TEST_P(StyleSwitch, SetsTheStyleAndRewritesTheExtension) {
  const SwitchCase& c = GetParam();
  g_htmlFlag = c.before == kHtml;
  g_tfmtFlag = c.before == kFormatted;
  g_xlsxFlag = c.before == kXlsx;
  CopyText(g_savFName, sizeof g_savFName, c.savBefore);
  Store();
  RunMainDialog([&](HWND dlg) {
    Click(dlg, c.click);
    EXPECT_EQ(Checked(dlg, HTML), c.after == kHtml);
    EXPECT_EQ(Checked(dlg, ASCII), c.after == kImport);
    EXPECT_EQ(Checked(dlg, TFMT), c.after == kFormatted);
    EXPECT_EQ(Checked(dlg, XLSX), c.after == kXlsx);
    EXPECT_EQ(g_htmlFlag != 0, c.after == kHtml);
    EXPECT_EQ(g_tfmtFlag != 0, c.after == kFormatted);
    EXPECT_EQ(g_xlsxFlag != 0, c.after == kXlsx);
    EXPECT_EQ(std::string(g_savFName), c.savAfter);
    EXPECT_EQ(Text(dlg, TARGET), c.savAfter);
  });
}

// The longest path a target may have.
const std::string kLong = "/" + std::string(MAXFILEPATH - 4, 'a') + ".x";

INSTANTIATE_TEST_SUITE_P(
    AllNine, StyleSwitch,
    ::testing::Values(
        SwitchCase{kHtml, HTML, "/aus/liste.htm", kHtml, "/aus/liste.htm"},
        SwitchCase{kHtml, ASCII, "/aus/liste.htm", kImport, "/aus/liste.txt"},
        SwitchCase{kHtml, TFMT, "/aus/liste.htm", kFormatted, "/aus/liste.txt"},
        SwitchCase{kImport, HTML, "/aus/liste.txt", kHtml, "/aus/liste.htm"},
        SwitchCase{kImport, ASCII, "/aus/liste.txt", kImport, "/aus/liste.txt"},
        SwitchCase{kImport, TFMT, "/aus/liste.csv", kFormatted, "/aus/liste.csv"},
        SwitchCase{kFormatted, HTML, "/aus/liste.txt", kHtml, "/aus/liste.htm"},
        SwitchCase{kFormatted, ASCII, "/aus/liste.csv", kImport, "/aus/liste.csv"},
        SwitchCase{kFormatted, TFMT, "/aus/liste.txt", kFormatted, "/aus/liste.txt"},
        // the workbook has its own extension, whichever style was shown
        SwitchCase{kImport, XLSX, "/aus/liste.txt", kXlsx, "/aus/liste.xlsx"},
        SwitchCase{kHtml, XLSX, "/aus/liste.htm", kXlsx, "/aus/liste.xlsx"},
        SwitchCase{kXlsx, TFMT, "/aus/liste.xlsx", kFormatted, "/aus/liste.txt"}));

INSTANTIATE_TEST_SUITE_P(
    Extension, StyleSwitch,
    ::testing::Values(
        // only the last extension changes
        SwitchCase{kFormatted, HTML, "/aus/liste.m3u.txt", kHtml, "/aus/liste.m3u.htm"},
        // the last "." may lie in a folder name
        SwitchCase{kFormatted, HTML, "/aus.alt/liste", kHtml, "/aus.htm"},
        // no "." at all: the name stays
        SwitchCase{kHtml, ASCII, "/aus/liste", kImport, "/aus/liste"},
        // a longer extension that would not fit leaves the name as it is
        SwitchCase{kImport, HTML, kLong.c_str(), kHtml, kLong.c_str()}));

TEST_F(MainDialog, StyleSwitchReplacesTypedTargetText) {
  CopyText(g_savFName, sizeof g_savFName, "/aus/liste.txt");
  Store();
  RunMainDialog([](HWND dlg) {
    Type(dlg, TARGET, "/anders");
    Click(dlg, HTML);
    EXPECT_EQ(Text(dlg, TARGET), "/aus/liste.htm");
  });
}

class Convert : public MainDialog {
 protected:
  void SetUp() override {
    MainDialog::SetUp();
    source = dir.File("party.pls");
    WriteFile(source, "[playlist]\nFile1=a.mp3\nTitle1=Band - Lied\nLength1=61\nNumberOfEntries=1\n");
    CopyText(g_opnFName, sizeof g_opnFName, source.c_str());
    Store();
  }
  std::string source;
};

TEST_F(Convert, TakesTheTypedTargetCutToTheLongestPath) {
  std::string target = dir.File("ziel.txt");
  RunMainDialog([&](HWND dlg) {
    Type(dlg, TARGET, target);
    Click(dlg, IDOK);
  });
  EXPECT_EQ(std::string(g_savFName), target);
  EXPECT_NE(ReadFile(target).find("Lied"), std::string::npos);

  std::string tooLong = "/" + std::string(MAXFILEPATH + 100, 'z');
  RunMainDialog([&](HWND dlg) {
    Type(dlg, TARGET, tooLong);
    Click(dlg, IDOK);
  });
  EXPECT_EQ(std::string(g_savFName), tooLong.substr(0, MAXFILEPATH - 1));
}

TEST_F(Convert, OverwriteQuestionAnsweredNoKeepsAndYesReplacesTheFile) {
  for (int answer : {IDNO, IDYES}) {
    std::string target = dir.File("alt.txt");
    WriteFile(target, "alt");
    log.answer = answer;
    log.entries.clear();
    RunMainDialog([&](HWND dlg) {
      Type(dlg, TARGET, target);
      Click(dlg, IDOK);
    });
    ASSERT_EQ(log.entries.size(), 1u);
    EXPECT_EQ(log.entries[0].caption, "Zieldatei überschreiben");
    EXPECT_EQ(ReadFile(target) == "alt", answer == IDNO) << answer;
  }
}

struct EndCase {
  const char* how;
  std::function<void(HWND)> end;
  bool stored;
};

TEST_F(MainDialog, EndingDeletesThePreviewAndOnlyBeendenStores) {
  TempDir temp;
  setenv("TEMP", temp.path.c_str(), 1);
  std::string source = dir.File("liste.m3u");
  WriteFile(source, "/nirgends/lied.mp3\n");
  const EndCase cases[] = {
      {"Beenden", [](HWND dlg) { Click(dlg, IDCANCEL); }, true},
      {"Escape", [](HWND dlg) { Key(dlg, SOURCE, Qt::Key_Escape); }, true},
      {"Return", [](HWND dlg) { Key(dlg, TARGET, Qt::Key_Return); }, true},
      {"close box", [](HWND dlg) { static_cast<QWidget*>(dlg)->close(); }, false},
  };
  for (const EndCase& c : cases) {
    FreshState();
    std::remove(SettingsFile().c_str());
    CopyText(g_opnFName, sizeof g_opnFName, source.c_str());
    bool previewed = false, open = true;
    INT_PTR result = RunMainDialog([&](HWND dlg) {
      Click(dlg, IDPREVIEW);
      previewed = Exists(g_PrevFile);
      Click(dlg, HTML);
      c.end(dlg);
      open = IsOpen(dlg);
    });
    EXPECT_EQ(result, 0) << c.how;
    EXPECT_FALSE(open) << c.how;
    EXPECT_TRUE(previewed) << c.how;
    EXPECT_FALSE(Exists(g_PrevFile)) << c.how;
    EXPECT_EQ(Exists(SettingsFile()), c.stored) << c.how;
  }
  unsetenv("TEMP");
}

TEST_F(MainDialog, HelpButtonAndF1OpenTheMainPage) {
  RunMainDialog([](HWND dlg) {
    Click(dlg, ID_HELP);
    Key(dlg, SOURCE, Qt::Key_F1);
  });
  EXPECT_EQ(g_helpPages, (std::vector<std::string>{"002.html", "002.html"}));
}

INT_PTR PassHelpOn(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG; }

TEST_F(MainDialog, F1InANestedDialogOpensNoMainPage) {
  RunMainDialog([](HWND main) {
    RunDialog(PassHelpOn, [](HWND nested) { Key(nested, SOURCE, Qt::Key_F1); }, main);
  });
  EXPECT_TRUE(g_helpPages.empty());
}

TEST_F(MainDialog, CloseEndsANestedDialogFirst) {
  INT_PTR nestedResult = -5;
  RunMainDialog([&](HWND main) {
    nestedResult = RunDialog(PassHelpOn, [&](HWND nested) {
      g_hOptDlg = nested;
      SendMessageA(main, WM_CLOSE, 0, 0);
    }, main);
  });
  EXPECT_EQ(nestedResult, 0);
  EXPECT_EQ(g_hOptDlg, nullptr);
  EXPECT_FALSE(Exists(SettingsFile()));
}

}  // namespace

namespace {
// A folder where the settings file should be: the program names it at the
// start and starts from the start values, and "Beenden" says that it cannot
// store them, and ends anyway.
TEST_F(MainDialog, AFolderForTheSettingsFileIsToldAtStartAndAtBeenden) {
  std::string file = SettingsFile();
  std::string cmd = "mkdir -p '" + file + "'";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  INT_PTR result = RunMainDialog([](HWND dlg) {
    EXPECT_TRUE(Checked(dlg, TFMT));  // the start values
    Click(dlg, IDCANCEL);
  });
  EXPECT_EQ(result, 0);
  ASSERT_EQ(log.entries.size(), 2u);
  EXPECT_EQ(log.entries[0].text, "Die Einstellungsdatei " + file +
                                     " konnte nicht gelesen werden: es ist ein Ordner. "
                                     "Es gelten die Anfangswerte.");
  EXPECT_EQ(log.entries[0].caption, "Einstellungen laden");
  EXPECT_EQ(log.entries[1].text,
            "Die Einstellungen konnten nicht gespeichert werden: es ist ein Ordner.");
  EXPECT_EQ(log.entries[1].caption, "Einstellungen speichern");
  rmdir(file.c_str());
}
}  // namespace
