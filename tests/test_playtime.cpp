#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "metadata/mpeg_audio.h"
#include "metadata/playtime.h"
#include "id3_tags.h"

static std::string Fixture(const char* name) {
  return std::string(MIRTUN_SOURCE_DIR "/tests/data/") + name;
}

// Fixtures made with ffmpeg; the expected times are ffprobe's durations,
// truncated to the millisecond.
TEST(GetMP3Length, MediaFixtures) {
  const struct {
    const char* file;
    int32_t ms;
    int32_t tolerance;
  } cases[] = {
      {"cbr.mp3", 2560, 0},        // constant bit rate, no information frame
      {"cbr_info.mp3", 2560, 0},   // constant bit rate with an Info frame
      {"vbr_xing.mp3", 3056, 0},   // variable bit rate with a Xing frame
      // Without a Xing frame the bit-rate estimate says 4904; the frames say
      // the same 3056 as the file with one.
      {"vbr_noxing.mp3", 3056, 30},
      {"tone.wav", 1250, 0},
      {"tone.ogg", 2000, 0},
      {"tone.flac", 1000, 0},
      {"clip.mpg", 1800, 18},
      {"clip.avi", 3000, 0},
  };
  for (const auto& c : cases)
    EXPECT_NEAR(GetMP3Length(Fixture(c.file).c_str()), c.ms, c.tolerance) << c.file;
}

// A tag in front of the audio (here one with a 40 KB picture) is skipped and
// does not change the time; neither does a name without a known extension.
TEST(GetMP3Length, TagsAndNamesDoNotChangeTheTime) {
  TempDir dir;
  std::string audio = ReadFile(Fixture("cbr.mp3"));
  std::string tag = id3::Tag(id3::Text("TIT2", "Song") +
                             id3::Frame("APIC", std::string(40000, '\x11')) +
                             std::string(100, '\0'));
  WriteFile(dir / "tagged.mp3", tag + audio);
  WriteFile(dir / "noext", audio);
  WriteFile(dir / "wrong.ogg", audio);
  WriteFile(dir / "wav.mp3", ReadFile(Fixture("tone.wav")));
  EXPECT_EQ(GetMP3Length((dir / "tagged.mp3").c_str()), 2560);
  EXPECT_EQ(GetMP3Length((dir / "noext").c_str()), 2560);
  EXPECT_EQ(GetMP3Length((dir / "wrong.ogg").c_str()), 2560);
  EXPECT_EQ(GetMP3Length((dir / "wav.mp3").c_str()), 1250);
}

TEST(GetMP3Length, NoTimeForWhatIsNotMedia) {
  TempDir dir;
  WriteFile(dir / "text.mp3", "#EXTM3U\nsong.mp3\n");
  WriteFile(dir / "empty.mp3", "");
  WriteFile(dir / "image.png",
            std::string("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\0\0\x10\0\0\0\x10\x08\x02\0\0\0", 29));
  WriteFile(dir / "cut.wav", ReadFile(Fixture("tone.wav")).substr(0, 40));
  WriteFile(dir / "cut.mp3", ReadFile(Fixture("cbr_info.mp3")).substr(0, 40));
  ASSERT_EQ(mkfifo((dir / "pipe.mp3").c_str(), 0600), 0);
  for (const char* name : {"text.mp3", "empty.mp3", "image.png", "cut.wav", "cut.mp3",
                           "pipe.mp3", "missing.mp3", ""})
    EXPECT_EQ(GetMP3Length((dir / name).c_str()), 0) << name;
  EXPECT_EQ(GetMP3Length("/dev/zero"), 0);
}

// A 2 GB file of zeros, or of garbage, is given up after a bounded read.
// The files are sparse, so they cost no disk space; only the bytes read cost
// time, and the test would take minutes if the whole file were read.
TEST(GetMP3Length, HugeFilesAreGivenUpQuickly) {
  TempDir dir;
  std::string zeros = dir / "zeros.mp3";
  std::string garbage = dir / "garbage.mp3";
  WriteFile(zeros, "");
  std::string noise(1 << 20, '\0');
  uint32_t x = 12345;
  for (char& c : noise) c = static_cast<char>((x = x * 1103515245u + 12345u) >> 24);
  WriteFile(garbage, noise);
  ASSERT_EQ(truncate(zeros.c_str(), 2LL << 30), 0);
  ASSERT_EQ(truncate(garbage.c_str(), 2LL << 30), 0);
  EXPECT_EQ(GetMP3Length(zeros.c_str()), 0);
  EXPECT_EQ(GetMP3Length(garbage.c_str()), 0);
}

