#include <gtest/gtest.h>

#include <string>

#include "base/text.h"
#include "id3_tags.h"
#include "support.h"

using namespace id3;

namespace {
struct PlsTest : ::testing::Test {
  void SetUp() override {
    FreshSettings();
    g_tfmtFlag = 0;  // import text shows the pieces plainly
  }
  std::string Run(const std::string& in) { return RunReader(plsOutputLine, in); }
};

std::string Fixture(const char* name) {
  return ReadFile(std::string(MIRTUN_SOURCE_DIR "/tests/data/") + name);
}
}  // namespace

TEST_F(PlsTest, TitlesSplitIntoArtistAndTitle) {
  g_totalFlag = 0;
  struct { const char* line; const char* out; } cases[] = {
      {"Title1=Artist - Song", "Artist,Song,\n"},
      {"Title1=Artist - Song [Live]", "(Kein Interpret),Artist - Song [Live],\n"},
      {"Title1=[01] Artist - Song", "[01],Artist - Song,\n"},
      {"Title1=A - B - C", "A - B,C,\n"},
      {"Title1=Artist - ", "Artist,(Kein Titel),\n"},
      {"Title1=", "(Kein Interpret),(Kein Titel),\n"},
      {"Title1=Song.mp3", "(Kein Interpret),Song,\n"},
      {"Title1=Band - Song.mp3", "Band,Song,\n"},
      {"Title1=a=b", "(Kein Interpret),a=b,\n"},
      {"Title1=Caf\xE9 - \x93Hi\x94", "Caf\xC3\xA9,\xE2\x80\x9CHi\xE2\x80\x9D,\n"},
      // Keys in any case, blanks around them, numbers with leading zeros.
      {"title1=Song", "(Kein Interpret),Song,\n"},
      {" TITLE7 =Song", "(Kein Interpret),Song,\n"},
      {"Title01=A - B\nLength1=5", "A,B,00:00:05\n"},
      // Lines that are no entry keys.
      {"Title1 Song", ""},
      {"Title=Song", ""},
      {"Titles1=Song", ""},
      {"Title1x=Song", ""},
      {"[playlist]\nNumberOfEntries=3\nVersion=2\nX-GNOME-Title=Party\n; comment", ""},
      // A file entry without a title names itself as a list line does.
      {"File1=C:\\Music\\Artist\\Album\\Title Track.mp3", "Artist,Title Track,\n"},
      {"File1=http://radio/x", "(Kein Interpret),http://radio/x,\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(Run(std::string(c.line) + "\n"), c.out) << c.line;
}

TEST_F(PlsTest, OneRowPerEntryWithItsTime) {
  g_formlFlag = 0;
  struct { const char* in; const char* out; } cases[] = {
      {"Title1=Artist - Song\nLength1=215\n", "Artist,Song,00:03:35\n,Gesamtzeit,00:03:35\n"},
      // No time: an empty cell that adds nothing.
      {"Length1=-1\n", "(Kein Interpret),(Kein Titel),\n"},
      {"Length1=0\nTitle1=x\n", "(Kein Interpret),x,\n"},
      {"Length1=3.5\n", "(Kein Interpret),(Kein Titel),00:00:03\n,Gesamtzeit,00:00:03\n"},
      {"Length1=126.432\n", "(Kein Interpret),(Kein Titel),00:02:06\n,Gesamtzeit,00:02:06\n"},
      {"Length1=99999999999\n",
       "(Kein Interpret),(Kein Titel),596523:14:07\n,Gesamtzeit,596523:14:07\n"},
      // Each entry is one row whatever order or keys its lines have.
      {"Title1=A - B\nTitle2=C - D\nLength2=60\n", "A,B,\nC,D,00:01:00\n,Gesamtzeit,00:01:00\n"},
      {"Length1=60\nTitle1=A - B\n", "A,B,00:01:00\n,Gesamtzeit,00:01:00\n"},
      {"Title1=Length - x\n", "Length,x,\n"},
      {"Title1=A\nTitle1=B\n", "(Kein Interpret),B,\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(Run(c.in), c.out) << c.in;
}

TEST_F(PlsTest, FormulaCountsEntries) {
  std::string in = "[playlist]\r\nTitle1=A - B\r\nLength1=10\r\nTitle2=C\r\nLength2=-1\r\nLength3=5\r\n";
  EXPECT_EQ(Run(in),
            "A,B,00:00:10\n(Kein Interpret),C,\n(Kein Interpret),(Kein Titel),00:00:05\n"
            ",Gesamtzeit,=SUMME(C1:C3)\n");
}

TEST_F(PlsTest, HtmlRowsAreWhole) {
  g_htmlFlag = 1;
  g_totalFlag = 0;
  EXPECT_EQ(Run("Length1=0\nTitle2=A & B - <C>\nLength2=1\n"),
            "<tr><td>(Kein Interpret)</td><td>(Kein Titel)</td><td></td></tr>\n"
            "<tr><td>A &amp; B</td><td>&lt;C&gt;</td><td>00:00:01</td></tr>\n");
}

TEST_F(PlsTest, LongAndCrOnlyLines) {
  g_totalFlag = 0;
  // Old Mac line ends: a lone CR ends a line.
  EXPECT_EQ(Run("[playlist]\rTitle1=A - B\rLength1=5\rFile2=x/y/C.mp3\r"),
            "A,B,00:00:05\n(Kein Interpret),C,\n");
  // A line of any length is one value, split where its text says.
  for (size_t n : {511u, 512u, 4095u, 10000u}) {
    std::string longLine = "Title1=" + std::string(n, 'x') + " - Song\nFile1=http://x/?" +
                           std::string(n, 't') + "&end=1\n";
    EXPECT_EQ(Run(longLine), std::string(510, 'x') + ",Song,\n") << n;
  }
}

TEST_F(PlsTest, EmptySourceWritesNothing) { EXPECT_EQ(Run(""), ""); }

// Lists as the players write them, over files beside the list: what the
// list does not say comes from the file.
TEST_F(PlsTest, FilesFillWhatTheListDoesNotSay) {
  g_totalFlag = 0;
  TempDir dir;
  WriteFile(dir / "tagged.mp3",
            Tag(Text("TIT2", "Titel") + Text("TPE1", "Band") + std::string(20, '\0')) +
                Fixture("cbr.mp3"));
  WriteFile(dir / "Hans - Walzer.wav", Fixture("tone.wav"));
  CopyText(g_opnFName, sizeof g_opnFName, (dir / "list.pls").c_str());
  std::string abs = dir / "Hans%20-%20Walzer.wav";
  struct { std::string in, out; } cases[] = {
      // Only FileN: tags, else the file name; the time from the media.
      {"[playlist]\nNumberOfEntries=3\nFile1=tagged.mp3\nFile2=Hans - Walzer.wav\n"
       "File3=gone/Artist/Album/Song.mp3\n",
       "Band,Titel,00:00:02\nHans,Walzer,00:00:01\nArtist,Song,\n"},
      // TitleN without an artist: the tags give both names.
      {"X-GNOME-Title=Party\nFile1=tagged.mp3\nTitle1=Irgendwas\n", "Band,Titel,00:00:02\n"},
      // ... and without tags the title stands.
      {"File1=Hans - Walzer.wav\nTitle1=Mein Lied\nLength1=-1\n",
       "(Kein Interpret),Mein Lied,00:00:01\n"},
      // TitleN with an artist stands; no LengthN: the media's time.
      {"File1=tagged.mp3\nTitle1=X - Y\n", "X,Y,00:00:02\n"},
      // Both given: the file is not asked.
      {"File1=tagged.mp3\nTitle1=X - Y\nLength1=100\n", "X,Y,00:01:40\n"},
      // LengthN wins over the media.
      {"File1=tagged.mp3\nLength1=100\n", "Band,Titel,00:01:40\n"},
      {"File1=file://" + abs + "\n", "Hans,Walzer,00:00:01\n"},
      {"File1=http://radio\nTitle1=Radio Eins\nLength1=-1\n", "(Kein Interpret),Radio Eins,\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(Run(c.in), c.out) << c.in;
}
