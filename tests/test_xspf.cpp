// The XML list readers: XSPF, WPL and ASX; the reader chosen by content.
#include <gtest/gtest.h>

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "base/text.h"
#include "engine/convert.h"
#include "engine/messages.h"
#include "id3_tags.h"

using namespace id3;

namespace {
// Import text with tabs and no total line: one "artist\ttitle\ttime" per row.
struct XmlListTest : ::testing::Test {
  TempDir dir;
  int32_t badLine = -1;
  ConvertResult result = CONVERT_WRITTEN;

  void SetUp() override {
    PlainImportSettings();
    mkdir((dir / "Music").c_str(), 0755);
    mkdir((dir / "lists").c_str(), 0755);
  }
  std::string ConvertPath(const std::string& path) {
    CopyText(g_opnFName, MAXPATH, path.c_str());
    return Captured([this](FILE* out) {
      RunReport report;
      result = ConvertToStream(TakeRunSettings(), out, &report);
      badLine = report.badLine;
    });
  }
  std::string Xspf(const std::string& tracks, bool wrap = true) {
    WriteFile(dir / "l.xspf", wrap ? "<?xml version=\"1.0\"?>\n<playlist version=\"1\" "
                                     "xmlns=\"http://xspf.org/ns/0/\">\n<trackList>\n" +
                                         tracks + "</trackList>\n</playlist>\n"
                                   : tracks);
    return ConvertPath(dir / "l.xspf");
  }
  std::string Wpl(const std::string& media) {
    WriteFile(dir / "lists/l.wpl", "<?wpl version=\"1.0\"?>\r\n<smil><head><title>L</title>"
                                   "</head>\r\n<body>\r\n<seq>\r\n" + media +
                                       "</seq>\r\n</body>\r\n</smil>\r\n");
    return ConvertPath(dir / "lists/l.wpl");
  }
  void Media(const std::string& name, const std::string& tags) {
    std::string fixture = MIRTUN_SOURCE_DIR "/tests/data/";
    WriteFile(dir / name, tags.empty() ? ReadFile(fixture + "tone.wav")
                                       : Tag(tags + std::string(20, '\0')) +
                                             ReadFile(fixture + "cbr.mp3"));
  }
};
const char kNoNames[] = "(Kein Interpret)\t";
}  // namespace

