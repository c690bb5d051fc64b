// How a source reaches the main dialog besides its chooser: typed into the
// field, dropped on the window, or named on the command line. What the
// field shows is what is converted.
#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include <unistd.h>

#include "base/text.h"
#include "settings/settings.h"
#include "ui/resources/resource.h"
#include "ui_support.h"

namespace {

class Sources : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    old = dir.File("alt.pls");
    typed = dir.File("neu liste.pls");
    WriteFile(old, "[playlist]\nTitle1=Alt - Lied\nLength1=61\n");
    WriteFile(typed, "[playlist]\nTitle1=Neu - Lied\nLength1=62\n");
  }
  std::string old, typed;
};

// Drops data on control id of dlg (0: the dialog away from its controls),
// as a drag from another program ends there.
void Drop(HWND dlg, int id, QMimeData* data) {
  QWidget* target = id ? Control(dlg, id) : static_cast<QWidget*>(dlg);
  QPoint at = id ? target->rect().center() : QPoint(2, 2);
  QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &enter);
  QDropEvent drop(QPointF(at), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &drop);
}

QMimeData* Urls(const std::vector<std::string>& urls) {
  auto* data = new QMimeData;
  QList<QUrl> list;
  for (const std::string& u : urls) list << QUrl(QString::fromStdString(u));
  data->setUrls(list);
  return data;
}

QMimeData* Plain(const std::string& text) {
  auto* data = new QMimeData;
  data->setText(QString::fromStdString(text));
  return data;
}

std::string FileUrl(const std::string& path) {
  return QUrl::fromLocalFile(QString::fromStdString(path)).toString(QUrl::FullyEncoded).toStdString();
}

// A source typed over the one chosen last is what "Umwandeln" converts, and
// its target is derived from it.
TEST_F(Sources, TypedSourceIsConvertedWithItsDerivedTarget) {
  CopyText(g_opnFName, sizeof g_opnFName, old.c_str());
  CopyText(g_savFName, sizeof g_savFName, dir.File("alt.txt").c_str());
  Store();
  RunMainDialog([&](HWND dlg) {
    Retype(dlg, SOURCE, typed);
    EXPECT_EQ(Text(dlg, TARGET), dir.File("neu liste.txt"));
    Click(dlg, IDOK);
  });
  EXPECT_NE(ReadFile(dir.File("neu liste.txt")).find("Neu"), std::string::npos);
  EXPECT_FALSE(Exists(dir.File("alt.txt")));
  // A typed path of no file keeps the target, and is still the source.
  CopyText(g_savFName, sizeof g_savFName, dir.File("ziel.txt").c_str());
  Store();
  RunMainDialog([&](HWND dlg) {
    Retype(dlg, SOURCE, dir.File("fehlt.m3u"));
    EXPECT_EQ(Text(dlg, TARGET), dir.File("ziel.txt"));
    Click(dlg, IDOK);
  });
  ASSERT_EQ(log.entries.size(), 1u);
  EXPECT_NE(log.entries[0].text.find("fehlt.m3u"), std::string::npos) << log.entries[0].text;
}

TEST_F(Sources, DropSetsTheSourceOrOnTheTargetFieldTheTarget) {
  struct Case {
    const char* what;
    int on;
    std::function<QMimeData*()> data;
    std::string source, target;  // the fields afterwards
  };
  const std::string other = dir.File("anders.htm");
  const Case cases[] = {
      {"address on the window", 0, [&] { return Urls({FileUrl(typed)}); }, typed,
       dir.File("neu liste.txt")},
      {"address on a button", IDOPT, [&] { return Urls({FileUrl(typed)}); }, typed,
       dir.File("neu liste.txt")},
      {"text address", SOURCE, [&] { return Plain(FileUrl(typed) + "\r\n"); }, typed,
       dir.File("neu liste.txt")},
      {"on the target field", TARGET, [&] { return Urls({FileUrl(other)}); }, old, other},
      {"two files", SOURCE, [&] { return Urls({FileUrl(typed), FileUrl(old)}); }, old, ""},
      {"a web address", SOURCE, [&] { return Urls({"https://example.org/a.m3u"}); }, old, ""},
      {"a relative text", SOURCE, [&] { return Plain("neu.pls"); }, old, ""},
  };
  for (const Case& c : cases) {
    FreshState();
    CopyText(g_opnFName, sizeof g_opnFName, old.c_str());
    Store();
    RunMainDialog([&](HWND dlg) {
      std::unique_ptr<QMimeData> data(c.data());
      Drop(dlg, c.on, data.get());
      EXPECT_EQ(Text(dlg, SOURCE), c.source) << c.what;
      EXPECT_EQ(Text(dlg, TARGET), c.target) << c.what;
    });
    EXPECT_EQ(std::string(g_opnFName), c.source) << c.what;
  }
}

// `mirtun FILE` and "Open with": the file as source, the target derived.
TEST_F(Sources, FileOnTheCommandLineIsTheSource) {
  char source[MAXPATH];
  char cwd[MAXPATH];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  ASSERT_EQ(chdir(dir.path.c_str()), 0);
  struct { std::string arg, source; } cases[] = {
      {"neu liste.pls", typed},
      {FileUrl(typed), typed},
      {"https://example.org/a.m3u", ""},
      {"/" + std::string(MAXPATH, 'x'), ""},
  };
  for (const auto& c : cases) {
    int ok = SourceFromArgument(c.arg.c_str(), source, sizeof source);
    EXPECT_EQ(ok ? std::string(source) : "", c.source) << c.arg;
  }
  ASSERT_EQ(chdir(cwd), 0);
  RunMainDialog([&](HWND dlg) {
    EXPECT_EQ(Text(dlg, SOURCE), typed);
    EXPECT_EQ(Text(dlg, TARGET), dir.File("neu liste.txt"));
    EXPECT_TRUE(Enabled(dlg, IDOK));
  }, typed.c_str());
}

}  // namespace
