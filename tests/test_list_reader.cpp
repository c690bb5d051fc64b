#include <dirent.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "engine/convert.h"
#include "engine/entry.h"
#include "base/text.h"
#include "platform/files.h"
#include "settings/settings.h"
#include "id3_tags.h"

using namespace id3;

namespace {

const char* kDefaults = "(Kein Interpret)\t(Kein Titel)\t00:00:00\n";

std::string Fixture(const char* name) {
  return ReadFile(std::string(MIRTUN_SOURCE_DIR "/tests/data/") + name);
}

// Runs the conversion of the list file at listPath; returns the output.
std::string ConvertList(const std::string& listPath) {
  CopyText(g_opnFName, MAXPATH, listPath.c_str());
  FILE* in = std::fopen(listPath.c_str(), "rb");
  FILE* out = std::tmpfile();
  if (!in || !out) return "open failed";
  TextStream ts;
  TsInit(&ts, in);
  WriteListing(&ts, out, TakeRunSettings());
  std::fclose(in);
  std::string result;
  std::rewind(out);
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, out)) > 0) result.append(buf, n);
  std::fclose(out);
  return result;
}

std::string Convert(const TempDir& dir, const std::string& list) {
  std::string path = dir / "list.m3u";
  WriteFile(path, list);
  return ConvertList(path);
}

int OpenDescriptors() {
  int n = 0;
  DIR* d = opendir("/proc/self/fd");
  while (d && readdir(d)) ++n;
  if (d) closedir(d);
  return n;
}

}  // namespace

