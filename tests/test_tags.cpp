// Names from the tags of every common format: the ID3 tags first, then the
// tags of the file's own format as the demuxer reads them, then the file
// name.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <map>
#include <string>

#include "base/text.h"
#include "engine/entry.h"
#include "engine/row_sink.h"
#include "id3_tags.h"
#include "settings/run_settings.h"
#include "support.h"

using namespace id3;

namespace {
std::string Fixture(const std::string& name) {
  return ReadFile(std::string(MIRTUN_SOURCE_DIR "/tests/data/") + name);
}

// "artist|title|seconds" as a list line shows the file at path.
std::string Names(const std::string& path) {
  const RunSettings s = TakeRunSettings();
  char title[MAXPATH], artist[MAXPATH];
  CopyText(title, sizeof title, NOTITLE);
  CopyText(artist, sizeof artist, NOARTIST);
  int32_t seconds = NamesFromFile(path.c_str(), title, artist, s);
  return std::string(artist) + "|" + title + "|" + std::to_string(seconds);
}
}  // namespace

// Files made by ffmpeg with -metadata (and metaflac for two ARTIST
// comments), each 1.5 s of silence, named so that the file-name rule would
// give other names.
TEST(FormatTags, EveryCommonFormat) {
  FreshSettings();
  TempDir dir;
  struct { const char* fixture; const char* expected; } cases[] = {
      {"tags/tagged.flac", "Helene Fischer|Atemlos durch die Nacht|1"},
      {"tags/tagged.ogg", "Helene Fischer|Atemlos durch die Nacht|1"},
      {"tags/tagged.opus", "Helene Fischer|Atemlos durch die Nacht|1"},
      {"tags/tagged.m4a", "Helene Fischer|Atemlos durch die Nacht|1"},
      {"tags/tagged.wma", "Helene Fischer|Atemlos durch die Nacht|1"},
      {"tags/tagged.mka", "Helene Fischer|Atemlos durch die Nacht|1"},
      {"tags/tagged.wv", "Helene Fischer|Atemlos durch die Nacht|1"},
      // RIFF INFO in Windows-1252.
      {"tags/latin1.wav", "M\xC3\xB6tley Cr\xC3\xBC" "e|Kickstart My Heart|1"},
      // Two ARTIST comments stand as the demuxer joins them.
      {"tags/multi.flac", "Die \xC3\x84rzte;Farin Urlaub|Atemlos durch die Nacht|1"},
      // One name found: the other keeps its placeholder.
      {"tags/onlyartist.flac", "Nur Interpret|(Kein Titel)|1"},
      // No tags: the file name, its new extension removed.
      {"tags/untagged.flac", "Band|Song|1"},
  };
  for (const auto& c : cases) {
    std::string ext = c.fixture + std::string(c.fixture).rfind('.');
    std::string path = dir / ("Band - Song" + ext);
    WriteFile(path, Fixture(c.fixture));
    EXPECT_EQ(Names(path), c.expected) << c.fixture;
  }
}

// ID3 names come first; an MP3 without them keeps the file-name rule.
TEST(FormatTags, Id3BeforeTheFormatsOwnTags) {
  FreshSettings();
  TempDir dir;
  std::string mp3 = Fixture("cbr.mp3");
  struct { const char* name; std::string bytes; const char* expected; } cases[] = {
      {"v2.mp3", Tag(Text("TIT2", "Lied") + Text("TPE1", "Band") + std::string(20, '\0')) + mp3,
       "Band|Lied|2"},
      {"v1.mp3", mp3 + Trailer("Lied v1", "Band v1"), "Band v1|Lied v1|2"},
      {"Artist - Title.mp3", mp3, "Artist|Title|2"},
      // A tag that is there but names nothing: the file name.
      {"Empty - Tag.mp3", Tag(Text("TALB", "Album") + std::string(20, '\0')) + mp3 + Trailer("", ""),
       "Empty|Tag|2"},
      // A FLAC file with an ID3v2 tag in front: the ID3 names.
      {"id3.flac", Tag(Text("TIT2", "ID3-Titel") + std::string(20, '\0')) + Fixture("tags/tagged.flac"),
       "(Kein Interpret)|ID3-Titel|1"},
  };
  for (const auto& c : cases) {
    WriteFile(dir / c.name, c.bytes);
    EXPECT_EQ(Names(dir / c.name), c.expected) << c.name;
  }
}

