#include <gtest/gtest.h>

#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
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
  TempDir cache;  // the copy folder of in-place writes is in here
  std::string input;  // standard input of the next run (none: /dev/null)
  CliResult Run(const std::vector<std::string>& args, const std::string& cwd = "") {
    std::string cmd = "cd " + Quote(cwd.empty() ? dir.path : cwd) + " && XDG_CONFIG_HOME=" +
                      Quote(dir.File("config")) + " XDG_CACHE_HOME=" + Quote(cache.path) +
                      " HOME=" + Quote(dir.path) + " " + Quote(MIRTUN_CONVERT_EXE);
    for (const auto& a : args) cmd += " " + Quote(a);
    if (!input.empty()) WriteFile(dir.File("stdin"), input);
    cmd += " >" + Quote(dir.File("stdout")) + " 2>" + Quote(dir.File("stderr")) + " <" +
           (input.empty() ? std::string("/dev/null") : Quote(dir.File("stdin")));
    input.clear();
    int rc = std::system(cmd.c_str());
    return {WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, ReadFile(dir.File("stdout")),
            ReadFile(dir.File("stderr"))};
  }
};

// The names in folder, sorted.
std::vector<std::string> Listing(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// Hides /proc from this process and what it starts (root only); the
// sanitizers cannot run without it.
bool HideProc() {
#ifdef __SANITIZE_ADDRESS__
  return false;
#else
  return unshare(CLONE_NEWNS) == 0 &&
         mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
         mount("tmpfs", "/proc", "tmpfs", 0, nullptr) == 0;
#endif
}

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
      {{"--width-artist", "5", "--width-title", "12", "a.pls"},
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
  EXPECT_NE(r.err.find("Die Zieldatei out.csv existiert bereits; mit --force wird sie ersetzt."),
            std::string::npos);
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
  // Paths as long as the system allows: a source 600 bytes deep, a target
  // whose name has 250 bytes.
  std::string deep = dir.path;
  for (int k = 0; k < 3; ++k) mkdir((deep += "/" + std::string(200, 'd')).c_str(), 0700);
  WriteFile(deep + "/a.pls", kPls);
  const std::string name(250, 't');
  r = Run({"--import", "--no-total", deep + "/a.pls", name});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadFile(dir.File(name)).substr(0, 4), "Die ");
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
  // A reader of the output pipe that goes away ends the run quietly with 1,
  // not with a signal (141 in a shell).
  std::string list;
  for (int k = 0; k < 20000; ++k) list += "/nonexistent/" + std::to_string(k) + ".mp3\n";
  WriteFile(dir.File("big.m3u"), list);
  std::string cmd = "cd " + Quote(dir.path) + " && ( XDG_CONFIG_HOME=" + Quote(dir.File("config")) +
                    " " + Quote(MIRTUN_CONVERT_EXE) + " --defaults big.m3u 2>stderr; echo $? >status )" +
                    " | head -c 10 >/dev/null";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  EXPECT_EQ(ReadFile(dir.File("status")), "1\n");
  EXPECT_EQ(ReadFile(dir.File("stderr")), "");
  // A settings file that cannot be read is named; the start values count.
  std::filesystem::create_directories(dir.File("config/mirtun/mirtun.reg"));
  r = Run({"--import", "a.pls"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "mirtun-convert: Die Einstellungsdatei " + dir.File("config/mirtun/mirtun.reg") +
                       " konnte nicht gelesen werden: es ist ein Ordner. Es gelten die "
                       "Anfangswerte.\n");
  EXPECT_EQ(r.out.rfind("Die \xC3\x84rzte,Westerland,", 0), 0u) << r.out;  // start values
  std::filesystem::remove(dir.File("config/mirtun/mirtun.reg"));
  // Usage errors name what is wrong.
  struct { std::vector<std::string> args; const char* says; } usage[] = {
      {{}, "QUELLE fehlt"},
      {{"a", "b", "c"}, "zu viele Argumente"},
      {{"--bogus", "a.pls"}, "Option --bogus"},
      {{"a.pls", "--width-title"}, "Option --width-title fehlt der Wert"},
      {{"-x", "a"}, "Option -x"},
      {{"--force=1", "a.pls"}, "Option --force=1"},
      {{"--threads", "viele", "a.pls"}, "--threads braucht eine Zahl, nicht viele"},
      {{"--width-artist", "12abc", "a.pls"}, "--width-artist braucht eine Zahl"},
      {{"--format", "mp3", "a.pls"}, "--format kennt"},
      {{"-o", "x.txt", "--output-dir", ".", "a.pls"}, "schließen einander aus"},
      {{"--output-dir", ".", "-"}, "Standardeingabe"},
  };
  for (const auto& u : usage) {
    r = Run(u.args);
    EXPECT_EQ(r.status, 2) << u.says;
    EXPECT_NE(r.err.find(u.says), std::string::npos) << r.err;
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
  EXPECT_EQ(r.out.substr(0, r.out.find('\n') + 1), "mirtun-convert 1.23\n");
  EXPECT_NE(r.out.find("GPL, Version 3 oder neuer"), std::string::npos) << r.out;
}

// Standard input as the source, by its format or its content; several
// sources into a folder, a failing one told and the others written.
TEST_F(CliTest, ScriptsStdinAndSeveralSources) {
  const char rows[] = "Die \xC3\x84rzte\tWesterland\t00:03:35\nRush\t\"Tom Sawyer, Live\"\t00:05:00\n";
  for (std::vector<std::string> args : {std::vector<std::string>{"--format", "pls", "-"},
                                        std::vector<std::string>{"-"}}) {
    input = kPls;
    args.insert(args.begin(), {"--defaults", "--import", "--tab", "--no-total"});
    CliResult r = Run(args);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, rows);
  }
  WriteFile(dir.File("a.pls"), kPls);
  WriteFile(dir.File("b.m3u"), "#EXTINF:61,X - Y\nhttp://s\n");
  mkdir(dir.File("out").c_str(), 0700);
  CliResult r = Run({"--defaults", "--import", "--tab", "--no-total", "a.pls", "nix.m3u", "b.m3u",
                     "--output-dir", "out"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("nix.m3u wurde nicht gefunden"), std::string::npos) << r.err;
  EXPECT_EQ(ReadFile(dir.File("out/a.txt")), rows);
  EXPECT_EQ(ReadFile(dir.File("out/b.txt")), "X\tY\t00:01:01\n");
  // -o names the target; an existing one is kept without --force.
  r = Run({"--defaults", "--import", "a.pls", "-o", "out/a.txt"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("Die Zieldatei out/a.txt existiert bereits; mit --force wird sie ersetzt."),
            std::string::npos) << r.err;
  EXPECT_EQ(ReadFile(dir.File("out/a.txt")), rows);
  // A workbook: one sheet named after the list, a frozen bold header row,
  // names as text as they are, times as time values, a total that computes.
  WriteFile(dir.File("=Mix [1].m3u"), "#EXTINF:61,=1+1 - \"Q\", R\nhttp://s\n#EXTINF:-1,Live\nhttp://t\n");
  r = Run({"--defaults", "--xlsx", "=Mix [1].m3u", "mix.xlsx"});
  EXPECT_EQ(r.status, 0) << r.err;
  std::string cmd = "python3 -c \"import zipfile,sys; z=zipfile.ZipFile(sys.argv[1]); "
                    "print(z.read('xl/workbook.xml').decode()); "
                    "print(z.read('xl/worksheets/sheet1.xml').decode())\" " +
                    Quote(dir.File("mix.xlsx")) + " >" + Quote(dir.File("sheet.xml"));
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  std::string xml = ReadFile(dir.File("sheet.xml"));
  for (const char* part : {"<sheet name=\"=Mix _1_\"", "state=\"frozen\"",
                           "<c r=\"A1\" s=\"1\" t=\"inlineStr\"><is><t>Interpret</t>",
                           "<t>=1+1</t>", "<t>\"Q\", R</t>",
                           "<c r=\"C2\" s=\"2\"><v>0.000706018518518518", "<c r=\"A3\"",
                           "<t>Gesamtzeit</t>", "<f>SUM(C2:C3)</f><v>0.000706018518518518"})
    EXPECT_NE(xml.find(part), std::string::npos) << part << "\n" << xml;
  // JSON: names without placeholders, times, entries and what they name;
  // read back by a JSON parser.
  WriteFile(dir.File("Band - Lied.wav"), ReadFile(MIRTUN_SOURCE_DIR "/tests/data/tone.wav"));
  WriteFile(dir.File("j.m3u"), "Band - Lied.wav\n#EXTINF:-1,Sender\nhttp://s\nweg/\"x\".mp3\n");
  r = Run({"--defaults", "--json", "j.m3u", "j.json"});
  EXPECT_EQ(r.status, 0) << r.err;
  cmd = "python3 -c \"import json,sys; d=json.load(open(sys.argv[1])); print(d['total_seconds'], "
        "[(x['artist'], x['title'], x['seconds'], x['entry'], x['kind']) for x in d['rows']])\" " +
        Quote(dir.File("j.json")) + " >" + Quote(dir.File("j.txt"));
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  EXPECT_EQ(ReadFile(dir.File("j.txt")),
            "1 [('Band', 'Lied', 1, 'Band - Lied.wav', 'file'), (None, 'Sender', 0, 'http://s', "
            "'stream'), (None, '\"x\"', 0, 'weg/\"x\".mp3', 'missing')]\n");
  // The import text's header row, in the column order.
  r = Run({"--defaults", "--import", "--header", "--title-first", "a.pls"});
  EXPECT_EQ(r.out.substr(0, r.out.find('\n')), "Titel,Interpret,Zeit");
  EXPECT_NE(r.out.find(",Gesamtzeit,=SUMME(C2:C3)"), std::string::npos) << r.out;
}

// Runs stopped at a chosen point (MIRTUN_TEST_STOP) and then killed,
// interrupted or left to fail on a full disk: the target is the old or the
// new listing, whole, and no other file is left in its folder. A target
// written in place that was killed while the new listing was copied into it
// has its old content in the copy folder, which the next run names once.
TEST_F(CliTest, KilledStoppedOrFullRunsLoseNothingAndLeaveNothing) {
  std::string list;
  for (int k = 0; k < 30000; ++k) list += "/nonexistent/" + std::to_string(k) + ".mp3\n";
  WriteFile(dir.File("big.m3u"), list);
  std::string oldText(3000, 'o');
  // A 64 KB file system for the full-disk cases, when this may mount one.
  TempDir small;
  struct Mount {
    std::string at;
    bool done;
    ~Mount() {
      if (done) umount2(at.c_str(), MNT_DETACH);
    }
  } full{small.path, mount("tmpfs", small.path.c_str(), "tmpfs", 0, "size=64k") == 0};
  std::string fresh;
  // NO_PROC: without /proc there is no naming an unnamed file, and a named
  // temporary file takes its place (root only; the sanitizers need /proc).
  enum Where { PLAIN, LINKED, FULL, FULL_LINKED, FULL_CACHE, NO_PROC };
  struct {
    const char* stop;
    int sig;
    Where where;
    int status;              // exit status; -1: killed
    std::string err;         // in the message
    bool damaged;            // the target is neither old nor new
  } cases[] = {
      {"", 0, PLAIN, 0, "", false},  // the new listing, for the others to compare with
      {"row:1", SIGKILL, PLAIN, -1, "", false},
      {"row:20000", SIGKILL, PLAIN, -1, "", false},
      {"row:20000", SIGINT, PLAIN, 130, "", false},
      {"row:20000", SIGTERM, PLAIN, 130, "", false},
      {"row:20000", SIGKILL, LINKED, -1, "", false},
      {"saved:1", SIGKILL, LINKED, -1, "", false},
      {"copy:1", SIGKILL, LINKED, -1, "", true},
      {"", 0, LINKED, 0, "", false},
      {"", 0, NO_PROC, 0, "", false},
      {"row:20000", SIGINT, NO_PROC, 130, "", false},
      {"", 0, FULL, 1, "kein Platz mehr auf dem Datenträger.", false},
      {"", 0, FULL_LINKED, 1, "Datenträger. Ihr alter Inhalt wurde wiederhergestellt.", false},
      {"", 0, FULL_CACHE, 1, "(Zwischenkopie in " + small.File("cache/mirtun") + "). Sie ist unverändert.", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.stop) + " " + std::to_string(c.sig) + " " + std::to_string(c.where));
    bool onSmall = c.where == FULL || c.where == FULL_LINKED;
    if ((onSmall || c.where == FULL_CACHE) && !full.done) continue;
    std::string folder = onSmall ? small.File("t") : dir.File("t");
    std::string target = folder + "/out.txt";
    std::string cacheHome = c.where == FULL_CACHE ? small.File("cache") : cache.path;
    std::filesystem::remove_all(folder + "/");
    mkdir(folder.c_str(), 0755);
    mkdir((cacheHome + "/mirtun").c_str(), 0700);
    WriteFile(target, oldText);
    bool linked = c.where == LINKED || c.where == FULL_LINKED || c.where == FULL_CACHE;
    if (linked) {
      ASSERT_EQ(link(target.c_str(), (folder + "/other.txt").c_str()), 0);
    }

    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      if (c.where == NO_PROC && !HideProc()) _exit(97);
      setenv("XDG_CONFIG_HOME", dir.File("config").c_str(), 1);
      setenv("XDG_CACHE_HOME", cacheHome.c_str(), 1);
      setenv("MIRTUN_TEST_STOP", c.stop, 1);
      if (!freopen(dir.File("stderr").c_str(), "w", stderr)) _exit(98);
      execl(MIRTUN_CONVERT_EXE, MIRTUN_CONVERT_EXE, "--defaults", "-f",
            dir.File("big.m3u").c_str(), target.c_str(), nullptr);
      _exit(99);
    }
    int status = 0;
    waitpid(pid, &status, c.sig ? WUNTRACED : 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 97) continue;  // no NO_PROC here
    if (c.sig) {
      ASSERT_TRUE(WIFSTOPPED(status));  // the point was reached
      kill(pid, c.sig);
      kill(pid, SIGCONT);
      waitpid(pid, &status, 0);
    }
    if (c.status < 0) {
      EXPECT_TRUE(WIFSIGNALED(status));
    } else {
      ASSERT_TRUE(WIFEXITED(status));
      EXPECT_EQ(WEXITSTATUS(status), c.status);
    }
    std::string err = ReadFile(dir.File("stderr"));
    EXPECT_NE(err.find(c.err), std::string::npos) << err;
    std::string now = ReadFile(target);
    if (fresh.empty()) fresh = now;
    if (!c.damaged) {
      EXPECT_TRUE(now == oldText || now == fresh) << now.size();
    }
    if (linked) {
      EXPECT_EQ(ReadFile(folder + "/other.txt"), now);
    }
    using Names = std::vector<std::string>;
    EXPECT_EQ(Listing(folder), (linked ? Names{"other.txt", "out.txt"} : Names{"out.txt"}));
    // The copies in the copy folder are gone, except the one of a kill
    // while the target was written; the next run names it, once.
    std::string copies = cacheHome + "/mirtun/";
    if (c.stop == std::string("saved:1") || c.damaged) {
      ASSERT_EQ(Listing(copies).size(), 1u);
      CliResult next = Run({"--defaults", "-f", "big.m3u", target});
      EXPECT_EQ(next.status, 0);
      EXPECT_EQ(ReadFile(target), fresh);
      Names kept = Listing(copies);
      ASSERT_EQ(kept.size(), 1u);
      EXPECT_EQ(ReadFile(copies + kept[0]), oldText);
      EXPECT_NE(next.err.find("Eine Kopie des alten Inhalts von out.txt liegt in " + copies +
                              kept[0] + ".\n"),
                std::string::npos) << next.err;
      EXPECT_EQ(Run({"--defaults", "-f", "big.m3u", target}).err, "");
      std::filesystem::remove_all(copies);
    } else {
      EXPECT_EQ(Listing(copies), Names{});
    }
  }
}

TEST_F(CliTest, NeverWritesTheSettingsStore) {
  WriteFile(dir.File("a.pls"), kPls);
  Run({"--html", "a.pls", "x.htm"});
  EXPECT_FALSE(Exists(dir.File("config")));
  EXPECT_FALSE(Exists(dir.File(".config")));
}