// MPEG audio is timed from its frame headers without the demuxer; the time
// must be the demuxer's to the millisecond, whatever the file holds around
// its frames.
TEST(GetMP3Length, FrameHeadersGiveTheDemuxersTime) {
  TempDir dir;
  const std::string cbr = ReadFile(Fixture("cbr.mp3"));
  const std::string info = ReadFile(Fixture("cbr_info.mp3"));
  const std::string xing = ReadFile(Fixture("vbr_xing.mp3"));
  const std::string noxing = ReadFile(Fixture("vbr_noxing.mp3"));
  const std::string tag = id3::Tag(id3::Text("TIT2", "Song") + std::string(100, '\0'));
  std::string ape = "APETAGEX" + std::string("\xD0\x07\0\0", 4) + std::string("\x20\0\0\0", 4) +
                    std::string(4, '\0') + std::string("\0\0\0\x80", 4) + std::string(8, '\0');
  ape = ape + std::string(32, 'x') + ape;  // header, one item's room, footer
  const struct { const char* name; std::string bytes; } cases[] = {
      {"cbr.mp3", cbr},
      {"info.mp3", info},
      {"xing.mp3", xing},
      {"noxing.mp3", noxing},
      {"tagged.mp3", tag + xing},
      {"junk.mp3", tag + std::string(300, '\0') + cbr},
      {"junk_xing.mp3", std::string(200, '\x55') + xing},
      {"trailer.mp3", cbr + id3::Trailer("Song", "Band")},
      {"ape.mp3", cbr + ape},
      {"ape_trailer.mp3", noxing + ape + id3::Trailer("Song", "Band")},
      {"cut.mp3", cbr.substr(0, cbr.size() - 100)},
      {"cut_vbr.mp3", noxing.substr(0, noxing.size() - 100)},
      {"concatenated.mp3", info + cbr + cbr},
      {"truncated.mp3", info.substr(0, 700)},
      {"two_kinds.mp3", noxing + cbr},
      {"garbage_inside.mp3", cbr.substr(0, 5000) + std::string(500, '\x11') + cbr.substr(5000)},
      {"no_extension", tag + cbr},
      {"no_extension_short", tag + info.substr(0, 500)},
      {"song.mp2", cbr},
  };
  for (const auto& c : cases) {
    std::string path = dir / c.name;
    WriteFile(path, c.bytes);
    EXPECT_EQ(GetMP3Length(path.c_str()), GetDemuxedLength(path.c_str())) << c.name;
  }
  // A constant-rate stream with one frame of another rate in the middle: the
  // demuxer averages it into its estimate. cbr.mp3 is MPEG 2 layer III at
  // 22050 Hz and 32 kbit/s behind a 20-byte tag.
  size_t at = 20;
  for (int k = 0; k < 5; ++k) at += 72000 * 32 / 22050 + ((cbr[at + 2] >> 1) & 1);
  std::string odd = cbr.substr(at, 4);
  odd[2] = static_cast<char>((odd[2] & 0x0D) | 0x80);  // 64 kbit/s, no padding
  odd += std::string(72000 * 64 / 22050 - 4, '\0');
  WriteFile(dir / "one_odd.mp3", cbr.substr(0, at) + odd + cbr.substr(at));
  EXPECT_EQ(GetMP3Length((dir / "one_odd.mp3").c_str()),
            GetDemuxedLength((dir / "one_odd.mp3").c_str()));
}

// The one rule both timings (frame headers, demuxer packets) judge a
// stream's bit rate by: frames counted at their most common rate and at
// others.
TEST(JudgeBitRates, FewOddFramesKeepAStreamConstant) {
  const struct { int64_t common, odd; BitRates expected; } cases[] = {
      {100, 0, RATES_CONSTANT},      {0, 0, RATES_CONSTANT},
      {98, 2, RATES_NEARLY_CONSTANT}, {1, 2, RATES_NEARLY_CONSTANT},
      {97, 3, RATES_NEARLY_CONSTANT}, {28, 3, RATES_NEARLY_CONSTANT},
      {27, 3, RATES_VARIABLE},       {5, 5, RATES_VARIABLE},
  };
  for (const auto& c : cases) {
    int64_t perRate[16] = {};
    perRate[9] = c.common;
    perRate[4] = c.odd > 1 ? c.odd - 1 : c.odd;
    perRate[14] = c.odd > 1 ? 1 : 0;
    EXPECT_EQ(JudgeBitRates(perRate, c.common + c.odd), c.expected) << c.common << "+" << c.odd;
  }
}

// The same over every file of the shared test data.
TEST(GetMP3Length, SharedMediaFrameHeadersAgreeWithTheDemuxer) {
  const std::string root = MIRTUN_SOURCE_DIR "/../shared/testdata/media";
  struct stat st;
  if (stat(root.c_str(), &st) != 0) GTEST_SKIP() << root << " is not there";
  int files = 0;
  for (const auto& e : std::filesystem::recursive_directory_iterator(root)) {
    if (!e.is_regular_file()) continue;
    std::string p = e.path().string();
    EXPECT_EQ(GetMP3Length(p.c_str()), GetDemuxedLength(p.c_str())) << p;
    ++files;
  }
  EXPECT_GT(files, 200);
}