// PLS titles without an artist give way to the tags of any format.
TEST(FormatTags, PlsTitleWithoutArtistGivesWayToTags) {
  FreshSettings();
  g_tfmtFlag = 0;
  g_totalFlag = 0;
  TempDir dir;
  WriteFile(dir / "a.ogg", Fixture("tags/tagged.ogg"));
  CopyText(g_opnFName, sizeof g_opnFName, (dir / "list.pls").c_str());
  EXPECT_EQ(RunReader(plsOutputLine, "File1=a.ogg\nTitle1=a\n"),
            "Helene Fischer,Atemlos durch die Nacht,00:00:01\n");
}

// Every media file of the shared test data gives the names that an
// independent reader (mutagen) reads from its tags, but where the program's
// rules differ or the demuxer cannot read the file.
TEST(FormatTags, SharedMediaAgreeWithAnIndependentReader) {
  const std::string media = MIRTUN_SOURCE_DIR "/../shared/testdata/media";
  struct stat st;
  if (stat(media.c_str(), &st) != 0) GTEST_SKIP() << media << " is not there";
  if (std::system("/usr/bin/python3 -c 'import mutagen' 2>/dev/null") != 0)
    GTEST_SKIP() << "python3-mutagen is not installed";
  const std::map<std::string, std::string> exceptions = {
      {"silence-44-s.mp3", "two TPE1 frames: the later one stands"},
      {"silence-2s-PCM-16000-08-ID3v23.wav",
       "the ID3 chunk inside the WAV file is read by the demuxer, which joins its values"},
      {"silence-44-s.wv", "the demuxer keeps the first value of an APE item"},
      {"duplicate_tags.wav", "two tags: the demuxer keeps the later one"},
      {"multiple-vc.flac", "two comment blocks: the demuxer reads both"},
      {"mac-399-tagged.ape", "an ID3v1 trailer comes before the file's own tags"},
      {"full.wma", "the demuxer cannot read the file: names from the file name"},
      {"infloop.m4a", "the demuxer cannot read the file: names from the file name"},
      {"lowercase-fields.ogg", "CRC errors: the demuxer refuses the file"},
  };
  TempDir dir;
  std::string cmd = "/usr/bin/python3 " MIRTUN_SOURCE_DIR "/tests/tools/tag_oracle.py '" + media +
                    "' > " + (dir / "oracle.txt");
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  std::string oracle = ReadFile(dir / "oracle.txt");
  FreshSettings();
  int files = 0;
  size_t start = 0;
  for (size_t nl; (nl = oracle.find('\n', start)) != std::string::npos; start = nl + 1) {
    std::string line = oracle.substr(start, nl - start);
    size_t t1 = line.find('\t'), t2 = line.find('\t', t1 + 1);
    std::string path = line.substr(0, t1);
    std::string name = path.substr(path.rfind('/') + 1);
    std::string expected[2] = {line.substr(t1 + 1, t2 - t1 - 1), line.substr(t2 + 1)};
    const RunSettings s = TakeRunSettings();
    char title[MAXPATH], artist[MAXPATH];
    CopyText(title, sizeof title, NOTITLE);
    CopyText(artist, sizeof artist, NOARTIST);
    NamesFromFile(path.c_str(), title, artist, s);
    std::string got[2] = {title, artist};
    ++files;
    bool same = true;
    for (int k = 0; k < 2; ++k) {
      if (expected[k] == "-") continue;
      // Names are cut to 510 bytes; line breaks in them came out as blanks.
      std::string want = expected[k].substr(0, Utf8CutBytes(expected[k].data(), expected[k].size(), 510));
      for (char& c : got[k])
        if (c == '\n' || c == '\r' || c == '\t') c = ' ';
      same = same && got[k] == want;
    }
    if (exceptions.count(name)) {
      EXPECT_FALSE(same) << name << " agrees now; drop it from the exceptions";
      continue;
    }
    EXPECT_TRUE(same) << path << "\n  mutagen: " << expected[0] << " | " << expected[1]
                      << "\n  shown:   " << got[0] << " | " << got[1];
  }
  EXPECT_GT(files, 50);
}
