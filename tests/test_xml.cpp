#include <gtest/gtest.h>

#include <dirent.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support.h"

namespace {
// How an export lays out its keys: one key and its value per line (the
// music application), each on a line of its own (plistlib), or no line
// breaks at all.
enum Layout { ONE_LINE, SEPARATE, COMPACT };

struct XmlTest : ::testing::Test {
  Layout layout = ONE_LINE;
  int result = -1;
  void SetUp() override {
    FreshSettings();
    g_tfmtFlag = 0;
    g_formlFlag = 0;
  }
  std::string Run(const std::string& in) { return RunReader(xmlOutputLine, in, ",", 1 << 20, &result); }
  std::string Key(const std::string& key, const std::string& type, const std::string& v) const {
    std::string value = "<" + type + ">" + v + "</" + type + ">";
    if (layout == COMPACT) return "<key>" + key + "</key>" + value;
    if (layout == SEPARATE) return "\t\t\t<key>" + key + "</key>\n\t\t\t" + value + "\n";
    return "\t\t\t<key>" + key + "</key>" + value + "\n";
  }
  std::string Name(const std::string& v) const { return Key("Name", "string", v); }
  std::string Artist(const std::string& v) const { return Key("Artist", "string", v); }
  std::string Time(const std::string& v) const { return Key("Total Time", "integer", v); }
  std::string Track(int id, const std::string& keys) const {
    std::string n = std::to_string(id);
    return "<key>" + n + "</key><dict>" + Key("Track ID", "integer", n) + keys + "</dict>\n";
  }
  // A whole export: the tracks, then the playlists.
  std::string Export(const std::string& tracks, const std::string& playlists = "") const {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE plist PUBLIC \"-//Apple "
           "Computer//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
           "<plist version=\"1.0\">\n<dict>\n" + Key("Major Version", "integer", "1") +
           "<key>Tracks</key>\n<dict>\n" + tracks + "</dict>\n<key>Playlists</key>\n<array>\n" +
           playlists + "</array>\n</dict>\n</plist>\n";
  }
  std::string Playlist(const std::string& name, bool master, std::vector<int> ids) const {
    std::string items;
    for (int id : ids) items += "<dict>" + Key("Track ID", "integer", std::to_string(id)) + "</dict>\n";
    return "<dict>" + Name(name) + (master ? "<key>Master</key><true/>" : "") +
           Key("Playlist ID", "integer", "99") + "<key>Playlist Items</key>\n<array>\n" + items +
           "</array>\n</dict>\n";
  }
};
}  // namespace

// A row per track with a time, its names its own in either key order; the
// same in every layout.
TEST_F(XmlTest, TracksInEveryLayout) {
  for (Layout l : {ONE_LINE, SEPARATE, COMPACT}) {
    layout = l;
    const struct { std::string tracks, out; } cases[] = {
        {Track(1, Name("Song") + Artist("Band") + Time("215000")),
         "Band,Song,00:03:35\n,Gesamtzeit,00:03:35\n"},
        {Track(1, Time("215000")), "(Kein Interpret),(Kein Titel),00:03:35\n,Gesamtzeit,00:03:35\n"},
        {Track(1, Time("999")), "(Kein Interpret),(Kein Titel),00:00:00\n"},
        // A negative time counts as none, and takes nothing from the total.
        {Track(1, Time("-5000")) + Track(2, Time("3000")),
         "(Kein Interpret),(Kein Titel),00:00:00\n(Kein Interpret),(Kein Titel),00:00:03\n"
         ",Gesamtzeit,00:00:03\n"},
        // Current exports write the time first; a track without time gives
        // no row; the last of a repeated key counts.
        {Track(1, Time("61000") + Name("One") + Artist("A")) + Track(2, Name("No time")) +
             Track(3, Name("X") + Time("62000") + Name("Two") + Key("Album Artist", "string", "B")),
         "A,One,00:01:01\n(Kein Interpret),Two,00:01:02\n,Gesamtzeit,00:02:03\n"},
        {Track(1, Name(" Blanks kept ") + Time("1000")), "(Kein Interpret), Blanks kept ,00:00:01\n"
                                                         ",Gesamtzeit,00:00:01\n"},
        {"", ""},
    };
    for (const auto& c : cases)
      EXPECT_EQ(Run(Export(c.tracks, Playlist("Bibliothek", true, {1, 2}))), c.out) << l << c.tracks;
  }
}

