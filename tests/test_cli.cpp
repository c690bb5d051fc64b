#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include <string>
#include <vector>

#include "support.h"

namespace {
struct CliResult {
  int status;
  std::string out, err;
};

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

struct CliTest : ::testing::Test {
  TempDir dir;
  CliResult Run(const std::vector<std::string>& args, const std::string& cwd = "") {
    std::string cmd = "cd " + Quote(cwd.empty() ? dir.path : cwd) + " && XDG_CONFIG_HOME=" +
                      Quote(dir.File("config")) + " HOME=" + Quote(dir.path) + " " +
                      Quote(MIRTUN_CONVERT_EXE);
    for (const auto& a : args) cmd += " " + Quote(a);
    cmd += " >" + Quote(dir.File("stdout")) + " 2>" + Quote(dir.File("stderr")) + " </dev/null";
    int rc = std::system(cmd.c_str());
    return {WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, ReadFile(dir.File("stdout")),
            ReadFile(dir.File("stderr"))};
  }
};

const char kPls[] =
    "[playlist]\nTitle1=Die \xC3\x84rzte - Westerland.mp3\nLength1=215\n"
    "Title2=Rush - Tom Sawyer, Live\nLength2=300\n";
}  // namespace

TEST_F(CliTest, WritesEveryStyleToStandardOutput) {
  WriteFile(dir.File("a.pls"), kPls);
  struct { std::vector<std::string> args; std::string out; } cases[] = {
      {{"a.pls"},
       "Die \xC3\x84rzte                     Westerland                    00:03:35\n"
       "Rush                          Tom Sawyer, Live              00:05:00\n" +
           std::string(48, ' ') + "Gesamtzeit: 00:08:35\n"},
      {{"--import", "a.pls"},
       "Die \xC3\x84rzte,Westerland,00:03:35\nRush,\"Tom Sawyer, Live\",00:05:00\n,Gesamtzeit,=SUMME(C1:C2)\n"},
      {{"--import", "--tab", "--no-formula", "--title-first", "--keep-ext", "a.pls"},
       "Westerland.mp3\tDie \xC3\x84rzte\t00:03:35\n\"Tom Sawyer, Live\"\tRush\t00:05:00\n\tGesamtzeit\t00:08:35\n"},
      {{"--import", "--no-total", "--extensions", "wav", "a.pls", "-"},
       "Die \xC3\x84rzte,Westerland.mp3,00:03:35\nRush,\"Tom Sawyer, Live\",00:05:00\n"},
      {{"--width-artist", "5", "--width-title", "12abc", "a.pls"},
       "Die \xC3\x84rzte Westerland  00:03:35\nRush      Tom Sawyer, 00:05:00\n" + std::string(10, ' ') +
           "Gesamtzeit: 00:08:35\n"},
      // Only the first 7 characters of a width count: "0000001" is 1, so 10.
      {{"--width-title", "00000012", "--no-total", "--keep-ext", "a.pls"},
       "Die \xC3\x84rzte                     Westerlan 00:03:35\n"
       "Rush                          Tom Sawye 00:05:00\n"},
  };
  for (const auto& c : cases) {
    CliResult r = Run(c.args);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, c.out) << c.args[0];
  }
  CliResult html = Run({"--html", "a.pls"});
  EXPECT_NE(html.out.find("<title>Playlist " + dir.File("a.pls") + "</title>"), std::string::npos);
  EXPECT_NE(html.out.find("<td>Tom Sawyer, Live</td>"), std::string::npos);
  // A relative entry that names no file beside the list, in the music folder.
  mkdir(dir.File("Musik").c_str(), 0700);
  WriteFile(dir.File("Musik/Band - Lied.xyz"), "");
  WriteFile(dir.File("mpd.m3u"), "Band - Lied.xyz\n");
  CliResult music = Run({"--import", "--no-total", "--music-dir", dir.File("Musik"), "mpd.m3u"});
  EXPECT_EQ(music.out, "Band,Lied.xyz,00:00:00\n") << music.err;
}

