#include <gtest/gtest.h>

#include <dirent.h>

#include <string>

#include "support.h"

namespace {
struct XmlTest : ::testing::Test {
  void SetUp() override {
    FreshSettings();
    g_tfmtFlag = 0;
    g_formlFlag = 0;
  }
  std::string Run(const std::string& in) { return RunReader(xmlOutputLine, in); }
};

std::string Name(const std::string& v) { return "<key>Name</key><string>" + v + "</string>\n"; }
std::string Artist(const std::string& v) { return "<key>Artist</key><string>" + v + "</string>\n"; }
std::string Time(const std::string& v) { return "<key>Total Time</key><integer>" + v + "</integer>\n"; }
}  // namespace

TEST_F(XmlTest, LinesWithoutDictsFollowTheLastNames) {
  struct { std::string in; std::string out; } cases[] = {
      {Name("Song") + Artist("Band") + Time("215000"), "Band,Song,00:03:35\n,Gesamtzeit,00:03:35\n"},
      {Time("215000"), "(Kein Interpret),(Kein Titel),00:03:35\n,Gesamtzeit,00:03:35\n"},
      {Time("999"), "(Kein Interpret),(Kein Titel),00:00:00\n"},
      // A negative time counts as none, and takes nothing from the total.
      {Time("-5000") + Time("3000"),
       "(Kein Interpret),(Kein Titel),00:00:00\n(Kein Interpret),(Kein Titel),00:00:03\n"
       ",Gesamtzeit,00:00:03\n"},
      {Name("A") + Artist("X") + Time("1000") + Name("B") + Time("2000"),
       "X,A,00:00:01\nX,B,00:00:02\n,Gesamtzeit,00:00:03\n"},
      {"<key>Name</key><string>\nSong</string>\n" + Time("1000"), "(Kein Interpret),(Kein Titel),00:00:01\n,Gesamtzeit,00:00:01\n"},
      {"<key>Album Artist</key><string>X</string>\n<key>Sort Name</key><string>Y</string>\n" + Time("1000"),
       "(Kein Interpret),(Kein Titel),00:00:01\n,Gesamtzeit,00:00:01\n"},
      // Only the first of Name, Artist, Total Time counts on a line.
      {"<key>Total Time</key><integer>5000</integer><key>Name</key><string>N</string>\n", ""},
      {"<key>Total Time</key><integer>5000</integer><key>Artist</key><string>A</string>\n" + Time("0"),
       "A,(Kein Titel),00:00:00\n"},
      {"<key>Name</key><string>Open end\n" + Time("1000"), "(Kein Interpret),Open end,00:00:01\n,Gesamtzeit,00:00:01\n"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(Run(c.in), c.out) << c.in;
}

TEST_F(XmlTest, CharacterReferencesAreDecoded) {
  g_totalFlag = 0;
  struct { const char* value; const char* shown; } cases[] = {
      {"Rock &#38; Roll", "Rock & Roll"},
      {"&amp;lt;", "\"&lt;\""},  // a semicolon makes it a quoted field
      {"&lt;&gt;&apos;", "<>'"},
      {"&quot;x", "\"\"\"x\""},  // a quote makes it a quoted field
      {"Caf&#233;", "Caf\xC3\xA9"},
      {"&#x20AC; &#X20AC;", "\"\xE2\x82\xAC &#X20AC;\""},
      {"&#x1F3B5;", "\xF0\x9F\x8E\xB5"},
      {"&#0; &#xD800; &#x110000; &#99999999999;", "\"&#0; &#xD800; &#x110000; &#99999999999;\""},
      {"&nbsp; &#; &#x; &#12", "\"&nbsp; &#; &#x; &#12\""},
      {"&", "&"},
      // 2^32 + 65 must not wrap to "A".
      {"&#4294967361; &#x100000041;", "\"&#4294967361; &#x100000041;\""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Run(Name(c.value) + Time("0")), std::string("(Kein Interpret),") + c.shown + ",00:00:00\n")
        << c.value;
}

TEST_F(XmlTest, RowsBelongToTheirTrackDictInEitherKeyOrder) {
  const std::string older =
      "<dict>\n<key>Tracks</key>\n<dict>\n<key>1</key>\n<dict>\n" + Name("One") + Artist("A") +
      Time("61000") + "</dict>\n<key>2</key>\n<dict>\n" + Name("Two") + Time("62000") +
      "</dict>\n</dict>\n";
  const std::string newer =
      "<dict>\n<key>Tracks</key>\n<dict>\n<key>1</key>\n<dict>\n" + Time("61000") + Name("One") +
      Artist("A") + "</dict>\n<key>2</key>\n<dict>\n" + Time("62000") + Name("Two") +
      "</dict>\n</dict>\n";
  const std::string rows = "A,One,00:01:01\n(Kein Interpret),Two,00:01:02\n,Gesamtzeit,00:02:03\n";
  EXPECT_EQ(Run(older), rows);
  EXPECT_EQ(Run(newer), rows);
}

TEST_F(XmlTest, HeldRowsAreWrittenWhenTheDictCannotClose) {
  g_totalFlag = 0;
  // Another Total Time or a new dict comes first, or the source ends.
  EXPECT_EQ(Run("<dict>\n" + Time("1000") + Name("A") + Time("2000") + Name("B")),
            "(Kein Interpret),A,00:00:01\n(Kein Interpret),B,00:00:02\n");
  EXPECT_EQ(Run("<dict>\n" + Time("1000") + Name("A") + "<dict>\n" + Name("B") + "</dict>\n"),
            "(Kein Interpret),A,00:00:01\n");
  // Playlist dicts have a Name and no Total Time: no row.
  EXPECT_EQ(Run("<dict>\n" + Name("Bibliothek") + "<array>\n<dict><key>Track ID</key></dict>\n"), "");
  // A one-line dict, and a close and an open on one line.
  EXPECT_EQ(Run("<dict>" + Time("3000") + "</dict><dict>\n" + Name("N") + Time("4000") + "</dict>\n"),
            "(Kein Interpret),(Kein Titel),00:00:03\n(Kein Interpret),N,00:00:04\n");
  // The close of one track before the open and the time of the next.
  EXPECT_EQ(Run("<dict>\n" + Name("A") + Time("1000") +
                "</dict><dict><key>Total Time</key><integer>2000</integer>\n" + Name("B") +
                "</dict>\n"),
            "(Kein Interpret),A,00:00:01\n(Kein Interpret),B,00:00:02\n");
}

TEST_F(XmlTest, LongLinesAreReadInPieces) {
  g_totalFlag = 0;
  std::string pad(495, ' ');
  // The key text straddles the 510-character boundary: not found.
  EXPECT_EQ(Run(pad + "<key>Total Time</key><integer>1000</integer>\n"), "");
  // In the second piece it is found.
  EXPECT_EQ(Run(std::string(510, ' ') + Time("1000")), "(Kein Interpret),(Kein Titel),00:00:01\n");
  // A zero byte ends a line's text.
  EXPECT_EQ(Run(std::string("x\0", 2) + Time("1000")), "");
  // Old Mac line ends: a lone CR ends a line.
  EXPECT_EQ(Run("<dict>\r<key>Name</key><string>A</string>\r"
                "<key>Total Time</key><integer>1000</integer>\r</dict>\r"),
            "(Kein Interpret),A,00:00:01\n");
}

TEST_F(XmlTest, RealLibraryExportsConvert) {
  std::string dir = std::string(MIRTUN_SOURCE_DIR) + "/../shared/testdata/xml";
  DIR* d = opendir(dir.c_str());
  if (!d) GTEST_SKIP() << "no shared test data";
  int files = 0;
  std::string all;
  std::vector<std::string> paths;
  std::vector<std::string> stack{dir};
  while (!stack.empty()) {
    std::string cur = stack.back();
    stack.pop_back();
    DIR* dd = opendir(cur.c_str());
    if (!dd) continue;
    while (dirent* e = readdir(dd)) {
      std::string n = e->d_name;
      if (n == "." || n == "..") continue;
      std::string p = cur + "/" + n;
      if (e->d_type == DT_DIR) stack.push_back(p);
      else paths.push_back(p);
    }
    closedir(dd);
  }
  closedir(d);
  g_htmlFlag = 1;
  for (const auto& p : paths) {
    std::string out = RunReader(xmlOutputLine, ReadFile(p));
    // Every row opens and closes; nothing of the markup leaks into a cell.
    size_t opens = 0, closes = 0;
    for (size_t k = out.find("<tr>"); k != std::string::npos; k = out.find("<tr>", k + 1)) ++opens;
    for (size_t k = out.find("</tr>"); k != std::string::npos; k = out.find("</tr>", k + 1)) ++closes;
    EXPECT_EQ(opens, closes) << p;
    EXPECT_EQ(out.find("&#38;"), std::string::npos) << p;
    all += out;
    ++files;
  }
  EXPECT_GT(files, 0);
  // Library exports write Total Time before Name: the names must be the
  // track's own. In these exports every track with a time has a name.
  EXPECT_EQ(all.find("<tr><td>(Kein Interpret)</td><td>(Kein Titel)</td>"), std::string::npos);
}