TEST_F(XmlTest, CharacterReferencesAreDecoded) {
  g_totalFlag = 0;
  struct { const char* value; const char* shown; } cases[] = {
      {"Rock &#38; Roll", "Rock & Roll"},
      {"&amp;lt;", "\"&lt;\""},  // a semicolon makes it a quoted field
      {"&lt;&gt;&apos;", "<>'"},
      {"&quot;x", "\"\"\"x\""},  // a quote makes it a quoted field
      {"Caf&#233;", "Caf\xC3\xA9"},
      {"&#x20AC;", "\xE2\x82\xAC"},
      {"&#x1F3B5;", "\xF0\x9F\x8E\xB5"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Run(Export(Track(1, Name(c.value) + Time("0")))),
              std::string("(Kein Interpret),") + c.shown + ",00:00:00\n")
        << c.value;
}

// The export of one playlist lists its tracks in the playlist's order; a
// library (its first playlist the master) or several playlists keep the
// order of the tracks.
TEST_F(XmlTest, SinglePlaylistInItsOrder) {
  g_totalFlag = 0;
  const std::string tracks = Track(1, Name("A") + Time("1000")) + Track(2, Name("B") + Time("2000")) +
                             Track(3, Name("C") + Time("3000"));
  auto rows = [](const std::string& names) {
    std::string out;
    for (char n : names) out += std::string("(Kein Interpret),") + n + ",00:00:0" + char('1' + n - 'A') + "\n";
    return out;
  };
  EXPECT_EQ(Run(Export(tracks, Playlist("Mix", false, {3, 1, 7, 3}))), rows("CAC"));
  EXPECT_EQ(Run(Export(tracks, Playlist("Mediathek", true, {3, 1}))), rows("ABC"));
  EXPECT_EQ(Run(Export(tracks, Playlist("Mix", false, {3, 1}) + Playlist("Zwei", false, {2}))),
            rows("ABC"));
  EXPECT_EQ(Run(Export(tracks)), rows("ABC"));
}

// A Name that only repeats the file's name, without an Artist, gives way to
// the file or its path; the export's time stays.
TEST_F(XmlTest, FileNamesAsNames) {
  g_totalFlag = 0;
  TempDir dir;
  WriteFile(dir / "Kraftwerk - Das Model.wav", ReadFile(MIRTUN_SOURCE_DIR "/tests/data/tone.wav"));
  const std::string url = "file://" + dir.path + "/Kraftwerk%20-%20Das%20Model.wav";
  const std::string gone = "file:///Musik/Falco/Falco%203/Jeanny.mp3";
  auto loc = [&](const std::string& u) { return Key("Location", "string", u); };
  EXPECT_EQ(Run(Export(Track(1, Name("Kraftwerk - Das Model") + Time("5000") + loc(url)) +
                       Track(2, Name("Jeanny") + Time("6000") + loc(gone)) +
                       Track(3, Name("Jeanny") + Artist("Falco") + Time("7000") + loc(gone)))),
            "Kraftwerk,Das Model,00:00:05\nFalco,Jeanny,00:00:06\nFalco,Jeanny,00:00:07\n");
}

// Not well-formed: damaged, with the line; no total line.
TEST_F(XmlTest, DamagedExports) {
  const struct { std::string doc; int line; } cases[] = {
      {Export(Track(1, Name("A &#0; B") + Time("1000"))), 8},
      {"<plist><dict>\n<key>Tracks</key><dict>\n<key>1</key><dict><key>Name</key><string>A</dict>", 3},
      {"<key>Total Time</key><integer>1</integer>\n<key>Name</key>", 2},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Run(c.doc).find("Gesamtzeit"), std::string::npos) << c.doc;
    EXPECT_EQ(result, READ_DAMAGED) << c.doc;
  }
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
  // Among them an export with every key and value on lines of their own.
  EXPECT_GT(std::count(all.begin(), all.end(), '\n'), 400);
}
