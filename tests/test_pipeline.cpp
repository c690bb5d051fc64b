// Rows written in list order whatever the number of threads reading ahead;
// progress counts and stopping a run.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>

#include "base/text.h"
#include "engine/convert.h"
#include "engine/row_sink.h"
#include "platform/cpu.h"
#include "id3_tags.h"
#include "support.h"

using namespace id3;

namespace {
std::string Fixture(const char* name) {
  return ReadFile(std::string(MIRTUN_SOURCE_DIR "/tests/data/") + name);
}

// The import style for the source at path (none: the record's), read with
// the given threads.
RunSettings Threaded(int threads, AheadAtOnce ahead, const std::string& path = "") {
  FreshSettings();
  g_tfmtFlag = 0;
  if (!path.empty()) CopyText(g_opnFName, sizeof g_opnFName, path.c_str());
  RunSettings s = TakeRunSettings();
  s.threads = threads;
  s.aheadAtOnce = ahead;
  return s;
}

// The listing of the source at path with the given threads; more than one
// thread reads ahead from the first entry on, every thread or one per
// processor.
std::string Listing(const std::string& path, int threads,
                    AheadAtOnce ahead = AHEAD_EVERY_THREAD) {
  const RunSettings s = Threaded(threads, threads > 1 ? ahead : AHEAD_MEASURED, path);
  return Captured([&](FILE* out) {
    FILE* in = std::fopen(path.c_str(), "rb");
    if (!in) return;
    TextStream ts;
    TsInit(&ts, in);
    WriteListing(&ts, out, s, nullptr, nullptr);
    std::fclose(in);
  });
}

// A library of tagged, untagged, missing and streamed entries, listed in
// every format that names files.
struct Library {
  TempDir dir;
  Library() {
    std::string mp3 = Fixture("cbr.mp3");
    std::string m3u = "#EXTM3U\n", pls = "[playlist]\n", xspf =
        "<playlist xmlns=\"http://xspf.org/ns/0/\"><trackList>\n";
    for (int k = 0; k < 300; ++k) {
      std::string n = std::to_string(k);
      std::string name;
      switch (k % 5) {
        case 0:
          name = "t" + n + ".mp3";
          WriteFile(dir / name, Tag(Text("TIT2", "Titel " + n) + Text("TPE1", "Band " + n) +
                                    std::string(20, '\0')) + mp3);
          break;
        case 1:
          name = "Hans - Walzer " + n + ".ogg";
          WriteFile(dir / name, Fixture("tone.ogg"));
          break;
        case 2: name = "gone/Artist/Album/" + n + ".mp3"; break;
        case 3: name = "http://radio/" + n; break;
        default:
          name = "w" + n + ".wav";
          WriteFile(dir / name, Fixture("tone.wav"));
      }
      m3u += "#EXTINF:" + n + ",List - Name " + n + "\n" + name + "\n";
      pls += "File" + n + "=" + name + "\n" + (k % 2 ? "Title" + n + "=x\n" : "");
      xspf += "<track><location>" + name + "</location>" +
              (k % 3 ? "<title>T" + n + "</title>" : "") + "</track>\n";
    }
    WriteFile(dir / "list.m3u", m3u);
    WriteFile(dir / "list.pls", pls);
    WriteFile(dir / "list.xspf", xspf + "</trackList></playlist>\n");
  }
};
}  // namespace

TEST(Pipeline, ThreadsGiveTheSameBytes) {
  Library lib;
  for (const char* list : {"list.m3u", "list.pls", "list.xspf"}) {
    std::string one = Listing(lib.dir / list, 1);
    EXPECT_EQ(std::count(one.begin(), one.end(), '\n'), 301) << list;
    EXPECT_EQ(Listing(lib.dir / list, 8), one) << list;
    EXPECT_EQ(Listing(lib.dir / list, 3), one) << list;
    EXPECT_EQ(Listing(lib.dir / list, 8, AHEAD_PER_CORE), one) << list;
    // The program's own way: one thread while reading is short, then more.
    EXPECT_EQ(Listing(lib.dir / list, 8, AHEAD_MEASURED), one) << list;
  }
}

TEST(Pipeline, SharedListsGiveTheSameBytesWithThreads) {
  const std::string root = MIRTUN_SOURCE_DIR "/../shared/testdata/playlists";
  struct stat st;
  if (stat(root.c_str(), &st) != 0) GTEST_SKIP() << root << " is not there";
  int lists = 0;
  for (const auto& e : std::filesystem::recursive_directory_iterator(root)) {
    if (!e.is_regular_file()) continue;
    std::string p = e.path().string();
    EXPECT_EQ(Listing(p, 8), Listing(p, 1)) << p;
    ++lists;
  }
  EXPECT_GT(lists, 50);
}

TEST(Pipeline, EntriesAreCountedWithoutReadingFiles) {
  Library lib;
  FreshSettings();
  struct { std::string name, bytes; int64_t count; } cases[] = {
      {"a.m3u", "#EXTM3U\n#EXTINF:1,x\na\n\n# c\nb|c\nhttp://x\n", 3},
      {"a.pls", "[playlist]\nFile1=a\nTitle1=b\nLength2=5\nFile3=c\nNumberOfEntries=3\n", 3},
      {"a.xspf", "<playlist><trackList><track/><track><title>t</title></track></trackList></playlist>", 2},
      {"a.wpl", "<smil><body><seq><media src=\"a\"/><media/><media src=\"b\"/></seq></body></smil>", 2},
      {"a.xml", "<plist><array><dict><key>Total Time</key><integer>1</integer></dict><dict>"
                "<key>Total Time</key><integer>2</integer></dict></array></plist>", 2},
      {"list.m3u", ReadFile(lib.dir / "list.m3u"), 300},
  };
  for (const auto& c : cases) {
    if (c.name != "list.m3u") WriteFile(lib.dir / c.name, c.bytes);
    CopyText(g_opnFName, sizeof g_opnFName, (lib.dir / c.name).c_str());
    EXPECT_EQ(CountEntries(TakeRunSettings()), c.count) << c.name;
  }
  CopyText(g_opnFName, sizeof g_opnFName, (lib.dir / "nix.m3u").c_str());
  EXPECT_EQ(CountEntries(TakeRunSettings()), -1);
}