// Lines that name no file: the rules for skipping, streams and path names.
TEST(OutputLine, LinesWithoutFiles) {
  PlainImportSettings();
  TempDir dir;
  const struct {
    std::string list;
    std::string rows;
  } cases[] = {
      {"", ""},
      {"#EXTM3U\n#EXTINF:215,Artist - Song\n\n", ""},
      // Comments, directives and blank lines are no entries.
      {"#EXTALB:Album\n   \n\t \n#EXTVLCOPT:network-caching=1000\n#PLAYLIST:Party\n"
       "#EXTGRP:Rock\n#EXTCPlayListM3U::M3U\n# a comment\nx #EXTM3U\n",
       ""},
      {"http://x/stream\n", "(Kein Interpret)\thttp://x/stream\t00:00:00\n"},
      {"listen at http://x/stream\n", "(Kein Interpret)\tlisten at http://x/stream\t00:00:00\n"},
      // Any scheme but file: is a stream, its address the title.
      {"https://x/a/b/c.mp3\n", "(Kein Interpret)\thttps://x/a/b/c.mp3\t00:00:00\n"},
      {"HTTP://x/a/b/c.mp3\n", "(Kein Interpret)\tHTTP://x/a/b/c.mp3\t00:00:00\n"},
      {"rtsp://x/live\nmms://x/a\nftp://x/b.mp3\nicy+x.1://y\n",
       "(Kein Interpret)\trtsp://x/live\t00:00:00\n(Kein Interpret)\tmms://x/a\t00:00:00\n"
       "(Kein Interpret)\tftp://x/b.mp3\t00:00:00\n(Kein Interpret)\ticy+x.1://y\t00:00:00\n"},
      // A drive letter is no scheme.
      {"C://Music/Artist/Album/x.mp3\n", "Artist\tx\t00:00:00\n"},
      {"D:\\Music/Artist/Album/x.mp3\n",
       "(Kein Interpret)\tMusic/Artist/Album/x\t00:00:00\n"},
      {"C:\\Music\\Artist\\Album\\\n", "Artist\t(Kein Titel)\t00:00:00\n"},
      {"C:\\Music\\Artist\\Album\\01 Song.mp3\n", "Artist\t01 Song\t00:00:00\n"},
      {"Artist\\Album\\Song.mp3\n", "(Kein Interpret)\tSong\t00:00:00\n"},
      {"/music/Artist/Album/Song.ogg\n", "Artist\tSong\t00:00:00\n"},
      // A name without a folder part is the title.
      {"Junimond.mp3\nJunimond\n.mp3\n",
       "(Kein Interpret)\tJunimond\t00:00:00\n(Kein Interpret)\tJunimond\t00:00:00\n"
       "(Kein Interpret)\t(Kein Titel)\t00:00:00\n"},
      {"C:\\Music\\Song.mp3|1234\n|\n",
       std::string("(Kein Interpret)\tSong\t00:00:00\n") + kDefaults},
      // Names from a file address or an escaped path come decoded.
      {"file:///m/Die%20%C3%84rzte/Album/01%20Westerland.mp3\n",
       "Die \xC3\x84rzte\t01 Westerland\t00:00:00\n"},
      {"file://localhost/m/A/B/c%zz.mp3\n", "A\tc%zz\t00:00:00\n"},
      // Another host whose name starts like this one's; an escaped zero
      // byte is no escape.
      {"file://localhostx/m/A/B/x.mp3\n", "A\tx\t00:00:00\n"},
      {"A/B/x%00y.mp3\n", "(Kein Interpret)\tx%00y\t00:00:00\n"},
      // A missing file named "Artist - Title" names both; a track number
      // before the dash is no artist: the path's parts then.
      {"Music/X/Y/Band - Lied.mp3\nMusic/Falco/Falco 3/03 - Jeanny.mp3\n",
       "Band\tLied\t00:00:00\nFalco\t03 - Jeanny\t00:00:00\n"},
      {"file://server/share/Artist/Album/x.mp3\n", "Artist\tx\t00:00:00\n"},
      {"Music/Artist/Album/01%20Song%2.mp3\n", "Artist\t01 Song%2\t00:00:00\n"},
      // Bare CR and CR LF end lines as LF does.
      {"a\\b\\c\\d.mp3\re\\f\\g\\h.mp3\r\ni\\j\\k\\l.mp3",
       "b\td\t00:00:00\nf\th\t00:00:00\nj\tl\t00:00:00\n"},
      // A last line without LF, longer and shorter than the line before.
      {"a/b.mp3\nMusic/Falco/Falco 3/01 Rock Me Amadeus.mp3",
       "(Kein Interpret)\tb\t00:00:00\nFalco\t01 Rock Me Amadeus\t00:00:00\n"},
      {"Music/Falco/Falco 3/01 Rock Me Amadeus.mp3\nX/Y/Z/b.mp3",
       "Falco\t01 Rock Me Amadeus\t00:00:00\nY\tb\t00:00:00\n"},
      // A byte-order mark before the first entry is no part of it.
      {"\xEF\xBB\xBFMusic/Falco/Falco 3/Jeanny.mp3\n", "Falco\tJeanny\t00:00:00\n"},
      {"\xEF\xBB\xBF#EXTM3U\n", ""},
      // Windows-1252 lines are shown in UTF-8.
      {"M\xFCsik/Die \xC4rzte/Album/S\xFC\xDF \x80.mp3\n",
       "Die \xC3\x84rzte\tS\xC3\xBC\xC3\x9F \xE2\x82\xAC\t00:00:00\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(Convert(dir, c.list), c.rows) << c.list;
}

// #EXTINF names and times of entries that are not files.
TEST(OutputLine, ExtInfForStreamsAndMissingFiles) {
  PlainImportSettings();
  TempDir dir;
  const struct {
    std::string list;
    std::string rows;
  } cases[] = {
      {"#EXTINF:215,Falco - Rock Me Amadeus\nMusic/x.mp3\n", "Falco\tRock Me Amadeus\t00:03:35\n"},
      // The first " - " splits; the extension goes as usual.
      {"#EXTINF:10,A - B - C.mp3\nx.mp3\n", "A\tB - C\t00:00:10\n"},
      {"#EXTINF:187.9,Title only\nx.mp3\n", "(Kein Interpret)\tTitle only\t00:03:07\n"},
      {"#EXTINF:-1,Radio Eins\nhttps://x/stream\n", "(Kein Interpret)\tRadio Eins\t00:00:00\n"},
      {"#EXTINF:0.5,Half\nx.mp3\n", "(Kein Interpret)\tHalf\t00:00:00\n"},
      // Attributes, and a comma inside their quotes.
      {"#EXTINF:-1 tvg-name=\"A, B\" tvg-logo=\"l.png\",Sender - Show\nhttp://x\n",
       "Sender\tShow\t00:00:00\n"},
      // An empty text leaves the names to the path; the time still counts.
      {"#EXTINF:60,\nMusic/Falco/Falco 3/Jeanny.mp3\n", "Falco\tJeanny\t00:01:00\n"},
      {"#EXTINF:60\nhttp://x/s\n", "(Kein Interpret)\thttp://x/s\t00:01:00\n"},
      // Directives between belong to nothing; the #EXTINF waits for its entry.
      {"#EXTINF:5,A - B\n#EXTVLCOPT:x\n\nhttp://x\nhttp://y\n",
       "A\tB\t00:00:05\n(Kein Interpret)\thttp://y\t00:00:00\n"},
      // A second #EXTINF replaces the first.
      {"#EXTINF:5,A - B\n#EXTINF:6,C - D\nhttp://x\n", "C\tD\t00:00:06\n"},
      {"#EXTINF:5,Caf\xE9 - \x93Hi\x94\nhttp://x\n",
       "Caf\xC3\xA9\t\xE2\x80\x9CHi\xE2\x80\x9D\t00:00:05\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(Convert(dir, c.list), c.rows) << c.list;
  g_totalFlag = 1;
  EXPECT_EQ(Convert(dir, "#EXTINF:100,A - B\nhttp://x\n#EXTINF:-1,C\nhttp://y\n"),
            "A\tB\t00:01:40\n(Kein Interpret)\tC\t00:00:00\n\tGesamtzeit\t00:01:40\n");
}

// A line of any length is one entry: a long stream address keeps its
// #EXTINF title, a long path its names, and a file at a path longer than a
// name buffer is found.
TEST(OutputLine, LongLinesAreOneEntry) {
  PlainImportSettings();
  TempDir dir;
  for (size_t n : {511u, 512u, 4095u, 10000u}) {
    std::string list = "#EXTINF:-1 tvg-logo=\"" + std::string(n, 'l') + "\",Radio\nhttp://x/?" +
                       std::string(n, 't') + "&end=1\n/" + std::string(n, 'a') +
                       "/Falco/Falco 3/Jeanny.mp3\n";
    EXPECT_EQ(Convert(dir, list), "(Kein Interpret)\tRadio\t00:00:00\nFalco\tJeanny\t00:00:00\n") << n;
  }
  std::string deep = dir.path;
  for (int k = 0; k < 3; ++k) {
    deep += "/" + std::string(180, 'd');
    mkdir(deep.c_str(), 0700);
  }
  WriteFile(deep + "/Band - Song.wav", Fixture("tone.wav"));
  EXPECT_EQ(Convert(dir, deep + "/Band - Song.wav\n"), "Band\tSong\t00:00:01\n");
}

// Files without tags: names and times from the file name, as in the table of
// worked examples. Each file holds 1.25 s of audio ("by media" is 1 s).
TEST(OutputLine, FileTitles) {
  PlainImportSettings();
  TempDir dir;
  const std::string wav = Fixture("tone.wav");
  const struct {
    const char* name;
    const char* row;
  } cases[] = {
      {"Artist - Song (3:45).wav", "Artist\tSong\t00:03:45\n"},
      {"A - B - C.wav", "A - B\tC\t00:00:01\n"},
      {"Artist - Song (Live).wav", "Artist\tSong\t00:00:01\n"},
      {"Artist - Song(Remix: X).wav", "Artist\tSon\t00:00:00\n"},
      {"Artist - Song (12:05).wav", "Artist\tSong\t00:12:05\n"},
      {"Artist - Song (125:07).wav", "Artist\tSong\t00:12:07\n"},
      {"Song (3:45).wav", "(Kein Interpret)\tSong (3:45)\t00:00:01\n"},
      {"Band (UK) - Song.wav", "Band (UK)\tSong\t00:00:01\n"},
      {"Artist - (3:45).wav", "Artist\t(Kein Titel)\t00:03:45\n"},
      {"Artist - Song.unknown", "Artist\tSong.unknown\t00:00:01\n"},
      // A track number before the dash names no artist; a year does.
      {"03 - Song.wav", "(Kein Interpret)\tSong\t00:00:01\n"},
      {"1-03 - Song.wav", "(Kein Interpret)\tSong\t00:00:01\n"},
      {"1984 - Song.wav", "1984\tSong\t00:00:01\n"},
  };
  for (const auto& c : cases) {
    WriteFile(dir / c.name, wav);
    EXPECT_EQ(Convert(dir, dir / c.name), c.row) << c.name;
  }
  // A symbolic link shows its own name, and the time of what it points to.
  ASSERT_EQ(symlink((dir / "A - B - C.wav").c_str(), (dir / "Link - Name.wav").c_str()), 0);
  EXPECT_EQ(Convert(dir, dir / "Link - Name.wav"), "Link\tName\t00:00:01\n");
}

TEST(OutputLine, TaggedFilesAndColumnOrder) {
  PlainImportSettings();
  TempDir dir;
  std::string audio = Fixture("cbr.mp3");
  WriteFile(dir / "full.mp3", Tag(Text("TIT2", "Titel") + Text("TPE1", "Band") +
                                  std::string(20, '\0')) + audio);
  WriteFile(dir / "artist.mp3", Tag(Text("TPE1", "Band") + std::string(20, '\0')) + audio);
  EXPECT_EQ(Convert(dir, dir / "full.mp3"), "Band\tTitel\t00:00:02\n");
  EXPECT_EQ(Convert(dir, dir / "artist.mp3"), "Band\t(Kein Titel)\t00:00:02\n");
  g_artfFlag = 0;
  EXPECT_EQ(Convert(dir, dir / "full.mp3"), "Titel\tBand\t00:00:02\n");
}

// Relative entries are found beside the list, whatever the working folder;
// names from a missing entry still come from the line itself.
TEST(OutputLine, RelativeEntriesAndSpecialFiles) {
  PlainImportSettings();
  TempDir dir;
  mkdir((dir / "lists").c_str(), 0700);
  mkdir((dir / "music").c_str(), 0700);
  WriteFile(dir / "music/Band - Song.wav", Fixture("tone.wav"));
  ASSERT_EQ(mkfifo((dir / "music/pipe.mp3").c_str(), 0600), 0);
  std::string list = dir / "lists/list.m3u";
  WriteFile(list,
            "../music/Band - Song.wav\n"
            "../music/pipe.mp3\n"
            "../music\n"
            "/dev/zero\n"
            "x/../Other/Album/missing.mp3\n");
  EXPECT_EQ(ConvertList(list),
            "Band\tSong\t00:00:01\n"
            "(Kein Interpret)\tpipe\t00:00:00\n"
            "(Kein Interpret)\tmusic\t00:00:00\n"
            "(Kein Interpret)\tzero\t00:00:00\n"
            "Other\tmissing\t00:00:00\n");
  EXPECT_EQ(FileExists((dir / "music").c_str()), 0);
  EXPECT_EQ(FileExists((dir / "music/pipe.mp3").c_str()), 0);
  EXPECT_EQ(FileExists((dir / "music/Band - Song.wav").c_str()), 1);
}

// The file an entry names is opened when it is looked up, and its names are
// read through that descriptor: they are there even when the file is gone.
TEST(LocateEntry, TheFileFoundIsReadThroughItsDescriptor) {
  PlainImportSettings();
  TempDir dir;
  WriteFile(dir / "song.mp3", Tag(Text("TIT2", "Song") + Text("TPE1", "Band")) +
                                  Fixture("cbr_info.mp3"));
  CopyText(g_opnFName, MAXPATH, (dir / "list.m3u").c_str());
  const RunSettings s = TakeRunSettings();
  Entry e;
  LocateEntry("song.mp3", s, &e);
  ASSERT_EQ(e.kind, ENTRY_FILE);
  ASSERT_EQ(unlink((dir / "song.mp3").c_str()), 0);
  char title[MAXPATH] = "", artist[MAXPATH] = "";
  EXPECT_EQ(NamesFromFile(e.path, title, artist, s), 2);
  EXPECT_EQ(std::string(artist) + "|" + title, "Band|Song");
}

// An entry that names no file as written is looked for decoded, in UTF-8,
// and with "/" for "\\"; the file's own names then stand, and an #EXTINF
// time counts only when the media gives none.
TEST(OutputLine, FilesFoundInOtherSpellings) {
  PlainImportSettings();
  TempDir dir;
  mkdir((dir / "music").c_str(), 0700);
  WriteFile(dir / "music/Band - Song.wav", Fixture("tone.wav"));
  WriteFile(dir / "music/S\xC3\xBC\xC3\x9F.wav", Fixture("tone.wav"));
  WriteFile(dir / "music/S\xFC\xDF 2.wav", Fixture("tone.wav"));
  WriteFile(dir / "music/100%25.wav", Fixture("tone.wav"));
  WriteFile(dir / "music/silent.mp3", "no audio here");
  std::string abs = dir / "music/Band%20-%20Song.wav";
  const struct {
    std::string entry;
    std::string row;
  } cases[] = {
      {"music/Band%20-%20Song.wav", "Band\tSong\t00:00:01\n"},
      {"music\\Band - Song.wav", "Band\tSong\t00:00:01\n"},
      {"music\\Band%20-%20Song.wav", "Band\tSong\t00:00:01\n"},
      {"file://" + abs, "Band\tSong\t00:00:01\n"},
      {"file://localhost" + abs, "Band\tSong\t00:00:01\n"},
      {"file://localhostx" + abs, "Band\tSong\t00:00:00\n"},  // another host: no file
      {"FILE://" + abs, "Band\tSong\t00:00:01\n"},
      {"file:" + abs, "Band\tSong\t00:00:01\n"},
      {"file://elsewhere/x/Artist/Album/Band%20-%20Song.wav", "Band\tSong\t00:00:00\n"},
      {"music/S\xFC\xDF.wav", "(Kein Interpret)\tS\xC3\xBC\xC3\x9F\t00:00:01\n"},
      {"music/S\xFC\xDF 2.wav", "(Kein Interpret)\tS\xC3\xBC\xC3\x9F 2\t00:00:01\n"},
      {"music/100%25.wav", "(Kein Interpret)\t100%25\t00:00:01\n"},
      {"#EXTINF:99,Other - Name\nmusic/Band - Song.wav", "Band\tSong\t00:00:01\n"},
      {"#EXTINF:99,Other - Name\nmusic/silent.mp3", "(Kein Interpret)\tsilent\t00:01:39\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(Convert(dir, c.entry + "\n"), c.row) << c.entry;
}

// 2,000 entries of files that are opened: every file and demuxer is closed.
// A source that fails while it is read (an I/O error, a file cut short
// under the reader) ends the run as a failure with its cause, never as a
// shorter listing.
TEST(OutputLine, ReadErrorIsNoEnd) {
  PlainImportSettings();
  struct Failing {
    int calls = 0;
  } state;
  cookie_io_functions_t io = {};
  io.read = [](void* c, char* buf, size_t size) -> ssize_t {
    if (static_cast<Failing*>(c)->calls++ > 0) {
      errno = EIO;
      return -1;
    }
    const char first[] = "a.mp3\nb.mp3\n";
    size_t n = std::min(size, sizeof first - 1);
    std::memcpy(buf, first, n);
    return static_cast<ssize_t>(n);
  };
  FILE* in = fopencookie(&state, "r", io);
  FILE* out = std::tmpfile();
  TextStream ts;
  TsInit(&ts, in);
  RunReport report;
  EXPECT_EQ(WriteListing(&ts, out, TakeRunSettings(), &report), READ_FAILED);
  EXPECT_EQ(report.error, EIO);
  std::fclose(in);
  std::fclose(out);
}

TEST(OutputLine, NothingStaysOpen) {
  PlainImportSettings();
  g_totalFlag = 1;
  TempDir dir;
  WriteFile(dir / "a.mp3", Tag(Text("TIT2", "T") + std::string(20, '\0')) + Fixture("cbr.mp3"));
  WriteFile(dir / "b.wav", Fixture("tone.wav"));
  std::string list;
  for (int k = 0; k < 1000; ++k) list += "a.mp3\nb.wav\n";
  int before = OpenDescriptors();
  std::string out = Convert(dir, list);
  EXPECT_EQ(OpenDescriptors(), before);
  EXPECT_NE(out.find("\tGesamtzeit\t00:50:00\n"), std::string::npos);  // 1000 × (2 + 1) s
}

// The whole way through the command-line converter and the conversion run.
TEST(OutputLine, EndToEnd) {
  TempDir dir;
  WriteFile(dir / "t.mp3", Tag(Text("TIT2", "Lied") + Text("TPE1", "Band") +
                               std::string(20, '\0')) + Fixture("cbr.mp3"));
  WriteFile(dir / "Hans - Walzer.ogg", Fixture("tone.ogg"));
  WriteFile(dir / "party.m3u", "#EXTM3U\n#EXTINF:2,Band - Lied\nt.mp3\r\nHans - Walzer.ogg\n"
                               "http://radio/x\n");
  const std::string expected =
      "Band\tLied\t00:00:02\n"
      "Hans\tWalzer\t00:00:02\n"
      "(Kein Interpret)\thttp://radio/x\t00:00:00\n"
      "\tGesamtzeit\t00:00:04\n";
  std::string cmd = std::string(MIRTUN_CONVERT_EXE) +
                    " --defaults --import --tab --no-formula --total " + (dir / "party.m3u") +
                    " " + (dir / "out.txt") + " 2>&1";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  EXPECT_EQ(ReadFile(dir / "out.txt"), expected);

  PlainImportSettings();
  g_totalFlag = 1;
  g_formlFlag = 0;
  EXPECT_EQ(ConvertList(dir / "party.m3u"), expected);
}

// Real files from other projects' test suites, many of them broken: every
// media file in one list, and every list as it is, convert without harm.
TEST(OutputLine, SharedTestData) {
  const std::string root = MIRTUN_SOURCE_DIR "/../shared/testdata";
  struct stat st;
  if (stat(root.c_str(), &st) != 0) GTEST_SKIP() << root << " is not there";
  PlainImportSettings();
  TempDir dir;
  std::string list;
  std::vector<std::string> lists;
  for (const auto& e : std::filesystem::recursive_directory_iterator(root)) {
    if (!e.is_regular_file()) continue;
    std::string p = e.path().string();
    if (p.find("/media/") != std::string::npos) list += p + "\n";
    if (p.find("/playlists/") != std::string::npos || p.find("/xml/") != std::string::npos)
      lists.push_back(p);
  }
  WriteFile(dir / "media.m3u", list);
  std::string out = ConvertList(dir / "media.m3u");
  // One row per file at least (a tag text may hold line breaks of its own).
  EXPECT_GE(std::count(out.begin(), out.end(), '\n'),
            std::count(list.begin(), list.end(), '\n'));
  for (const auto& l : lists) ConvertList(l);
}

// Every plain list and PLS list of the shared test data: no row is made of a
// comment, a directive or a PLS line other than an entry's.
TEST(OutputLine, SharedListsGiveNoRowsOfDirectives) {
  const std::string root = MIRTUN_SOURCE_DIR "/../shared/testdata/playlists";
  struct stat st;
  if (stat(root.c_str(), &st) != 0) GTEST_SKIP() << root << " is not there";
  PlainImportSettings();
  int lists = 0;
  for (const auto& e : std::filesystem::recursive_directory_iterator(root)) {
    std::string p = e.path().string();
    std::string ext = e.path().extension().string();
    if (!e.is_regular_file() || (ext != ".m3u" && ext != ".m3u8" && ext != ".pls")) continue;
    // A list saved in UTF-16 is no list of this reader.
    if (p.find("utf16") != std::string::npos) continue;
    ++lists;
    std::string out = ConvertList(p);
    size_t start = 0;
    for (size_t nl; (nl = out.find('\n', start)) != std::string::npos; start = nl + 1) {
      std::string row = out.substr(start, nl - start);
      EXPECT_NE(row[0], '#') << p << ": " << row;
      EXPECT_EQ(row.find("\t#"), std::string::npos) << p << ": " << row;
      for (const char* key : {"#EXT", "[playlist]", "NumberOfEntries", "Version=", "File1=", "Title1="})
        EXPECT_EQ(row.find(key), std::string::npos) << p << ": " << row;
    }
  }
  EXPECT_GT(lists, 20);
}
