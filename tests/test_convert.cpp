#include <gtest/gtest.h>

#include <csignal>
#include <dirent.h>
#include <cstring>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/text.h"
#include "support.h"

namespace {
struct ConvertTest : ::testing::Test {
  MessageLog log;
  RecordingUi ui{&log};
  TempDir dir;
  void SetUp() override { FreshSettings(); }
  void Source(const std::string& name, const std::string& bytes) {
    WriteFile(dir.File(name), bytes);
    CopyText(g_opnFName, sizeof g_opnFName, dir.File(name).c_str());
  }
  void Target(const std::string& path) { CopyText(g_savFName, sizeof g_savFName, path.c_str()); }
};

const char kPls[] = "[playlist]\nTitle1=Band - Song\nLength1=215\n";
}  // namespace

TEST(ChooseReader, ByTheTextAfterTheLastDot) {
  struct { const char* path; READER reader; } cases[] = {
      {"C:\\Musik\\Liste.PLS", plsOutputLine}, {"/m/lib.Xml", xmlOutputLine},
      {"liste.pls.bak", OutputLine}, {"C:\\Musik.alt\\liste", OutputLine},
      {"/m/a.pls/b", OutputLine}, {"noext", OutputLine}, {"x.m3u", OutputLine},
      {".pls", plsOutputLine}, {"a.plsx", OutputLine},
  };
  for (const auto& c : cases) EXPECT_EQ(ChooseReader(c.path), c.reader) << c.path;
}

TEST_F(ConvertTest, WritesTheTargetAndRemembersItsFolder) {
  Source("a.pls", kPls);
  Target(dir.File("out.txt"));
  ASSERT_EQ(CreateTargetFile(nullptr), 1);
  EXPECT_TRUE(log.entries.empty());
  EXPECT_EQ(log.busy, 0);  // the wait cursor went on and off again
  EXPECT_EQ(ReadFile(dir.File("out.txt")).substr(0, 30), "Band                          ");
  EXPECT_EQ(std::string(g_sInitDir), dir.path + "/");
  // A folder already remembered is kept.
  mkdir(dir.File("sub").c_str(), 0755);
  Target(dir.File("sub/x.txt"));
  ASSERT_EQ(CreateTargetFile(nullptr), 1);
  EXPECT_EQ(std::string(g_sInitDir), dir.path + "/");
}

TEST_F(ConvertTest, HtmlFrameAroundEmptyAndFullSources) {
  g_htmlFlag = 1;
  Source("e.m3u", "");
  Target(dir.File("e.htm"));
  ASSERT_EQ(CreateTargetFile(nullptr), 1);
  std::string path = dir.File("e.m3u");
  EXPECT_EQ(ReadFile(dir.File("e.htm")),
            "<!DOCTYPE html PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\"><html>\n"
            "<head><title>Playlist " + path + "</title></head>\n<body>\n"
            "<table border=\"1\" cellspacing=\"4\" cellpadding=\"4\" summary=\"Playlist " + path +
            "\"></table>\n</body>\n</html>\n");
  // The source path is escaped in the head.
  Source("a&<b>\".pls", kPls);
  Target(dir.File("a.htm"));
  ASSERT_EQ(CreateTargetFile(nullptr), 1);
  std::string out = ReadFile(dir.File("a.htm"));
  EXPECT_NE(out.find("<title>Playlist " + dir.path + "/a&amp;&lt;b&gt;&quot;.pls</title>"), std::string::npos);
  EXPECT_NE(out.find("summary=\"Playlist " + dir.path + "/a&amp;&lt;b&gt;&quot;.pls\"><tr><td>Band </td>"),
            std::string::npos);
  // Text styles of an empty source give an empty file.
  g_htmlFlag = 0;
  Source("e.m3u", "");
  Target(dir.File("e.txt"));
  ASSERT_EQ(CreateTargetFile(nullptr), 1);
  EXPECT_EQ(ReadFile(dir.File("e.txt")), "");
}

TEST_F(ConvertTest, MissingSourceOrDirectoryIsReported) {
  for (std::string src : {dir.File("nix.m3u"), dir.path}) {
    log.entries.clear();
    CopyText(g_opnFName, sizeof g_opnFName, src.c_str());
    Target(dir.File("out.txt"));
    EXPECT_EQ(CreateTargetFile(nullptr), 0);
    ASSERT_EQ(log.entries.size(), 1u);
    EXPECT_EQ(log.entries[0].text,
              "Die Quelldatei " + std::string(src == dir.path ? src.substr(src.rfind('/') + 1) : "nix.m3u") +
                  " wurde nicht gefunden!");
    EXPECT_EQ(log.entries[0].caption, "Quelldatei öffnen");
    EXPECT_EQ(log.entries[0].style, MB_OK | MB_ICONEXCLAMATION);
    EXPECT_FALSE(Exists(dir.File("out.txt")));
    EXPECT_EQ(CreatePreviewFile(nullptr, dir.File("pv.txt").c_str()), 0);
  }
}