namespace {
// Stops the run when the row given in context has been written.
void StopAt(RunControl* ctl) {
  if (ctl->done.load() == *static_cast<int64_t*>(ctl->context)) ctl->cancel.store(true);
}
}  // namespace

TEST(Pipeline, ProgressAndStopping) {
  Library lib;
  for (const char* list : {"list.m3u", "list.pls", "list.xspf"}) {
    for (int threads : {1, 8}) {
      FreshSettings();
      CopyText(g_opnFName, sizeof g_opnFName, (lib.dir / list).c_str());
      RunSettings s = TakeRunSettings();
      s.threads = threads;
      s.aheadAtOnce = AHEAD_EVERY_THREAD;
      std::string target = lib.dir / "out.txt";
      // A whole run: every row counted.
      RunControl all;
      ASSERT_EQ(ConvertToFile(s, target.c_str(), true, nullptr, &all), CONVERT_WRITTEN);
      EXPECT_EQ(all.total.load(), 300) << list;
      EXPECT_EQ(all.done.load(), 300) << list;
      // Stopped at row 100: the old target stays and nothing else is left.
      WriteFile(target, "old");
      RunControl ctl;
      int64_t stopAt = 100;
      ctl.onRow = StopAt;
      ctl.context = &stopAt;
      EXPECT_EQ(ConvertToFile(s, target.c_str(), true, nullptr, &ctl), CONVERT_CANCELLED)
          << list << " " << threads;
      EXPECT_EQ(ctl.done.load(), 100);
      EXPECT_EQ(ReadFile(target), "old");
      for (const auto& e : std::filesystem::directory_iterator(lib.dir.path))
        EXPECT_NE(e.path().filename().string().rfind(".out.txt.", 0), 0u) << e.path();
    }
  }
}

namespace {
// A row named by its number; every sleepEvery-th job sleeps a millisecond
// first, as a read from a disk does.
int g_sleepEvery = 0;
void NumberedRow(RowJob* job, const RunSettings&) {
  if (g_sleepEvery && job->number % g_sleepEvery == 3) usleep(1000);
  FormatText(job->title, sizeof job->title, "Titel %d", job->number);
  CopyText(job->artist, sizeof job->artist, job->number % 2 ? "Band" : "");
  job->seconds = job->number % 11 == 10 ? kNoTime : job->number % 300 + 1;
}

// rows rows through a sink: most jobs read files, every fifth does not,
// and every 97th row is written directly.
std::string SinkRows(int threads, AheadAtOnce ahead, int rows, int sleepEvery) {
  const RunSettings s = Threaded(threads, ahead);
  g_sleepEvery = sleepEvery;
  return Captured([&](FILE* out) {
    RowSink sink;
    SinkInit(&sink, out, &s);
    for (int k = 0; k < rows; ++k) {
      if (k % 97 == 96) {
        AddRow(&sink, "Direkt", "Zeile", 60);
        continue;
      }
      RowJob* job = NextJob(&sink);
      job->resolve = NumberedRow;
      job->number = k;
      SubmitJob(&sink, job, k % 5 != 0);
    }
    Finish(&sink);
  });
}
}  // namespace

// Rows keep their order and the total its sum however the jobs are spread:
// threads started mid-run as reading turns out long (no job sleeps) or
// slow (jobs sleep), more threads added while batches are out, batches cut
// short when the writer must wait, a window filled exactly.
TEST(Pipeline, RowsKeepTheirOrderHoweverTheJobsAreSpread) {
  const struct { int threads; AheadAtOnce ahead; int rows, sleepEvery; } cases[] = {
      {8, AHEAD_MEASURED, 20000, 0},   {8, AHEAD_MEASURED, 600, 7},
      {8, AHEAD_PER_CORE, 3000, 0},    {8, AHEAD_PER_CORE, 600, 50},
      {3, AHEAD_EVERY_THREAD, 2000, 0}, {64, AHEAD_EVERY_THREAD, 129, 9},
      {2, AHEAD_PER_CORE, 128, 0},     {8, AHEAD_EVERY_THREAD, 1, 0},
  };
  for (const auto& c : cases) {
    std::string one = SinkRows(1, AHEAD_MEASURED, c.rows, 0);
    ASSERT_EQ(std::count(one.begin(), one.end(), '\n'), c.rows + 1) << c.rows;
    EXPECT_EQ(SinkRows(c.threads, c.ahead, c.rows, c.sleepEvery), one)
        << c.threads << " threads, " << c.rows << " rows";
  }
}

// The sign that reading waits for a disk, which sets every thread reading:
// a thread's sleep counts, its computing does not, however long it takes.
TEST(Pipeline, OnlySleepingCountsAsWaiting) {
  int64_t before = ThreadSleeps();
  volatile uint64_t sum = 0;
  for (uint64_t k = 0; k < 20000000; ++k) sum = sum + k;
  EXPECT_EQ(ThreadSleeps(), before);
  usleep(1000);
  EXPECT_GT(ThreadSleeps(), before);
}