// Tracks whose texts stand in the list: which elements count and how.
TEST_F(XmlListTest, XspfTrackTexts) {
  const struct { std::string tracks, rows; } cases[] = {
      {"<track><title>T</title><creator>A</creator><duration>215999</duration></track>",
       "A\tT\t00:03:35\n"},
      {"<track><title>\n\t Caf&#233; &#x263A; </title><creator> A &amp; B </creator></track>",
       "A & B\tCaf\xC3\xA9 \xE2\x98\xBA\t00:00:00\n"},
      // Nothing inside skipped elements counts, however deep.
      {"<track xmlns:v=\"urn:v\"><extension application=\"x\"><title>No</title></extension>"
       "<album>No</album><meta rel=\"x\">No</meta><v:title>No</v:title><title>T</title>"
       "<v:id>1</v:id><annotation><creator>No</creator></annotation></track>",
       std::string(kNoNames) + "T\t00:00:00\n"},
      // The first of a repeated element counts; an empty one is not given.
      {"<track><title>1</title><title>2</title></track><track><title> </title></track>",
       std::string(kNoNames) + "1\t00:00:00\n" + kNoNames + "(Kein Titel)\t00:00:00\n"},
      {"<track><title>a</title><duration>999</duration></track>"
       "<track><title>b</title><duration>-5000</duration></track>"
       "<track><title>c</title><duration>abc</duration></track>",
       std::string(kNoNames) + "a\t00:00:00\n" + kNoNames + "b\t00:00:00\n" + kNoNames +
           "c\t00:00:00\n"},
      // A location that names no file fills in as a list line; the first counts.
      {"<track><location>file:///m/Die%20%C3%84rzte/Album/01%20Westerland.mp3</location>"
       "<location>/m/Other/Album/02 Other.mp3</location><duration>60000</duration></track>",
       "Die \xC3\x84rzte\t01 Westerland\t00:01:00\n"},
      {"<track><location>http://radio/live?a=1&amp;b=2</location></track>",
       std::string(kNoNames) + "http://radio/live?a=1&b=2\t00:00:00\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(Xspf(c.tracks), c.rows) << c.tracks;
}

// Where tracks are looked for, and documents of other shapes and encodings.
TEST_F(XmlListTest, XspfDocuments) {
  const std::string row = std::string(kNoNames) + "T\t00:00:00\n";
  const struct { std::string doc, rows; } cases[] = {
      {"<playlist><trackList><track><title>T</title></track></trackList></playlist>", row},
      // The list's own title and tracks outside a trackList are no rows.
      {"<playlist><title>No</title><track><title>No</title></track><trackList/></playlist>", ""},
      // A namespace that only starts like XSPF's is another one.
      {"<playlist xmlns=\"http://xspf.org/ns/0\"><trackList><track><title>T</title></track>"
       "</trackList></playlist>", ""},
      {"<?xml version=\"1.0\" encoding=\"windows-1252\"?><playlist><trackList><track><title>"
       "\x80</title></track></trackList></playlist>",
       std::string(kNoNames) + "\xE2\x82\xAC\t00:00:00\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(Xspf(c.doc, false), c.rows) << c.doc;
}

// A text too long for a buffer is cut between characters, and nothing after
// the cut joins it (expat hands "&amp;" on as a piece of its own).
TEST_F(XmlListTest, LongTextsAreCutBetweenCharacters) {
  std::string title;
  for (int k = 0; k < 600; ++k) title += "\xC3\xA9";
  std::string out = Xspf("<track><title>xy" + title + "&amp;z</title></track>");
  EXPECT_EQ(out, kNoNames + ("xy" + title.substr(0, 508)) + "\t00:00:00\n");
}

// Missing texts come from the file that the first location names.
TEST_F(XmlListTest, XspfFillsMissingTextsFromFiles) {
  Media("Music/Artist - Title.wav", "");
  Media("Music/tagged.mp3", Text("TIT2", "Titel") + Text("TPE1", "Band"));
  const std::string wav = "<location>file://" + dir.path + "/Music/Artist%20-%20Title.wav</location>";
  const struct { std::string track, row; } cases[] = {
      {"<location>Music/Artist%20-%20Title.wav</location>", "Artist\tTitle\t00:00:01\n"},
      {wav, "Artist\tTitle\t00:00:01\n"},
      {wav + "<title>T</title>", "Artist\tT\t00:00:01\n"},
      {wav + "<creator>A</creator><duration>5000</duration>", "A\tTitle\t00:00:05\n"},
      {"<location>Music/tagged.mp3</location><title>T</title>", "Band\tT\t00:00:02\n"},
      {"<location>Music/gone.mp3</location><location>Music/tagged.mp3</location>",
       std::string(kNoNames) + "gone\t00:00:00\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(Xspf("<track>" + c.track + "</track>"), c.row) << c.track;
}

// A track that says everything leaves its file alone: nothing in the folder
// is opened. The same track without its creator opens the file.
TEST_F(XmlListTest, FullTracksAreNotLookedUp) {
  Media("Music/a.mp3", Text("TPE1", "Band"));
  int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_GE(inotify_add_watch(fd, (dir / "Music").c_str(), IN_OPEN | IN_ACCESS), 0);
  char events[4096];
  std::string track = "<location>Music/a.mp3</location><title>T</title><duration>7000</duration>";
  EXPECT_EQ(Xspf("<track>" + track + "<creator>A</creator></track>"), "A\tT\t00:00:07\n");
  EXPECT_LT(read(fd, events, sizeof events), 0);
  EXPECT_EQ(Xspf("<track>" + track + "</track>"), "Band\tT\t00:00:07\n");
  EXPECT_GT(read(fd, events, sizeof events), 0);
  close(fd);
}

// WPL: each src of a media in a seq of the body reads as a plain list line.
TEST_F(XmlListTest, WplMediaEntries) {
  Media("Music/Artist - Title.wav", "");
  Media("Music/R&B.mp3", Text("TIT2", "Titel") + Text("TPE1", "Band"));
  const struct { std::string media, rows; } cases[] = {
      {"<media src=\"..\\Music\\Artist - Title.wav\" tid=\"{1}\"/>\r\n", "Artist\tTitle\t00:00:01\n"},
      // The player's own fields stand; what they lack comes from the file.
      {"<media src=\"../Music/R&amp;B.mp3\" trackTitle=\"Own\" duration=\"9000\"/>",
       "Band\tOwn\t00:00:09\n"},
      {"<media src=\"x.mp3\" trackTitle=\"T\" trackArtist=\"A\" duration=\"61000\"/>",
       "A\tT\t00:01:01\n"},
      {"<media src=\"..\\Artist\\Album\\01 Song.mp3\"/><media src=\"http://x/live\"/>",
       "Artist\t01 Song\t00:00:00\n" + std::string(kNoNames) + "http://x/live\t00:00:00\n"},
      {"<media/><media src=\" \"/><smartPlaylist><media src=\"No\"/></smartPlaylist>"
       "<media src=\"a.mp3\"><media src=\"No\"/></media></seq><par><audio src=\"b.mp3\"/></par><seq>",
       std::string(kNoNames) + "a\t00:00:00\n" + kNoNames + "b\t00:00:00\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(Wpl(c.media), c.rows) << c.media;
}

// ASX: one row per entry, element and attribute names in any case; the INI
// form gives one row per RefN.
TEST_F(XmlListTest, AsxEntries) {
  Media("Music/Artist - Title.wav", "");
  const struct { const char* ext; std::string doc, rows; } cases[] = {
      {"asx", "<ASX version=\"3.0\"><Title>List</Title><Author>Me</Author>\r\n<Entry><Title>T</Title>"
              "<Author>A</Author><Ref HREF = \"http://x/1\"/><ref href=\"http://x/2\"/>"
              "<Duration value=\"00:03:05.500\"/></Entry></ASX>",
       "A\tT\t00:03:05\n"},
      {"wax", "<asx><entry><ref href=\"../Music/Artist - Title.wav\"/></entry>"
              "<entryref href=\"other.asx\"/><repeat><entry><title>Loop</title>"
              "<duration value=\"1:02\"/></entry></repeat></asx>",
       "Artist\tTitle\t00:00:01\n" + std::string(kNoNames) + "Loop\t00:01:02\n"},
      {"wvx", "[Reference]\r\nRef1=http://a/x?MSWMExt=.asf\r\nRef2=http://b/y\r\n",
       std::string(kNoNames) + "http://a/x?MSWMExt=.asf\t00:00:00\n" + kNoNames +
           "http://b/y\t00:00:00\n"},
      {"asx", "<smil><body><audio src=\"x\"/></body></smil>", ""},
  };
  for (const auto& c : cases) {
    WriteFile(dir / "lists/l." + c.ext, c.doc);
    EXPECT_EQ(ConvertPath(dir / "lists/l." + c.ext), c.rows) << c.doc;
  }
}

// Where the name says nothing, the first bytes choose the reader; a source
// that is no list at all is refused before anything is written.
TEST_F(XmlListTest, ReaderChosenByContent) {
  const std::string xspf = "<?xml version=\"1.0\"?>\n<playlist version=\"1\" "
                           "xmlns=\"http://xspf.org/ns/0/\"><trackList><track><title>X</title>"
                           "</track></trackList></playlist>\n";
  const std::string plist =
      "<?xml version=\"1.0\"?>\n<!DOCTYPE plist>\n<plist version=\"1.0\"><dict><key>Tracks</key>"
      "<dict><key>1</key><dict><key>Name</key><string>N</string><key>Artist</key>"
      "<string>A</string><key>Total Time</key><integer>61000</integer></dict></dict></dict>"
      "</plist>\n";
  auto utf16 = [](const std::u16string& t) {
    std::string r = "\xFF\xFE";
    for (char16_t c : t) r += {char(c & 0xFF), char(c >> 8)};
    return r;
  };
  const struct { const char* name; std::string bytes, rows; ConvertResult result; } cases[] = {
      {"l.m3u", xspf, std::string(kNoNames) + "X\t00:00:00\n", CONVERT_WRITTEN},
      {"l.txt", plist, "A\tN\t00:01:01\n", CONVERT_WRITTEN},
      {"liste", "\n[Playlist]\nFile1=http://s\nTitle1=A - B\n", "A\tB\t\n", CONVERT_WRITTEN},
      {"l.m3u", "<smil><body><media src=\"http://s\"/></body></smil>",
       std::string(kNoNames) + "http://s\t00:00:00\n", CONVERT_WRITTEN},
      {"l.m3u", "<ASX version=\"3.0\"><Entry><Title>T</Title></Entry></ASX>",
       std::string(kNoNames) + "T\t00:00:00\n", CONVERT_WRITTEN},
      {"l", "[Reference]\nRef1=http://s\n", std::string(kNoNames) + "http://s\t00:00:00\n",
       CONVERT_WRITTEN},
      {"l.m3u", utf16(u"#EXTM3U\r\n#EXTINF:5,Gr\u00F6\u00DFe - Lied\r\nhttp://s\r\n"),
       "Gr\xC3\xB6\xC3\x9F" "e\tLied\t00:00:05\n", CONVERT_WRITTEN},
      {"song.mp3", std::string("ID3\x03\0\0\0\0\0\x10", 10) + "TIT2", "", CONVERT_NOT_PLAYLIST},
      {"song.m4a", "\x01\x01\x01\x20" "ftypM4A ", "", CONVERT_NOT_PLAYLIST},
      {"l.pls", std::string("[playlist]\nFile1=a\0b\n", 21), "", CONVERT_NOT_PLAYLIST},
      {"l.xspf", "OggS\0\x02", "", CONVERT_NOT_PLAYLIST},
  };
  const std::string target = dir / "out.txt";
  for (const auto& c : cases) {
    WriteFile(dir / c.name, c.bytes);
    EXPECT_EQ(ConvertPath(dir / c.name), c.rows) << c.name;
    EXPECT_EQ(result, c.result) << c.name;
    if (c.result == CONVERT_WRITTEN) continue;
    WriteFile(target, "before");
    EXPECT_EQ(ConvertToFile(TakeRunSettings(), target.c_str(), true), c.result) << c.name;
    EXPECT_EQ(ReadFile(target), "before");
    char text[MSGSIZE];
    EXPECT_STREQ(ResultMessage(c.result, g_opnFName, target.c_str(), text, sizeof text),
                 "Quelldatei lesen");
    EXPECT_EQ(std::string(text), "Die Quelldatei " + std::string(c.name) + " ist keine Playlist.");
  }
}

// A document that is not well-formed: the conversion stops at the damage,
// keeps the target as it was and names the line.
TEST_F(XmlListTest, DamagedDocuments) {
  const struct { const char* name; std::string doc; int32_t line; } cases[] = {
      {"l.xspf", "<playlist>\n<trackList><track><title>T</title>\n<creator>A</title>", 3},
      {"l.xspf", "<playlist>\n<trackList>\n<track><title>T", 3},
      {"l.xspf", "<playlist>\n<vlc:id>1</vlc:id></playlist>", 2},
      {"L.XSPF", "", 1},
      // Entity declarations are refused before they can expand.
      {"l.xspf", "<!DOCTYPE playlist [\n<!ENTITY a \"aaaaaaaa\">\n<!ENTITY b \"&a;&a;&a;&a;\">\n"
       "]>\n<playlist><title>&b;</title></playlist>", 2},
      {"l.wpl", "<smil>\r\n<body>\r\n<seq><media src=a.mp3/></seq></body></smil>", 3},
  };
  char text[MSGSIZE];
  for (const auto& c : cases) {
    const std::string source = dir / c.name;
    const std::string target = dir / "out.txt";
    WriteFile(source, c.doc);
    WriteFile(target, "before");
    CopyText(g_opnFName, MAXPATH, source.c_str());
    RunReport report;
    EXPECT_EQ(ConvertToFile(TakeRunSettings(), target.c_str(), true, &report),
              CONVERT_SOURCE_DAMAGED) << c.doc;
    EXPECT_EQ(ReadFile(target), "before") << c.doc;
    ResultMessage(CONVERT_SOURCE_DAMAGED, source.c_str(), target.c_str(), text, sizeof text,
                  &report);
    EXPECT_EQ(text, "Die Quelldatei " + std::string(c.name) + " ist besch\xC3\xA4" "digt (Zeile " +
                        std::to_string(c.line) + ").") << c.doc;
  }
}

// Rows before the damage reach a stream, the total line never; a whole
// document without tracks ends as any empty list does.
TEST_F(XmlListTest, TotalLineOnlyForWholeDocuments) {
  g_totalFlag = 1;
  std::string track = "<track><title>T</title><duration>60000</duration></track>\n";
  std::string row = std::string(kNoNames) + "T\t00:01:00\n";
  EXPECT_EQ(Xspf(track), row + "\tGesamtzeit\t00:01:00\n");
  EXPECT_EQ(Xspf(track + track + "<track>"), row + row);
  EXPECT_EQ(result, CONVERT_SOURCE_DAMAGED);
  EXPECT_EQ(badLine, 6);
  g_htmlFlag = 1;
  EXPECT_EQ(RunReader(xspfOutputLine, "<playlist/>"), RunReader(OutputLine, ""));
  EXPECT_EQ(RunReader(wplOutputLine, "<smil><body><seq/></body></smil>"), RunReader(OutputLine, ""));
}

// Every XSPF and WPL list of the shared test data converts, and no row is
// made of markup.
TEST_F(XmlListTest, SharedTestData) {
  const std::string root = MIRTUN_SOURCE_DIR "/../shared/testdata/playlists";
  struct stat st;
  if (stat(root.c_str(), &st) != 0) GTEST_SKIP() << root << " is not there";
  int lists = 0;
  for (const auto& e : std::filesystem::recursive_directory_iterator(root)) {
    std::string ext = e.path().extension().string();
    if (!e.is_regular_file() || (ext != ".xspf" && ext != ".wpl" && ext != ".zpl")) continue;
    ++lists;
    std::string out = ConvertPath(e.path().string());
    EXPECT_EQ(result, CONVERT_WRITTEN) << e.path();
    EXPECT_EQ(out.find('<'), std::string::npos) << e.path() << ": " << out;
  }
  EXPECT_GT(lists, 0);
}