TEST_F(ConvertTest, OverwriteQuestion) {
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
  log.answer = IDYES;
  chmod(dir.File("out.txt").c_str(), 0640);
  EXPECT_EQ(CreateTargetFile(nullptr), 1);
  EXPECT_NE(ReadFile(dir.File("out.txt")), "old");
  struct stat st;
  stat(dir.File("out.txt").c_str(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0640u);  // the old file's permissions stay
}

TEST_F(ConvertTest, SameFileAsSourceIsRefused) {
  Source("a.pls", kPls);
  symlink(dir.File("a.pls").c_str(), dir.File("link.pls").c_str());
  link(dir.File("a.pls").c_str(), dir.File("hard.pls").c_str());
  for (std::string t : {dir.File("a.pls"), dir.path + "/./a.pls", dir.File("link.pls"), dir.File("hard.pls")}) {
    log.entries.clear();
    Target(t);
    EXPECT_EQ(CreateTargetFile(nullptr), 0) << t;
    ASSERT_EQ(log.entries.size(), 1u);
    EXPECT_EQ(log.entries[0].text, "Quelldatei und Zieldatei sind dieselbe Datei!");
    EXPECT_EQ(log.entries[0].caption, "Zieldatei öffnen");
    EXPECT_EQ(ReadFile(dir.File("a.pls")), kPls);
  }
}

TEST_F(ConvertTest, TargetThatCannotBeOpened) {
  Source("a.pls", kPls);
  for (std::string t : {dir.File("no/such/folder/out.txt"), dir.path, dir.File("a.pls") + "/x"}) {
    log.entries.clear();
    Target(t);
    EXPECT_EQ(CreateTargetFile(nullptr), 0) << t;
    ASSERT_EQ(log.entries.size(), 1u);
    EXPECT_EQ(log.entries[0].caption, "Zieldatei öffnen");
    EXPECT_NE(log.entries[0].text.find("konnte nicht geöffnet werden!"), std::string::npos);
  }
}

TEST_F(ConvertTest, WriteErrorKeepsTheOldTargetAndLeavesNoTemporaryFile) {
  // A file size limit makes every write past it fail, as a full disk does.
  std::string big = "[playlist]\n";
  for (int k = 0; k < 5000; ++k) big += "Title1=Artist - Song number " + std::to_string(k) + "\nLength1=200\n";
  Source("big.pls", big);
  Target(dir.File("out.txt"));
  WriteFile(dir.File("out.txt"), "precious");
  struct rlimit old;
  getrlimit(RLIMIT_FSIZE, &old);
  struct rlimit lim = old;
  lim.rlim_cur = 4096;
  auto prev = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &lim), 0);
  int rc = CreateTargetFile(nullptr);
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, prev);

  EXPECT_EQ(rc, 0);
  ASSERT_EQ(log.entries.size(), 2u);  // the overwrite question, then the error
  EXPECT_EQ(log.entries[1].text, "Die Zieldatei out.txt konnte nicht geschrieben werden!");
  EXPECT_EQ(log.entries[1].caption, "Zieldatei schreiben");
  EXPECT_EQ(ReadFile(dir.File("out.txt")), "precious");
  EXPECT_STREQ(g_sInitDir, "");
  EXPECT_EQ(log.busy, 0);
  std::string ls;
  for (std::string n : {"big.pls", "out.txt"}) ls += n;
  int entries = 0;
  if (DIR* d = opendir(dir.path.c_str())) {
    while (dirent* e = readdir(d)) entries += e->d_name[0] != '.' || std::strlen(e->d_name) > 2;
    closedir(d);
  }
  EXPECT_EQ(entries, 2);  // big.pls and out.txt, nothing else
}

TEST_F(ConvertTest, WriteErrorOnADevice) {
  Source("a.pls", kPls);
  Target("/dev/full");
  EXPECT_EQ(CreateTargetFile(nullptr), 0);
  ASSERT_FALSE(log.entries.empty());
  EXPECT_EQ(log.entries.back().caption, "Zieldatei schreiben");
}

TEST_F(ConvertTest, PreviewIsSilent) {
  Source("a.pls", kPls);
  std::string pv = dir.File("pv.txt");
  WriteFile(pv, "older preview");
  EXPECT_EQ(CreatePreviewFile(nullptr, pv.c_str()), 1);
  EXPECT_TRUE(log.entries.empty());
  EXPECT_EQ(log.busy, 0);
  EXPECT_EQ(ReadFile(pv).substr(0, 4), "Band");
  EXPECT_STREQ(g_sInitDir, "");
  EXPECT_EQ(CreatePreviewFile(nullptr, dir.File("no/pv.txt").c_str()), 0);
}

TEST(FormatFileMessage, NeverOverrunsAndShortensVisibly) {
  char buf[500];
  FormatFileMessage(buf, sizeof buf, "Die Zieldatei %s existiert bereits!", "a.txt");
  EXPECT_STREQ(buf, "Die Zieldatei a.txt existiert bereits!");
  std::string name;
  for (int k = 0; k < 300; ++k) name += "\xC3\xA4";  // 600 bytes
  name += "-end.txt";
  FormatFileMessage(buf, sizeof buf, "Die Zieldatei %s existiert bereits!", name.c_str());
  std::string msg = buf;
  EXPECT_LE(msg.size(), 499u);
  EXPECT_NE(msg.find("..."), std::string::npos);
  EXPECT_NE(msg.find("-end.txt existiert bereits!"), std::string::npos);
  EXPECT_EQ(Utf8Count(msg.data(), msg.size()), Utf8Count(msg.data(), msg.size()));
  size_t dots = msg.find("...") + 3;
  EXPECT_EQ(static_cast<unsigned char>(msg[dots]), 0xC3u);  // starts on a whole character
}
