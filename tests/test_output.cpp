#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "engine/output.h"
#include "support.h"

namespace {
std::string Capture(void (*write)(FILE*)) {
  char* buf = nullptr;
  size_t len = 0;
  FILE* out = open_memstream(&buf, &len);
  write(out);
  std::fclose(out);
  std::string s(buf, len);
  std::free(buf);
  return s;
}

// One row in the style the settings give at the moment of the call.
std::string Row(const char* artist, const char* title, const char* time,
                const char* sep = ",") {
  static const char *a, *t, *tm;
  static RunSettings s;
  g_kommaFlag = sep[0] == ',';
  s = TakeRunSettings();
  a = artist, t = title, tm = time;
  return Capture([](FILE* f) {
    WriteNamePart(f, s, ColumnsFrom(s), a, t);
    WriteTimePart(f, s, tm);
  });
}

std::string Total(uint32_t tsum, int32_t i, const char* sep = ",") {
  static uint32_t sum;
  static int32_t n;
  static RunSettings s;
  g_kommaFlag = sep[0] == ',';
  s = TakeRunSettings();
  sum = tsum, n = i;
  return Capture([](FILE* f) { CreateTotalTime(f, s, sum, n); });
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
  EXPECT_EQ(Total(61, 1), std::string(38, ' ') + "Gesamtzeit: 00:01:01");
}

TEST_F(OutputTest, FormattedColumnsCountCharacters) {
  g_ColWArt = g_ColWTit = 12;
  std::string a = Row("Gr\xC3\xB6nemeyer", "Mensch", "00:00:00");
  std::string b = Row("Gronemeyer", "Mensch", "00:00:00");
  EXPECT_EQ(a.size(), b.size() + 1);  // one two-byte character, same columns
  EXPECT_EQ(a.find("Mensch"), b.find("Mensch") + 1);
  // A cut never splits a character: 11 characters of "ääää..." are 22 bytes.
  std::string many;
  for (int k = 0; k < 20; ++k) many += "\xC3\xA4";
  std::string row = Row(many.c_str(), "x", "t");
  EXPECT_EQ(row.substr(0, 23), many.substr(0, 22) + " ");
  // Latin-1 bytes count one each.
  EXPECT_EQ(Row("Gr\xF6nemeyer", "Mensch", "t").size(), b.size() - 7);
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
  EXPECT_EQ(Total(60, 1), "Gesamtzeit: " + std::string(38, ' ') + "00:01:00");
}

TEST_F(OutputTest, HtmlEscapesEveryText) {
  g_htmlFlag = 1;
  EXPECT_EQ(Row("AC<b>DC</b> & \"Co\"", "Tom's", "00:00:01"),
            "<tr><td>AC&lt;b&gt;DC&lt;/b&gt; &amp; &quot;Co&quot;</td>"
            "<td>Tom's</td><td>00:00:01</td></tr>\n");
}

TEST_F(OutputTest, ImportFieldsAreQuotedOnlyWhenNeeded) {
  g_tfmtFlag = 0;
  struct { const char* title; const char* sep; const char* row; } cases[] = {
      {"Hello, Goodbye", ",", "Band,\"Hello, Goodbye\",00:00:01\n"},
      {"Hello, Goodbye", "\t", "Band\tHello, Goodbye\t00:00:01\n"},
      {"Tab\there", "\t", "Band\t\"Tab\there\"\t00:00:01\n"},
      {"Say \"hi\"", ",", "Band,\"Say \"\"hi\"\"\",00:00:01\n"},
      {"a\rb", ",", "Band,\"a\rb\",00:00:01\n"},
      {"Plain", ",", "Band,Plain,00:00:01\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(Row("Band", c.title, "00:00:01", c.sep), c.row);
}

TEST_F(OutputTest, TotalLineVariants) {
  struct { int html, tfmt, forml, total; uint32_t sum; int32_t n; const char* line; } cases[] = {
      {1, 1, 1, 1, 215, 1, "<tr><td></td><td>Gesamtzeit</td><td>00:03:35</td></tr>\n"},
      {0, 1, 1, 1, 215, 1, "                                                Gesamtzeit: 00:03:35"},
      {0, 0, 1, 1, 215, 12, ",Gesamtzeit,=SUMME(C1:C12)"},
      {0, 0, 0, 1, 215, 12, ",Gesamtzeit,00:03:35"},
      {0, 0, 0, 1, 360000, 2, ",Gesamtzeit,100:00:00"},
      {0, 0, 0, 1, UINT32_MAX, 2, ",Gesamtzeit,1193046:28:15"},
      {0, 0, 0, 1, 0, 5, ""},    // no known times
      {0, 0, 0, 1, 215, 0, ""},  // no rows
      {1, 0, 0, 0, 215, 1, ""},  // switched off
  };
  for (const auto& c : cases) {
    g_htmlFlag = c.html, g_tfmtFlag = c.tfmt, g_formlFlag = c.forml, g_totalFlag = c.total;
    EXPECT_EQ(Total(c.sum, c.n), c.line);
  }
  g_htmlFlag = 0, g_tfmtFlag = 0, g_formlFlag = 1, g_totalFlag = 4;
  EXPECT_EQ(Total(215, 3, "\t"), "\tGesamtzeit\t=SUMME(C1:C3)");
}

TEST(FormatTime, AnySignedValueFits) {
  char buf[TIMEFMT_SIZE];
  FormatTime(buf, 215);
  EXPECT_STREQ(buf, "00:03:35");
  FormatTime(buf, 0);
  EXPECT_STREQ(buf, "00:00:00");
  FormatTime(buf, INT_MAX);
  EXPECT_STREQ(buf, "596523:14:07");
  FormatTime(buf, INT_MIN);
  EXPECT_STREQ(buf, "-596523:-14:-8");
}