TEST_F(CliTest, TargetFileAndOverwrite) {
  WriteFile(dir.File("a.pls"), kPls);
  CliResult r = Run({"--import", "a.pls", "out.csv"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(ReadFile(dir.File("out.csv")).substr(0, 4), "Die ");
  WriteFile(dir.File("out.csv"), "keep me");
  r = Run({"a.pls", "out.csv"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("Die Zieldatei out.csv existiert bereits! Überschreiben?"), std::string::npos);
  EXPECT_NE(r.err.find("--force"), std::string::npos);
  EXPECT_EQ(ReadFile(dir.File("out.csv")), "keep me");
  r = Run({"-f", "a.pls", "out.csv"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");  // --force asks nothing and says nothing
  EXPECT_NE(ReadFile(dir.File("out.csv")), "keep me");
  // A device is written to, not replaced: there is nothing to ask.
  r = Run({"--import", "a.pls", "/dev/null"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  // Standard output as a pipe, named as a file.
  std::string cmd = "cd " + Quote(dir.path) + " && " + Quote(MIRTUN_CONVERT_EXE) +
                    " --defaults --import a.pls /dev/stdout 2>err | cat >piped";
  EXPECT_EQ(std::system(cmd.c_str()), 0);
  EXPECT_EQ(ReadFile(dir.File("piped")).substr(0, 4), "Die ");
  EXPECT_EQ(ReadFile(dir.File("err")), "");
  r = Run({"--force", "a.pls", "a.pls"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("Quelldatei und Zieldatei sind dieselbe Datei!"), std::string::npos);
  EXPECT_EQ(ReadFile(dir.File("a.pls")), kPls);
}

TEST_F(CliTest, FailuresAndUsage) {
  CliResult r = Run({"nix.m3u"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("Die Quelldatei nix.m3u wurde nicht gefunden!"), std::string::npos);
  EXPECT_EQ(r.out, "");
  // A pipe that nobody reads is an error at once, not a wait.
  WriteFile(dir.File("a.pls"), kPls);
  ASSERT_EQ(mkfifo(dir.File("pipe").c_str(), 0600), 0);
  r = Run({"a.pls", "pipe"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("Die Zieldatei pipe konnte nicht geöffnet werden: die Pipe wird von keinem "
                       "Programm gelesen."),
            std::string::npos)
      << r.err;
  r = Run({"pipe"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("Die Quelldatei pipe ist keine Datei!"), std::string::npos) << r.err;
  struct { std::vector<std::string> args; } usage[] = {
      {{}}, {{"a", "b", "c"}}, {{"--bogus", "a.pls"}}, {{"--width-title"}}, {{"-x", "a"}},
  };
  for (const auto& u : usage) {
    r = Run(u.args);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("--help"), std::string::npos);
  }
  r = Run({"--help"});
  EXPECT_EQ(r.status, 0);
  for (const char* opt : {"--html", "--text", "--import", "--total", "--no-total", "--comma", "--tab",
                          "--formula", "--no-formula", "--artist-first", "--title-first", "--strip-ext",
                          "--keep-ext", "--extensions", "--width-artist", "--width-title", "--force",
                          "--defaults", "--version"})
    EXPECT_NE(r.out.find(opt), std::string::npos) << opt;
  r = Run({"--version"});
  EXPECT_EQ(r.out, "mirtun-convert 1.23\n");
}

// SIGINT or SIGTERM during a conversion: exit status 130, the old target as
// it was, no temporary file left. The signal comes once the temporary file
// exists, when the run is under way: a million entries take long enough.
TEST_F(CliTest, StoppedBySignalKeepsTheOldTarget) {
  std::string list;
  for (int k = 0; k < 1000000; ++k) list += "/nonexistent/" + std::to_string(k) + ".mp3\n";
  WriteFile(dir.File("big.m3u"), list);
  for (int sig : {SIGINT, SIGTERM}) {
    WriteFile(dir.File("out.txt"), "old");
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      std::string cfg = "XDG_CONFIG_HOME=" + dir.File("config");
      putenv(&cfg[0]);
      freopen("/dev/null", "w", stderr);
      execl(MIRTUN_CONVERT_EXE, MIRTUN_CONVERT_EXE, "--defaults", "-f",
            dir.File("big.m3u").c_str(), dir.File("out.txt").c_str(), nullptr);
      _exit(99);
    }
    bool started = false;
    for (int k = 0; k < 20000 && !started; ++k) {
      for (const auto& e : std::filesystem::directory_iterator(dir.path))
        started = started || e.path().filename().string().rfind(".out.txt.", 0) == 0;
      if (!started) usleep(500);
    }
    ASSERT_TRUE(started);
    kill(pid, sig);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 130) << sig;
    EXPECT_EQ(ReadFile(dir.File("out.txt")), "old");
    for (const auto& e : std::filesystem::directory_iterator(dir.path))
      EXPECT_NE(e.path().filename().string().rfind(".out.txt.", 0), 0u);
  }
}

TEST_F(CliTest, NeverWritesTheSettingsStore) {
  WriteFile(dir.File("a.pls"), kPls);
  Run({"--html", "a.pls", "x.htm"});
  EXPECT_FALSE(Exists(dir.File("config")));
  EXPECT_FALSE(Exists(dir.File(".config")));
}
