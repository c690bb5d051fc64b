// The preview file: its name and folder, the fallback to the per-user
// folder, and what a failing conversion leaves.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "base/text.h"
#include "ui/app_state.h"
#include "ui/preview.h"
#include "ui_support.h"

namespace {

class Preview : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    for (const char* name : {"TEMP", "TMPDIR", "XDG_RUNTIME_DIR"}) {
      const char* v = std::getenv(name);
      saved.push_back({name, v ? v : "", v != nullptr});
    }
    setenv("XDG_RUNTIME_DIR", runtime.path.c_str(), 1);
    source = dir.File("liste.pls");
    WriteFile(source, "[playlist]\nFile1=a.mp3\nTitle1=Band - Lied\nLength1=61\n");
    CopyText(g_opnFName, sizeof g_opnFName, source.c_str());
  }
  void TearDown() override {
    for (const Saved& s : saved) {
      if (s.set) setenv(s.name, s.value.c_str(), 1);
      else unsetenv(s.name);
    }
    UiTest::TearDown();
  }
  struct Saved {
    const char* name;
    std::string value;
    bool set;
  };
  std::vector<Saved> saved;
  TempDir temp, runtime;
  std::string source;
};

TEST_F(Preview, NameAndFolder) {
  struct Case {
    const char* temp;    // null: unset
    const char* tmpdir;  // null: unset
    int html;
    std::string expected;
  };
  const std::string t = temp.path;
  const std::string slash = t + "/";
  const Case cases[] = {
      {t.c_str(), nullptr, 1, t + "/mirtunpv.htm"},
      {t.c_str(), nullptr, 0, t + "/mirtunpv.txt"},
      {slash.c_str(), nullptr, 0, t + "/mirtunpv.txt"},  // one "/" before the name
      {nullptr, t.c_str(), 1, t + "/mirtunpv.htm"},
      {"", slash.c_str(), 0, t + "/mirtunpv.txt"},  // empty counts as unset
  };
  for (const Case& c : cases) {
    if (c.temp) setenv("TEMP", c.temp, 1); else unsetenv("TEMP");
    if (c.tmpdir) setenv("TMPDIR", c.tmpdir, 1); else unsetenv("TMPDIR");
    g_htmlFlag = c.html;
    g_openedFiles.clear();
    OpenPreview(nullptr);
    EXPECT_EQ(std::string(g_PrevFile), c.expected);
    EXPECT_EQ(g_openedFiles, std::vector<std::string>{c.expected});
    EXPECT_NE(ReadFile(c.expected).find("Lied"), std::string::npos);
    EXPECT_EQ(log.busy, 0);
  }
}

TEST_F(Preview, WithoutTempAndTmpdirInTmp) {
  unsetenv("TEMP");
  unsetenv("TMPDIR");
  OpenPreview(nullptr);
  // /tmp is shared: the name there may already belong to another user, and
  // then the per-user folder is taken.
  std::string prev = g_PrevFile;
  EXPECT_TRUE(prev == "/tmp/mirtunpv.txt" || prev == runtime.File("mirtun/mirtunpv.txt")) << prev;
  std::remove(g_PrevFile);
}

enum Taken { kLink, kPipe, kForeignFile, kOpenFolder };

class TakenName : public Preview, public ::testing::WithParamInterface<Taken> {};

TEST_P(TakenName, GoesToThePerUserFolder) {
  std::string fixed = temp.File("mirtunpv.txt");
  std::string victim = dir.File("victim");
  WriteFile(victim, "keep");
  switch (GetParam()) {
    case kLink:
      ASSERT_EQ(symlink(victim.c_str(), fixed.c_str()), 0);
      break;
    case kPipe:
      ASSERT_EQ(mkfifo(fixed.c_str(), 0666), 0);
      break;
    case kForeignFile:
      if (geteuid() != 0) GTEST_SKIP() << "needs root to give a file away";
      WriteFile(fixed, "foreign");
      ASSERT_EQ(chown(fixed.c_str(), 65534, 65534), 0);
      break;
    case kOpenFolder:  // others may replace entries: not even a file of ours is safe
      ASSERT_EQ(chmod(temp.path.c_str(), 0777), 0);
      break;
  }
  setenv("TEMP", temp.path.c_str(), 1);
  OpenPreview(nullptr);
  std::string own = runtime.File("mirtun");
  EXPECT_EQ(std::string(g_PrevFile), own + "/mirtunpv.txt");
  EXPECT_EQ(g_openedFiles.size(), 1u);
  struct stat st;
  ASSERT_EQ(lstat(own.c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  EXPECT_EQ(ReadFile(victim), "keep");
  if (GetParam() == kForeignFile) {
    EXPECT_EQ(ReadFile(fixed), "foreign");
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, TakenName,
                         ::testing::Values(kLink, kPipe, kForeignFile, kOpenFolder));

TEST_F(Preview, PerUserFolderThatIsALinkIsNotUsed) {
  std::string fixed = temp.File("mirtunpv.txt");
  ASSERT_EQ(symlink("/nirgends", fixed.c_str()), 0);
  TempDir elsewhere;
  ASSERT_EQ(symlink(elsewhere.path.c_str(), runtime.File("mirtun").c_str()), 0);
  setenv("TEMP", temp.path.c_str(), 1);
  OpenPreview(nullptr);
  EXPECT_STREQ(g_PrevFile, "");
  EXPECT_TRUE(g_openedFiles.empty());
  EXPECT_FALSE(Exists(elsewhere.File("mirtunpv.txt")));
}

TEST_F(Preview, MissingSourceOpensNothingAndKeepsTheOldFile) {
  setenv("TEMP", temp.path.c_str(), 1);
  std::string fixed = temp.File("mirtunpv.txt");
  WriteFile(fixed, "alt");
  CopyText(g_opnFName, sizeof g_opnFName, dir.File("weg.pls").c_str());
  OpenPreview(nullptr);
  EXPECT_EQ(std::string(g_PrevFile), fixed);
  EXPECT_TRUE(g_openedFiles.empty());
  EXPECT_EQ(ReadFile(fixed), "alt");
  EXPECT_EQ(log.busy, 0);
}

}  // namespace
