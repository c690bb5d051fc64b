// "Umwandeln" and "Vorschau" as the dialogs run them: the overwrite
// question, the messages, the wait cursor and the remembered target folder.
#include <gtest/gtest.h>

#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>

#include "base/text.h"
#include "settings/settings.h"
#include "ui/conversion.h"
#include "ui/progress.h"
#include "ui_support.h"

namespace {
struct ConversionTest : ::testing::Test {
  MessageLog log;
  RecordingUi ui{&log};
  TempDir dir;
  void SetUp() override { FreshState(); }
  void Source(const std::string& name, const std::string& bytes) {
    WriteFile(dir.File(name), bytes);
    CopyText(g_opnFName, sizeof g_opnFName, dir.File(name).c_str());
  }
  void Target(const std::string& path) { CopyText(g_savFName, sizeof g_savFName, path.c_str()); }
  // A list long enough to be stopped while it runs, over an old target.
  void LongRunOverAnOldTarget() {
    std::string list;
    for (int k = 0; k < 200000; ++k) list += "/nonexistent/" + std::to_string(k) + ".mp3\n";
    Source("big.m3u", list);
    Target(dir.File("out.txt"));
    WriteFile(dir.File("out.txt"), "old");
  }
};

const char kPls[] = "[playlist]\nTitle1=Band - Song\nLength1=215\n";
}  // namespace

TEST_F(ConversionTest, WritesTheTargetAndRemembersItsFolder) {
  Source("a.pls", kPls);
  Target(dir.File("out.txt"));
  ASSERT_EQ(CreateTargetFile(nullptr), 1);
  EXPECT_TRUE(log.entries.empty());
  EXPECT_EQ(log.busy, 0);  // the wait cursor went on and off again
  EXPECT_EQ(log.paused, 300u);
  EXPECT_EQ(ReadFile(dir.File("out.txt")).substr(0, 30), "Band                          ");
  EXPECT_EQ(std::string(g_sInitDir), dir.path + "/");
  // A folder already remembered is kept.
  mkdir(dir.File("sub").c_str(), 0755);
  Target(dir.File("sub/x.txt"));
  ASSERT_EQ(CreateTargetFile(nullptr), 1);
  EXPECT_EQ(std::string(g_sInitDir), dir.path + "/");
}

TEST_F(ConversionTest, EveryFailureIsToldOnce) {
  Source("a.pls", kPls);
  struct { std::string source, target, text, caption; } cases[] = {
      {dir.File("nix.m3u"), dir.File("out.txt"), "Die Quelldatei nix.m3u wurde nicht gefunden!",
       "Quelldatei öffnen"},
      {dir.path, dir.File("out.txt"),
       "Die Quelldatei " + dir.path.substr(dir.path.rfind('/') + 1) + " ist keine Datei!",
       "Quelldatei öffnen"},
      {dir.File("a.pls"), dir.File("a.pls"), "Quelldatei und Zieldatei sind dieselbe Datei!",
       "Zieldatei öffnen"},
      {dir.File("a.pls"), dir.File("no/out.txt"),
       "Die Zieldatei out.txt konnte nicht geöffnet werden: der Ordner oder die Datei existiert nicht.",
       "Zieldatei öffnen"},
  };
  for (const auto& c : cases) {
    log.entries.clear();
    CopyText(g_opnFName, sizeof g_opnFName, c.source.c_str());
    Target(c.target);
    EXPECT_EQ(CreateTargetFile(nullptr), 0) << c.text;
    ASSERT_EQ(log.entries.size(), 1u) << c.text;
    EXPECT_EQ(log.entries[0].text, c.text);
    EXPECT_EQ(log.entries[0].caption, c.caption);
    EXPECT_EQ(log.entries[0].style, MB_OK | MB_ICONEXCLAMATION);
    EXPECT_EQ(log.busy, 0);
  }
  EXPECT_FALSE(Exists(dir.File("out.txt")));
  EXPECT_EQ(ReadFile(dir.File("a.pls")), kPls);
  EXPECT_STREQ(g_sInitDir, "");
  EXPECT_EQ(log.paused, 0u);
}

TEST_F(ConversionTest, OverwriteQuestion) {
  Source("a.pls", kPls);
  Target(dir.File("out.txt"));
  WriteFile(dir.File("out.txt"), "old");
  log.answer = IDNO;
  EXPECT_EQ(CreateTargetFile(nullptr), 0);
  ASSERT_EQ(log.entries.size(), 1u);
  EXPECT_EQ(log.entries[0].text, "Die Zieldatei out.txt existiert bereits! Überschreiben?");
  EXPECT_EQ(log.entries[0].caption, "Zieldatei überschreiben");
  EXPECT_EQ(log.entries[0].style, MB_YESNO | MB_ICONQUESTION);
  EXPECT_EQ(ReadFile(dir.File("out.txt")), "old");
  EXPECT_STREQ(g_sInitDir, "");
  EXPECT_EQ(log.busy, 0);
  log.answer = IDYES;
  EXPECT_EQ(CreateTargetFile(nullptr), 1);
  EXPECT_EQ(ReadFile(dir.File("out.txt")).substr(0, 4), "Band");
  EXPECT_EQ(log.entries.size(), 2u);
  EXPECT_EQ(log.busy, 0);
}

