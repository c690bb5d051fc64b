#include <gtest/gtest.h>

#include <string>

#include "support.h"

namespace {
struct PlsTest : ::testing::Test {
  void SetUp() override {
    FreshSettings();
    g_tfmtFlag = 0;  // import text shows the pieces plainly
  }
  std::string Run(const std::string& in) { return RunReader(plsOutputLine, in); }
};
}  // namespace

TEST_F(PlsTest, TitleLinesSplitIntoArtistAndTitle) {
  g_totalFlag = 0;
  struct { const char* line; const char* out; } cases[] = {
      {"Title1=Artist - Song", "Artist ,Song,"},
      {"Title1=Artist - Song [Live]", "(Kein Interpret),Artist - Song [Live],"},
      {"Title1=[01] Artist - Song", "[01],Artist - Song,"},
      {"Title1=A - B - C", "A - B ,C,"},
      {"Title1=Artist - ", "Artist ,,"},
      {"Title1=", "(Kein Interpret),,"},
      {"Title1=Song.mp3", "(Kein Interpret),Song,"},
      {"Title1=Band - Song.mp3", "Band ,Song,"},
      {"Title1=a=b", "(Kein Interpret),a=b,"},
      {"title1=Song", ""},
      {"Title1 Song", ""},
      {"File1=C:\\Title Track.mp3", "(Kein Interpret),C:\\Title Track,"},
      {"[playlist]", ""},
      {"NumberOfEntries=3", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(Run(std::string(c.line) + "\n"), c.out) << c.line;
}

TEST_F(PlsTest, LengthLinesGiveTimePartsAndCount) {
  g_formlFlag = 0;
  struct { const char* in; const char* out; } cases[] = {
      {"Title1=Artist - Song\nLength1=215\n", "Artist ,Song,00:03:35\n,Gesamtzeit,00:03:35"},
      {"Length1=-1\n", "\n"},
      {"Length1=0\n", "\n"},
      {"Length1\n", "\n"},
      {"Length1=3.5\n", "00:00:03\n,Gesamtzeit,00:00:03"},
      {"Length1=99999999999\n", "596523:14:07\n,Gesamtzeit,596523:14:07"},
      // An entry without Length leaves its row open for the next name part.
      {"Title1=A - B\nTitle2=C - D\nLength2=60\n", "A ,B,C ,D,00:01:00\n,Gesamtzeit,00:01:00"},
      // "Title" is tested first.
      {"Title1=Length - x\n", "Length ,x,"},
  };
  for (const auto& c : cases) EXPECT_EQ(Run(c.in), c.out) << c.in;
}

TEST_F(PlsTest, FormulaCountsLengthLinesNotTitles) {
  std::string in = "[playlist]\r\nTitle1=A - B\r\nLength1=10\r\nTitle2=C\r\nLength2=-1\r\nLength3=5\r\n";
  EXPECT_EQ(Run(in), "A ,B,00:00:10\n(Kein Interpret),C,\n00:00:05\n,Gesamtzeit,=SUMME(C1:C3)");
}

TEST_F(PlsTest, HtmlPiecesAndRaggedRows) {
  g_htmlFlag = 1;
  g_totalFlag = 0;
  EXPECT_EQ(Run("Length1=0\nTitle2=A & B - <C>\nLength2=1\n"),
            "<td></td></tr>\n<tr><td>A &amp; B </td><td>&lt;C&gt;</td><td>00:00:01</td></tr>\n");
}

TEST_F(PlsTest, BareCrSourcesAreReadIn510CharacterPieces) {
  g_totalFlag = 0;
  std::string in = "Title1=A - B\rLength1=5\r";
  // One line: the title holds the rest, and its CRs make it a quoted field.
  EXPECT_EQ(Run(in), "A ,\"B\rLength1=5\r\",");
  std::string longLine = "Title1=" + std::string(600, 'x') + " - Song\n";
  // The first piece holds no " - "; the second holds no "Title": one name part.
  EXPECT_EQ(Run(longLine), "(Kein Interpret)," + std::string(503, 'x') + ",");
}

TEST_F(PlsTest, EmptySourceWritesNothing) { EXPECT_EQ(Run(""), ""); }
