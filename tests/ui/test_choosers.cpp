// The two choosers: what they ask, the target derived from a source, the
// remembered folders, cancelling; and the Qt file dialog behind them.
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QTest>

#include "base/text.h"
#include "ui/resources/resource.h"
#include "ui/target_name.h"
#include "ui_support.h"

namespace {

class Choosers : public UiTest {};

struct DeriveCase {
  const char* sInitDir;
  int html;
  std::string source;
  std::string target;
};

TEST_F(Choosers, SourceChoiceDerivesTheTarget) {
  const std::string deep = "/" + std::string(480, 'd') + "/listen/";  // 489 characters
  const std::string longName = std::string(30, 'n') + ".m3u";
  const DeriveCase cases[] = {
      {"", 0, "/musik/party.m3u", "/musik/party.txt"},
      {"", 1, "/musik/party.m3u", "/musik/party.htm"},
      {"/listen/", 0, "/musik/party.m3u", "/listen/party.txt"},
      {"", 0, "/musik/party.list.m3u", "/musik/party.list.txt"},
      {"", 0, "/musik/party", "/musik/party.txt"},
      {"/listen.alt/", 0, "/musik/party", "/listen.txt"},
      {"/listen", 0, "/musik/party.m3u", "/listenparty.txt"},  // joined as they stand
      // a long folder and name: paths are as long as the system allows
      {deep.c_str(), 0, "/musik/" + longName, deep + std::string(30, 'n') + ".txt"},
  };
  for (const DeriveCase& c : cases) {
    FreshState();
    CopyText(g_sInitDir, sizeof g_sInitDir, c.sInitDir);
    g_htmlFlag = c.html;
    Store();
    g_fakeChooser.path = c.source;
    RunMainDialog([&](HWND dlg) {
      if (c.html) Click(dlg, HTML);
      Click(dlg, SOURCEBTN);
      EXPECT_EQ(Text(dlg, SOURCE), c.source);
      EXPECT_EQ(Text(dlg, TARGET), c.target) << c.source;
      EXPECT_TRUE(Enabled(dlg, IDOK));
    });
    EXPECT_EQ(std::string(g_savFName), c.target);
    EXPECT_EQ(std::string(g_oInitDir), c.source.substr(0, c.source.rfind('/') + 1));
  }
}

TEST_F(Choosers, AskWithTheirTitlesFiltersFoldersAndRules) {
  struct Case {
    int button, html;
    const char* title;
    const char* firstLabel;
    unsigned flags;
    const char* defExt;
    const char* initialDir;
  };
  const Case cases[] = {
      {SOURCEBTN, 0, "Quelldatei (Playlist) wählen",
       "Unterstützte Dateiformate (*.pls, *.m3u, *.m3u8, *.xml, *.ofl, *.xspf, *.wpl)", 0x201800, "*.m3u", "/quelle/"},
      // The target chooser is a save dialog.
      {TARGETBTN, 0, "Zieldatei wählen", "Textdatei (*.txt)", 0x2200800, "*.txt", "/ziel/"},
      {TARGETBTN, 1, "Zieldatei wählen", "HTML-Datei (*.htm, *.html)", 0x2200800, "*.htm", "/ziel/"},
  };
  for (const Case& c : cases) {
    FreshState();
    CopyText(g_oInitDir, sizeof g_oInitDir, "/quelle/");
    CopyText(g_sInitDir, sizeof g_sInitDir, "/ziel/");
    g_htmlFlag = c.html;
    g_tfmtFlag = 0;
    Store();
    RunMainDialog([&](HWND dlg) { Click(dlg, c.button); });
    EXPECT_EQ(g_fakeChooser.title, c.title);
    EXPECT_EQ(g_fakeChooser.firstLabel, c.firstLabel);
    EXPECT_EQ(g_fakeChooser.flags, c.flags);
    EXPECT_EQ(g_fakeChooser.defExt, c.defExt);
    EXPECT_EQ(g_fakeChooser.initialDir, c.initialDir);
  }
}

TEST_F(Choosers, CancelChangesNothing) {
  CopyText(g_opnFName, sizeof g_opnFName, "/a/quelle.m3u");
  CopyText(g_savFName, sizeof g_savFName, "/b/ziel.txt");
  CopyText(g_oInitDir, sizeof g_oInitDir, "/a/");
  CopyText(g_sInitDir, sizeof g_sInitDir, "/b/");
  Store();
  for (int button : {SOURCEBTN, TARGETBTN}) {
    RunMainDialog([&](HWND dlg) {
      Click(dlg, button);
      EXPECT_EQ(Text(dlg, SOURCE), "/a/quelle.m3u");
      EXPECT_EQ(Text(dlg, TARGET), "/b/ziel.txt");
    });
    EXPECT_STREQ(g_opnFName, "/a/quelle.m3u");
    EXPECT_STREQ(g_savFName, "/b/ziel.txt");
    EXPECT_STREQ(g_oInitDir, "/a/");
    EXPECT_STREQ(g_sInitDir, "/b/");
  }
  EXPECT_EQ(g_fakeChooser.calls, 2);
}

TEST_F(Choosers, ChosenTargetFolderIsUsedForTheNextDerivation) {
  RunMainDialog([](HWND dlg) {
    g_fakeChooser.path = "/neu/ziel.lst";
    Click(dlg, TARGETBTN);
    EXPECT_EQ(Text(dlg, TARGET), "/neu/ziel.lst");  // kept as chosen
    g_fakeChooser.path = "/musik/party.m3u";
    Click(dlg, SOURCEBTN);
    EXPECT_EQ(Text(dlg, TARGET), "/neu/party.txt");
  });
  EXPECT_STREQ(g_sInitDir, "/neu/");
}

// The Qt chooser itself: exact filter labels, an existing source, a new
// target name in an existing folder, and cancelling.
QFileDialog* OpenFileDialog() {
  return qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
}

TEST_F(Choosers, QtDialogShowsTheLabelsAndReturnsThePath) {
  SetFileChooser(nullptr);
  std::string existing = dir.File("party.m3u");
  WriteFile(existing, "x\n");
  struct Case {
    unsigned flags;
    std::string typed;
    bool accept;
    int result;
  };
  const Case cases[] = {
      {OFN_LONGNAMES | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST, existing, true, 1},
      {OFN_LONGNAMES | OFN_PATHMUSTEXIST, dir.File("neu.txt"), true, 1},
      {OFN_LONGNAMES | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST, existing, false, 0},
  };
  const char filters[] = "Unterstützte Dateiformate (*.pls, *.m3u)\0*.pls;*.m3u\0Alle Dateien (*.*)\0*.*\0";
  for (const Case& c : cases) {
    char file[MAXPATH] = "";
    OPENFILENAMEA ofn;
    ofn.lpstrFilter = filters;
    ofn.lpstrFile = file;
    ofn.nMaxFile = MAXPATH;
    ofn.lpstrInitialDir = dir.path.c_str();
    ofn.lpstrTitle = "Titel";
    ofn.Flags = c.flags;
    QStringList labels;
    WhenNextDialogRuns([&] {
      QFileDialog* fd = OpenFileDialog();
      ASSERT_NE(fd, nullptr);
      auto* types = fd->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
      for (int i = 0; types && i < types->count(); ++i) labels << types->itemText(i);
      if (!c.accept) return fd->reject();
      auto* name = fd->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
      name->setText(QString::fromStdString(c.typed));
      QTest::keyClick(name, Qt::Key_Return);
      if (fd->isVisible()) fd->reject();
    });
    EXPECT_EQ(QtGetOpenFileName(&ofn), c.result) << c.typed;
    EXPECT_EQ(labels, (QStringList{"Unterstützte Dateiformate (*.pls, *.m3u)", "Alle Dateien (*.*)"}));
    EXPECT_EQ(std::string(file), c.result ? c.typed : "");
    if (c.result) {
      EXPECT_EQ(ofn.nFileOffset, dir.path.size() + 1);
    }
  }
}

TEST(TargetName, ExtensionNeverWrittenPastTheBuffer) {
  char path[16] = "/a/liste.x";  // 10 characters, room for 15
  EXPECT_EQ(ReplaceExtension(path, sizeof path, ".htm"), 1);
  EXPECT_STREQ(path, "/a/liste.htm");
  char full[13] = "/a/liste.txt";  // full: ".html" would need 14 bytes
  EXPECT_EQ(ReplaceExtension(full, sizeof full, ".html"), 0);
  EXPECT_STREQ(full, "/a/liste.txt");
  char none[16] = "/a/liste";
  EXPECT_EQ(ReplaceExtension(none, sizeof none, ".htm"), 0);
}

}  // namespace