TEST_F(ConversionTest, WriteErrorIsToldAfterTheQuestion) {
  Source("a.pls", kPls);
  Target("/dev/full");
  EXPECT_EQ(CreateTargetFile(nullptr), 0);
  ASSERT_EQ(log.entries.size(), 2u);  // the overwrite question, then the error
  EXPECT_EQ(log.entries[1].text,
            "Die Zieldatei full konnte nicht geschrieben werden: kein Platz mehr auf dem Datenträger.");
  EXPECT_EQ(log.entries[1].caption, "Zieldatei schreiben");
  EXPECT_STREQ(g_sInitDir, "");
  EXPECT_EQ(log.busy, 0);
}

TEST_F(ConversionTest, PreviewIsSilent) {
  Source("a.pls", kPls);
  std::string pv = dir.File("pv.txt");
  WriteFile(pv, "older preview");
  EXPECT_EQ(CreatePreviewFile(nullptr, pv.c_str()), 1);
  EXPECT_TRUE(log.entries.empty());
  EXPECT_EQ(ReadFile(pv).substr(0, 4), "Band");
  EXPECT_STREQ(g_sInitDir, "");
  EXPECT_EQ(CreatePreviewFile(nullptr, dir.File("no/pv.txt").c_str()), 0);
  CopyText(g_opnFName, sizeof g_opnFName, dir.File("nix.m3u").c_str());
  EXPECT_EQ(CreatePreviewFile(nullptr, pv.c_str()), 0);
  EXPECT_TRUE(log.entries.empty());
}

// A long run shows the progress dialog (here at once); "Abbrechen" stops
// it: no message, the old target as it was, no temporary file.
TEST_F(ConversionTest, AbbrechenStopsTheRunAndKeepsTheTarget) {
  LongRunOverAnOldTarget();
  int before = SetProgressDelay(0);
  std::string label;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* dlg = static_cast<QProgressDialog*>(ProgressDialog());
    if (!dlg || !dlg->isVisible()) return;
    label = dlg->labelText().toStdString();
    if (label.find(" von ") == std::string::npos) return;  // still counting
    poll.stop();
    QPushButton* cancel = dlg->findChild<QPushButton*>();
    ASSERT_NE(cancel, nullptr);
    EXPECT_EQ(cancel->text().toStdString(), "Abbrechen");
    QTest::mouseClick(cancel, Qt::LeftButton);
  });
  poll.start(5);
  EXPECT_EQ(CreateTargetFile(nullptr), 0);
  SetProgressDelay(before);
  EXPECT_EQ(label.rfind("Eintrag ", 0), 0u) << label;
  EXPECT_NE(label.find(" von 200.000"), std::string::npos) << label;
  ASSERT_EQ(log.entries.size(), 1u);  // the overwrite question, nothing after
  EXPECT_EQ(ReadFile(dir.File("out.txt")), "old");
  EXPECT_EQ(log.busy, 0);
  EXPECT_EQ(ProgressDialog(), nullptr);
  for (const auto& e : std::filesystem::directory_iterator(dir.path))
    EXPECT_TRUE(e.path().filename() == "out.txt" || e.path().filename() == "big.m3u") << e.path();
}

// A signal stops the run going on as Abbrechen does.
TEST_F(ConversionTest, StopCurrentRunKeepsTheTarget) {
  LongRunOverAnOldTarget();
  int before = SetProgressDelay(0);
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* dlg = static_cast<QProgressDialog*>(ProgressDialog());
    if (!dlg || dlg->labelText().indexOf(QStringLiteral(" von ")) < 0) return;
    poll.stop();
    StopCurrentRun();
  });
  poll.start(5);
  EXPECT_EQ(CreateTargetFile(nullptr), 0);
  SetProgressDelay(before);
  EXPECT_EQ(ReadFile(dir.File("out.txt")), "old");
  EXPECT_EQ(log.entries.size(), 1u);  // the question only
  StopCurrentRun();  // with no run going on: nothing happens
}

// A short run ends before the dialog would show.
TEST_F(ConversionTest, ShortRunsShowNoProgress) {
  Source("a.pls", kPls);
  Target(dir.File("out.txt"));
  bool shown = false;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] { shown = shown || ProgressDialog(); });
  poll.start(1);
  EXPECT_EQ(CreateTargetFile(nullptr), 1);
  EXPECT_FALSE(shown);
}
