#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <dirent.h>
#include <filesystem>
#include <cstring>
#include <string>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/handles.h"
#include "base/text.h"
#include "engine/convert.h"
#include "engine/messages.h"
#include "support.h"

namespace {
struct ConvertTest : ::testing::Test {
  TempDir dir;
  TempDir cache;  // the copy folder of in-place writes is in here
  void SetUp() override {
    FreshSettings();
    setenv("XDG_CACHE_HOME", cache.path.c_str(), 1);
  }
  void TearDown() override { unsetenv("XDG_CACHE_HOME"); }
  void Source(const std::string& name, const std::string& bytes) {
    WriteFile(dir.File(name), bytes);
    CopyText(g_opnFName, sizeof g_opnFName, dir.File(name).c_str());
  }
  ConvertResult Convert(const std::string& target, bool overwrite = false) {
    return ConvertToFile(TakeRunSettings(), target.c_str(), overwrite);
  }
  // Names in the folder other than "." and "..".
  int Entries() {
    int n = 0;
    if (DIR* d = opendir(dir.path.c_str())) {
      while (dirent* e = readdir(d))
        n += std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0;
      closedir(d);
    }
    return n;
  }
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

TEST_F(ConvertTest, WritesTheTarget) {
  Source("a.pls", kPls);
  ASSERT_EQ(Convert(dir.File("out.txt")), CONVERT_WRITTEN);
  EXPECT_EQ(ReadFile(dir.File("out.txt")).substr(0, 30), "Band                          ");
}

TEST_F(ConvertTest, HtmlFrameAroundEmptyAndFullSources) {
  g_htmlFlag = 1;
  Source("e.m3u", "");
  ASSERT_EQ(Convert(dir.File("e.htm")), CONVERT_WRITTEN);
  std::string path = dir.File("e.m3u");
  EXPECT_EQ(ReadFile(dir.File("e.htm")),
            "<!DOCTYPE html PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\"><html>\n"
            "<head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">"
            "<title>Playlist " + path + "</title></head>\n<body>\n"
            "<table border=\"1\" cellspacing=\"4\" cellpadding=\"4\" summary=\"Playlist " + path +
            "\"></table>\n</body>\n</html>\n");
  // The source path is escaped in the head.
  Source("a&<b>\".pls", kPls);
  ASSERT_EQ(Convert(dir.File("a.htm")), CONVERT_WRITTEN);
  std::string out = ReadFile(dir.File("a.htm"));
  EXPECT_NE(out.find("<title>Playlist " + dir.path + "/a&amp;&lt;b&gt;&quot;.pls</title>"), std::string::npos);
  EXPECT_NE(out.find("summary=\"Playlist " + dir.path + "/a&amp;&lt;b&gt;&quot;.pls\"><tr><td>Band</td>"),
            std::string::npos);
  // Text styles of an empty source give an empty file.
  g_htmlFlag = 0;
  Source("e.m3u", "");
  ASSERT_EQ(Convert(dir.File("e.txt")), CONVERT_WRITTEN);
  EXPECT_EQ(ReadFile(dir.File("e.txt")), "");
}

TEST_F(ConvertTest, TheRunReadsItsSnapshotNotTheRecord) {
  Source("a.pls", kPls);
  const RunSettings s = TakeRunSettings();
  g_tfmtFlag = 0;  // a change after the snapshot does not reach the run
  g_htmlFlag = 1;
  CopyText(g_opnFName, sizeof g_opnFName, "/no/such/list.pls");
  ASSERT_EQ(ConvertToFile(s, dir.File("out.txt").c_str(), false), CONVERT_WRITTEN);
  EXPECT_EQ(ReadFile(dir.File("out.txt")).substr(0, 30), "Band                          ");
}

TEST_F(ConvertTest, WhatHappenedIsReturned) {
  Source("a.pls", kPls);
  ASSERT_EQ(symlink(dir.File("a.pls").c_str(), dir.File("link.pls").c_str()), 0);
  ASSERT_EQ(link(dir.File("a.pls").c_str(), dir.File("hard.pls").c_str()), 0);
  WriteFile(dir.File("old.txt"), "old");
  ASSERT_EQ(mkfifo(dir.File("pipe").c_str(), 0600), 0);
  struct { std::string source, target; bool overwrite; ConvertResult result; int error; } cases[] = {
      {dir.File("nix.m3u"), dir.File("out.txt"), true, CONVERT_NO_SOURCE, 0},
      {dir.File("a.pls") + "/x", dir.File("out.txt"), true, CONVERT_NO_SOURCE, 0},
      {dir.path, dir.File("out.txt"), true, CONVERT_SOURCE_NOT_FILE, 0},
      {dir.File("pipe"), dir.File("out.txt"), true, CONVERT_SOURCE_NOT_FILE, 0},
      {"/dev/null", dir.File("out.txt"), true, CONVERT_SOURCE_NOT_FILE, 0},
      {dir.File("a.pls"), dir.File("a.pls"), true, CONVERT_SAME_FILE, 0},
      {dir.File("a.pls"), dir.path + "/./a.pls", true, CONVERT_SAME_FILE, 0},
      {dir.File("a.pls"), dir.File("link.pls"), true, CONVERT_SAME_FILE, 0},
      {dir.File("a.pls"), dir.File("hard.pls"), true, CONVERT_SAME_FILE, 0},
      {dir.File("a.pls"), dir.File("old.txt"), false, CONVERT_TARGET_EXISTS, 0},
      {dir.File("a.pls"), dir.File("no/such/folder/out.txt"), true, CONVERT_CANNOT_OPEN, ENOENT},
      {dir.File("a.pls"), dir.path, true, CONVERT_CANNOT_OPEN, EISDIR},
      {dir.File("a.pls"), dir.File("a.pls") + "/x", true, CONVERT_CANNOT_OPEN, ENOTDIR},
      // A pipe that nobody reads: an error at once, not a wait.
      {dir.File("a.pls"), dir.File("pipe"), true, CONVERT_CANNOT_OPEN, ENXIO},
      {dir.File("a.pls"), "/dev/full", true, CONVERT_WRITE_FAILED, ENOSPC},
  };
  for (const auto& c : cases) {
    CopyText(g_opnFName, sizeof g_opnFName, c.source.c_str());
    RunReport report;
    EXPECT_EQ(ConvertToFile(TakeRunSettings(), c.target.c_str(), c.overwrite, &report), c.result)
        << c.source << " -> " << c.target;
    EXPECT_EQ(report.error, c.error) << c.source << " -> " << c.target;
  }
  // Nothing was written anywhere.
  EXPECT_FALSE(Exists(dir.File("out.txt")));
  EXPECT_EQ(ReadFile(dir.File("a.pls")), kPls);
  EXPECT_EQ(ReadFile(dir.File("old.txt")), "old");
  EXPECT_EQ(Entries(), 5);
}

TEST_F(ConvertTest, UnreadableSourceSaysWhy) {
  if (geteuid() == 0) GTEST_SKIP() << "root is not stopped by file modes";
  Source("a.pls", kPls);
  chmod(dir.File("a.pls").c_str(), 0);
  RunReport report;
  EXPECT_EQ(Convert(dir.File("out.txt")), CONVERT_SOURCE_UNREADABLE);
  EXPECT_EQ(ConvertToFile(TakeRunSettings(), dir.File("out.txt").c_str(), true, &report),
            CONVERT_SOURCE_UNREADABLE);
  EXPECT_EQ(report.error, EACCES);
  // A listed file that is there but cannot be read: named on standard
  // error, its row from its name.
  WriteFile(dir.File("Band - Lied.mp3"), "ID3");
  chmod(dir.File("Band - Lied.mp3").c_str(), 0);
  WriteFile(dir.File("l.m3u"), "Band - Lied.mp3\n");
  std::string cmd = std::string(MIRTUN_CONVERT_EXE) + " --defaults --import --no-total '" +
                    dir.File("l.m3u") + "' 2>'" + dir.File("err") + "'";
  FILE* p = popen(cmd.c_str(), "r");
  char out[256] = "";
  size_t n = std::fread(out, 1, sizeof out - 1, p);
  out[n] = '\0';
  pclose(p);
  EXPECT_STREQ(out, "Band,Lied,00:00:00\n");
  EXPECT_NE(ReadFile(dir.File("err")).find("Band - Lied.mp3 konnte nicht gelesen werden: keine Berechtigung"),
            std::string::npos);
}

// A target with several hard links is written in place, so that every name
// shows the new listing; the owner of a replaced target stays.
TEST_F(ConvertTest, HardLinksStayTogetherAndTheOwnerStays) {
  Source("a.pls", kPls);
  WriteFile(dir.File("out.txt"), "old");
  ASSERT_EQ(link(dir.File("out.txt").c_str(), dir.File("other.txt").c_str()), 0);
  EXPECT_EQ(Convert(dir.File("out.txt"), true), CONVERT_WRITTEN);
  EXPECT_EQ(ReadFile(dir.File("other.txt")), ReadFile(dir.File("out.txt")));
  EXPECT_NE(ReadFile(dir.File("out.txt")), "old");
  struct stat st;
  stat(dir.File("out.txt").c_str(), &st);
  EXPECT_EQ(st.st_nlink, 2u);
  EXPECT_EQ(Entries(), 3);
  EXPECT_TRUE(std::filesystem::is_empty(cache.File("mirtun")));  // both copies are gone
  if (geteuid() == 0) {
    WriteFile(dir.File("theirs.txt"), "old");
    ASSERT_EQ(chown(dir.File("theirs.txt").c_str(), 4321, 4321), 0);
    EXPECT_EQ(Convert(dir.File("theirs.txt"), true), CONVERT_WRITTEN);
    stat(dir.File("theirs.txt").c_str(), &st);
    EXPECT_EQ(st.st_uid, 4321u);
    EXPECT_EQ(st.st_gid, 4321u);
  }
}

// A folder that takes no new file, with a target that may be written: the
// target is written in place. Root is stopped only by an immutable folder.
TEST_F(ConvertTest, ReadOnlyFolderWithAWritableTarget) {
  Source("a.pls", kPls);
  mkdir(dir.File("ro").c_str(), 0700);
  WriteFile(dir.File("ro/out.txt"), "old");
  UniqueFd ro(open(dir.File("ro").c_str(), O_RDONLY | O_DIRECTORY));
  int flags = 0;
  bool immutable = geteuid() == 0 && ioctl(ro.fd, FS_IOC_GETFLAGS, &flags) == 0 &&
                   (flags |= FS_IMMUTABLE_FL, ioctl(ro.fd, FS_IOC_SETFLAGS, &flags) == 0);
  if (geteuid() == 0 && !immutable) GTEST_SKIP() << "root is not stopped by file modes";
  chmod(dir.File("ro").c_str(), 0500);
  EXPECT_EQ(Convert(dir.File("ro/out.txt"), true), CONVERT_WRITTEN);
  EXPECT_EQ(ReadFile(dir.File("ro/out.txt")).substr(0, 4), "Band");
  EXPECT_EQ(Convert(dir.File("ro/new.txt"), true), CONVERT_CANNOT_OPEN);
  EXPECT_TRUE(std::filesystem::is_empty(cache.File("mirtun")));
  flags &= ~FS_IMMUTABLE_FL;
  if (immutable) ioctl(ro.fd, FS_IOC_SETFLAGS, &flags);
  chmod(dir.File("ro").c_str(), 0700);
}

TEST_F(ConvertTest, OverwriteKeepsTheOldPermissions) {
  Source("a.pls", kPls);
  WriteFile(dir.File("out.txt"), "old");
  chmod(dir.File("out.txt").c_str(), 0640);
  EXPECT_EQ(Convert(dir.File("out.txt"), true), CONVERT_WRITTEN);
  EXPECT_NE(ReadFile(dir.File("out.txt")), "old");
  struct stat st;
  stat(dir.File("out.txt").c_str(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(ConvertTest, WriteErrorKeepsTheOldTargetAndLeavesNoTemporaryFile) {
  // A file size limit makes every write past it fail, as a full disk does.
  std::string big = "[playlist]\n";
  for (int k = 0; k < 5000; ++k) {
    std::string n = std::to_string(k + 1);
    big += "Title" + n + "=Artist - Song number " + n + "\nLength" + n + "=200\n";
  }
  Source("big.pls", big);
  WriteFile(dir.File("out.txt"), "precious");
  struct rlimit old;
  getrlimit(RLIMIT_FSIZE, &old);
  struct rlimit lim = old;
  lim.rlim_cur = 4096;
  auto prev = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &lim), 0);
  ConvertResult r = Convert(dir.File("out.txt"), true);
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, prev);

  EXPECT_EQ(r, CONVERT_WRITE_FAILED);
  EXPECT_EQ(ReadFile(dir.File("out.txt")), "precious");
  EXPECT_EQ(Entries(), 2);  // big.pls and out.txt, nothing else
}

TEST_F(ConvertTest, ToAStream) {
  Source("a.pls", kPls);
  FILE* full = std::fopen("/dev/full", "w");
  ASSERT_NE(full, nullptr);
  EXPECT_EQ(ConvertToStream(TakeRunSettings(), full), CONVERT_WRITE_FAILED);
  std::fclose(full);
  FILE* null = std::fopen("/dev/null", "w");
  EXPECT_EQ(ConvertToStream(TakeRunSettings(), null), CONVERT_WRITTEN);
  std::fclose(null);
  CopyText(g_opnFName, sizeof g_opnFName, dir.File("nix.m3u").c_str());
  EXPECT_EQ(ConvertToStream(TakeRunSettings(), stdout), CONVERT_NO_SOURCE);
}

// A report with the line of a damage or the cause of a failure.
static RunReport Details(int32_t line, int error, OldContent old = OLD_UNTOUCHED,
                         const char* copy = "") {
  RunReport r;
  r.badLine = line;
  r.error = error;
  r.old = old;
  r.copyPath = copy;
  return r;
}

TEST(ResultMessage, NamesTheFileItConcernsAndTheCause) {
  struct { ConvertResult r; RunReport report; const char* text; const char* caption; } cases[] = {
      {CONVERT_NO_SOURCE, {}, "Die Quelldatei l.m3u wurde nicht gefunden!", "Quelldatei öffnen"},
      {CONVERT_SOURCE_NOT_FILE, {}, "Die Quelldatei l.m3u ist keine Datei!", "Quelldatei öffnen"},
      {CONVERT_SOURCE_UNREADABLE, Details(0, EACCES),
       "Die Quelldatei l.m3u konnte nicht gelesen werden: keine Berechtigung.", "Quelldatei öffnen"},
      {CONVERT_SAME_FILE, {}, "Quelldatei und Zieldatei sind dieselbe Datei!", "Zieldatei öffnen"},
      {CONVERT_TARGET_EXISTS, {}, "Die Zieldatei o.txt existiert bereits! Überschreiben?",
       "Zieldatei überschreiben"},
      {CONVERT_CANNOT_OPEN, Details(0, ENXIO),
       "Die Zieldatei o.txt konnte nicht geöffnet werden: die Pipe wird von keinem Programm gelesen.",
       "Zieldatei öffnen"},
      {CONVERT_WRITE_FAILED, Details(0, ENOSPC),
       "Die Zieldatei o.txt konnte nicht geschrieben werden: kein Platz mehr auf dem Datenträger.",
       "Zieldatei schreiben"},
      {CONVERT_WRITE_FAILED, Details(0, EROFS),
       "Die Zieldatei o.txt konnte nicht geschrieben werden: das Dateisystem ist schreibgeschützt.",
       "Zieldatei schreiben"},
      {CONVERT_WRITE_FAILED, Details(0, ENOSPC, OLD_NO_COPY, "/c/mirtun"),
       "Die Zieldatei o.txt konnte nicht geschrieben werden: kein Platz mehr auf dem Datenträger "
       "(Zwischenkopie in /c/mirtun). Sie ist unverändert.",
       "Zieldatei schreiben"},
      {CONVERT_WRITE_FAILED, Details(0, ENOSPC, OLD_PUT_BACK, "/c/mirtun"),
       "Die Zieldatei o.txt konnte nicht geschrieben werden: kein Platz mehr auf dem Datenträger. "
       "Ihr alter Inhalt wurde wiederhergestellt.",
       "Zieldatei schreiben"},
      {CONVERT_WRITE_FAILED, Details(0, EIO, OLD_IN_COPY, "/c/100%/old-1-2"),
       "Die Zieldatei o.txt konnte nicht geschrieben werden: Ein-/Ausgabefehler. "
       "Ihr alter Inhalt liegt in /c/100%/old-1-2.",
       "Zieldatei schreiben"},
      {CONVERT_SOURCE_DAMAGED, Details(12, 0), "Die Quelldatei l.m3u ist beschädigt (Zeile 12).",
       "Quelldatei lesen"},
  };
  char text[MSGSIZE];
  for (const auto& c : cases) {
    const char* caption = ResultMessage(c.r, "/m/l.m3u", "/t/o.txt", text, sizeof text, &c.report);
    EXPECT_STREQ(text, c.text);
    EXPECT_STREQ(caption, c.caption);
  }
  for (ConvertResult r : {CONVERT_WRITTEN, CONVERT_CANCELLED}) {
    EXPECT_EQ(ResultMessage(r, "/m/l.m3u", "/t/o.txt", text, sizeof text), nullptr);
    EXPECT_STREQ(text, "");
  }
  // The notice of a copy that an earlier run left, whatever the result.
  RunReport report;
  EXPECT_EQ(NoticeMessage("/t/o.txt", report, text, sizeof text), nullptr);
  report.earlierCopy = "/c/%s/old-1-2.20261207-201500";
  EXPECT_STREQ(NoticeMessage("/t/o.txt", report, text, sizeof text), "Zieldatei schreiben");
  EXPECT_STREQ(text, "Eine Kopie des alten Inhalts von o.txt liegt in /c/%s/old-1-2.20261207-201500.");
}
