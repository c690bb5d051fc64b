// Lists as today's players write them, over a small music library built for
// each test: every row shows the artist, title and playing time that the
// listed file carries, or, for a file that is gone or a stream, what the list
// says of it.
//
// The library (below Music/, names with blanks and umlauts):
//   Die Ärzte/Das ist nicht die ganze Wahrheit/01 Westerland.mp3
//       ID3v2.4 tag in UTF-8, 2.56 s of audio (shown 2 s)
//   Herbert Grönemeyer/4630 Bochum/04 Männer.mp3
//       ID3v2.3 tag in UTF-16 with byte-order mark, 5.12 s (shown 5 s)
//   Nena/Nena/02 Nur geträumt.mp3
//       ID3v2.3 tag in Latin-1, 7.68 s (shown 7 s)
//   Kraftwerk/Die Mensch-Maschine/Kraftwerk - Das Model.wav
//       no tags: the names come from the file name; 1.25 s (shown 1 s)
// and a file that has been deleted: Falco/Falco 3/01 Rock Me Amadeus.mp3.
// Lists lie in the library's root, in Playlists/ beside Music/ and in
// Music/Playlists/.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/text.h"
#include "engine/convert.h"
#include "engine/readers.h"
#include "id3_tags.h"
#include "settings/settings.h"

using namespace id3;

namespace {

// A file of the library: its folder and name below Music/, and its row.
struct Song {
  const char* folder;
  const char* name;
  const char* row;
};

const Song kWesterland = {"Die Ärzte/Das ist nicht die ganze Wahrheit", "01 Westerland.mp3",
                          "Die Ärzte\tWesterland\t00:00:02\n"};
const Song kMaenner = {"Herbert Grönemeyer/4630 Bochum", "04 Männer.mp3",
                       "Herbert Grönemeyer\tMänner\t00:00:05\n"};
const Song kGetraeumt = {"Nena/Nena", "02 Nur geträumt.mp3", "Nena\tNur geträumt\t00:00:07\n"};
const Song kModel = {"Kraftwerk/Die Mensch-Maschine", "Kraftwerk - Das Model.wav",
                     "Kraftwerk\tDas Model\t00:00:01\n"};
// Not in the library: its rows come from what each list says of it.
const Song kGone = {"Falco/Falco 3", "01 Rock Me Amadeus.mp3", nullptr};

const char kStream[] = "https://stream.example.de/radioeins/live.mp3";
const char kStreamRow[] = "(Kein Interpret)\tradioeins vom rbb\t00:00:00\n";

// The four files of the library, in the order most lists below name them.
const std::string kAllFour =
    std::string(kWesterland.row) + kMaenner.row + kGetraeumt.row + kModel.row;

std::string Fixture(const char* name) {
  return ReadFile(std::string(MIRTUN_SOURCE_DIR "/tests/data/") + name);
}

// A version 2.3 text frame in UTF-16 with a little-endian byte-order mark.
std::string Utf16Frame(const std::string& id, const std::u16string& text) {
  return Frame(id, std::string("\x01\xFF\xFE", 3) + Utf16Le(text) + std::string(2, '\0'));
}

// UTF-8 text (code points below U+0100) as Latin-1 bytes.
std::string Latin1(const std::string& utf8) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(utf8.data());
  std::string out;
  for (size_t k = 0, n; k < utf8.size(); k += n) {
    n = Utf8CharLen(p + k, utf8.size() - k);
    out += static_cast<char>(Utf8Decode(p + k, n));
  }
  return out;
}

// A path as the players percent-encode it in a URI: every byte but the
// unreserved ones and "/" as %XX.
std::string Encoded(const std::string& path) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (char ch : path) {
    unsigned char c = static_cast<unsigned char>(ch);
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
        c == '-' || c == '.' || c == '_' || c == '~' || c == '/') {
      out += ch;
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

std::string Backslashed(std::string path) {
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

std::string Crlf(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

std::string Path(const Song& s) { return std::string(s.folder) + "/" + s.name; }

// One list as a player writes it and the listing it must give.
struct ListCase {
  const char* player;
  std::string list;  // below the library's root
  std::string text;
  std::string rows;
};

class Players : public ::testing::Test {
 protected:
  TempDir lib;
  TempDir out;
  std::string musicDir;  // the setting "Musikordner"

  void SetUp() override {
    ASSERT_FALSE(lib.path.empty());
    ASSERT_FALSE(out.path.empty());
    const std::string mp3 = Fixture("cbr.mp3");
    const std::string pad(20, '\0');
    Put(kWesterland, Tag(Text("TIT2", "Westerland", 3, 4) + Text("TPE1", "Die Ärzte", 3, 4) +
                             pad, 4) +
                         mp3);
    Put(kMaenner, Tag(Utf16Frame("TIT2", u"Männer") + Utf16Frame("TPE1", u"Herbert Grönemeyer") +
                      pad) +
                      Repeat(mp3, 2));
    Put(kGetraeumt, Tag(Text("TIT2", Latin1("Nur geträumt")) + Text("TPE1", "Nena") + pad) +
                        Repeat(mp3, 3));
    Put(kModel, Fixture("tone.wav"));
    std::filesystem::create_directories(lib / "Playlists");
    std::filesystem::create_directories(lib / "Music/Playlists");
  }

  void Put(const Song& s, const std::string& bytes) {
    std::filesystem::create_directories(lib / ("Music/" + std::string(s.folder)));
    WriteFile(lib / Rel(s), bytes);
  }

  // A song's path below the root, as a relative entry of a list there.
  static std::string Rel(const Song& s) { return "Music/" + Path(s); }
  // ... as a relative entry of a list in Playlists/.
  static std::string Up(const Song& s) { return "../" + Rel(s); }
  std::string Abs(const Song& s) const { return lib / Rel(s); }
  std::string FileUri(const Song& s) const { return "file://" + Encoded(Abs(s)); }

  // Writes the list, converts it in-process to import text with tabs and
  // no total line, and returns the output.
  std::string Convert(const std::string& list, const std::string& text) {
    const std::string path = lib / list;
    WriteFile(path, text);
    PlainImportSettings();
    CopyText(g_MusicDir, MAXPATH, musicDir.c_str());
    CopyText(g_opnFName, MAXPATH, path.c_str());
    const std::string target = out / "listing.txt";
    ConvertResult r = ConvertToFile(TakeRunSettings(), target.c_str(), true);
    if (r != CONVERT_WRITTEN) return "conversion failed: " + std::to_string(r);
    return ReadFile(target);
  }

  void Check(const std::vector<ListCase>& cases) {
    for (const auto& c : cases)
      EXPECT_EQ(Convert(c.list, c.text), c.rows) << c.player << ": " << c.list << "\n" << c.text;
  }
};

}  // namespace

TEST_F(Players, M3u) {
  const std::string gone = "Falco\tRock Me Amadeus\t00:03:22\n";
  const std::string goneByPath = "Falco\t01 Rock Me Amadeus\t00:00:00\n";
  Check({
      // Relative percent-encoded URIs below the list's folder; options per
      // item; the seconds cut, as the player counts them. The first two
      // names are the player's from before the tags were corrected.
      {"VLC 3, below the list", "Lieblinge.m3u",
       "#EXTM3U\n"
       "#EXTINF:2,Die Aerzte - Westerland\n"
       "#EXTVLCOPT:start-time=0\n"
       "Music/Die%20%C3%84rzte/Das%20ist%20nicht%20die%20ganze%20Wahrheit/01%20Westerland.mp3\n"
       "#EXTINF:5,Herbert Groenemeyer - Maenner\n"
       "Music/Herbert%20Gr%C3%B6nemeyer/4630%20Bochum/04%20M%C3%A4nner.mp3\n"
       "#EXTINF:7,Nena - Nur geträumt\n"
       "Music/Nena/Nena/02%20Nur%20getr%C3%A4umt.mp3\n"
       "#EXTINF:1,Kraftwerk - Das Model.wav\n"
       "Music/Kraftwerk/Die%20Mensch-Maschine/Kraftwerk%20-%20Das%20Model.wav\n"
       "#EXTINF:202,Falco - Rock Me Amadeus\n"
       "Music/Falco/Falco%203/01%20Rock%20Me%20Amadeus.mp3\n"
       "#EXTINF:-1,radioeins vom rbb\n"
       "#EXTVLCOPT:network-caching=1000\n" +
           std::string(kStream) + "\n",
       kAllFour + gone + kStreamRow},
      // Files elsewhere: file:/// URIs.
      {"VLC 3, elsewhere", "Playlists/Lieblinge.m3u",
       "#EXTM3U\n"
       "#EXTINF:2,Die Ärzte - Westerland\n" + FileUri(kWesterland) + "\n" +
           "#EXTINF:5,Herbert Grönemeyer - Männer\n" + FileUri(kMaenner) + "\n" +
           "#EXTINF:7,Nena - Nur geträumt\n" + FileUri(kGetraeumt) + "\n" +
           "#EXTINF:1,Kraftwerk - Das Model.wav\n" + FileUri(kModel) + "\n" +
           "#EXTINF:202,Falco - Rock Me Amadeus\n" + FileUri(kGone) + "\n",
       kAllFour + gone},
      // Decoded paths, relative below the list's folder, else absolute; a
      // deleted file is named by its path alone.
      {"Audacious 3.10", "Audacious.m3u",
       Rel(kWesterland) + "\n" + Rel(kMaenner) + "\n" + Abs(kGetraeumt) + "\n" + Rel(kModel) +
           "\n" + Rel(kGone) + "\n",
       kAllFour + goneByPath},
      {"Audacious 3.10, elsewhere", "Playlists/Audacious.m3u",
       Abs(kWesterland) + "\n" + Abs(kMaenner) + "\n" + Abs(kGetraeumt) + "\n" + Abs(kModel) +
           "\n" + Abs(kGone) + "\n",
       kAllFour + goneByPath},
      {"Audacious before 3.10", "Playlists/Alt.m3u",
       FileUri(kWesterland) + "\n" + FileUri(kMaenner) + "\n" + FileUri(kGetraeumt) + "\n" +
           FileUri(kModel) + "\n" + FileUri(kGone) + "\n",
       kAllFour + goneByPath},
      // Titles without seconds or artist: the files' names stand; a deleted
      // file keeps the title alone.
      {"Rhythmbox", "Rhythmbox.m3u",
       "#EXTM3U\n#EXTINF:,Westerland\n" + Rel(kWesterland) + "\n#EXTINF:,Männer\n" +
           Rel(kMaenner) + "\n#EXTINF:,Nur geträumt\n" + Rel(kGetraeumt) +
           "\n#EXTINF:,Kraftwerk - Das Model\n" + Rel(kModel) + "\n#EXTINF:,Rock Me Amadeus\n" +
           Rel(kGone) + "\n",
       kAllFour + "(Kein Interpret)\tRock Me Amadeus\t00:00:00\n"},
      {"Strawberry", "Playlists/Strawberry.m3u",
       "#EXTM3U\n#EXTINF:2,Die Ärzte - Westerland\n" + Up(kWesterland) +
           "\n#EXTINF:5,Herbert Grönemeyer - Männer\n" + Up(kMaenner) +
           "\n#EXTINF:7,Nena - Nur geträumt\n" + Up(kGetraeumt) +
           "\n#EXTINF:1,Kraftwerk - Das Model\n" + Up(kModel) +
           "\n#EXTINF:202,Falco - Rock Me Amadeus\n" + Up(kGone) + "\n",
       kAllFour + gone},
      // Names the player has that differ from the files' (retagged since):
      // the files' names stand.
      {"Quod Libet", "Playlists/Quod Libet.m3u",
       "#EXTM3U\n#EXTINF:2,Ärzte, Die - Westerland (Live)\n" + Up(kWesterland) +
           "\n#EXTINF:5,Grönemeyer - Männer\n" + Up(kMaenner) +
           "\n#EXTINF:7,NENA - Nur geträumt\n" + Up(kGetraeumt) +
           "\n#EXTINF:202,Falco - Rock Me Amadeus\n" + Up(kGone) + "\n",
       std::string(kWesterland.row) + kMaenner.row + kGetraeumt.row + gone},
      // Files without tags: the player wrote the file name as the text
      // (Quod Libet with its mark); a stream without artist keeps its dash.
      {"untagged files", "Playlists/Untagged.m3u",
       "#EXTM3U\n#EXTINF:1,Kraftwerk - Das Model.wav\n" + Up(kModel) +
           "\n#EXTINF:202,01 Rock Me Amadeus.mp3 [untitled MP3]\n" + Up(kGone) +
           "\n#EXTINF:202,01 Rock Me Amadeus\n" + Up(kGone) + "\n#EXTINF:0, - radioeins vom rbb\n" +
           kStream + "\n",
       std::string(kModel.row) + "Falco\t01 Rock Me Amadeus\t00:03:22\n" +
           "Falco\t01 Rock Me Amadeus\t00:03:22\n" + kStreamRow},
      // Backslashes, CR LF, a byte-order mark, no #EXTINF.
      {"foobar2000", "Playlists/foobar2000.m3u8",
       "\xEF\xBB\xBF" + Crlf(Backslashed(Up(kWesterland) + "\n" + Up(kMaenner) + "\n" +
                                         Up(kGetraeumt) + "\n" + Up(kModel) + "\n" + Up(kGone) +
                                         "\n")),
       kAllFour + goneByPath},
      // Seconds rounded: the media's times stand for existing files.
      {"Kodi", "Playlists/Kodi.m3u8",
       "#EXTCPlayListM3U::M3U\n#EXTINF:3,Die Ärzte - Westerland\n" + Abs(kWesterland) +
           "\n#EXTINF:5,Herbert Grönemeyer - Männer\n" + Abs(kMaenner) +
           "\n#EXTINF:8,Nena - Nur geträumt\n" + Abs(kGetraeumt) +
           "\n#EXTINF:1,Kraftwerk - Das Model.wav\n" + Abs(kModel) + "\n",
       kAllFour},
      {"Navidrome", "Playlists/Navidrome.m3u8",
       "#EXTM3U\n#PLAYLIST:Neue Deutsche Welle\n#EXTINF:3,Die Ärzte - Westerland\n" +
           Abs(kWesterland) + "\n#EXTINF:5,Herbert Grönemeyer - Männer\n" + Abs(kMaenner) +
           "\n#EXTINF:8,Nena - Nur geträumt\n" + Abs(kGetraeumt) +
           "\n#EXTINF:202,Falco - Rock Me Amadeus\n" + Abs(kGone) + "\n",
       std::string(kWesterland.row) + kMaenner.row + kGetraeumt.row + gone},
      // Windows-1252 bytes for files stored under UTF-8 names; the #EXTINF
      // text of a deleted file shown in UTF-8.
      {"Winamp (Windows-1252)", "Winamp.m3u",
       Latin1(Crlf("#EXTM3U\n#EXTINF:5,Herbert Grönemeyer - Männer\n" +
                   Backslashed(Rel(kMaenner)) + "\n#EXTINF:2,Die Ärzte - Westerland\n" +
                   Backslashed(Rel(kWesterland)) + "\n#EXTINF:7,Nena - Nur geträumt\n" +
                   Backslashed(Rel(kGetraeumt)) +
                   "\n#EXTINF:277,Karat - Über sieben Brücken musst du gehn\n"
                   "Music\\Karat\\Über sieben Brücken\\03 Über sieben Brücken musst du gehn.mp3\n"
                   "#EXTINF:-1,radioeins vom rbb\n" +
                   kStream + "\n")),
       std::string(kMaenner.row) + kWesterland.row + kGetraeumt.row +
           "Karat\tÜber sieben Brücken musst du gehn\t00:04:37\n" + kStreamRow},
      // The system's code page, no #EXTINF: the files must be found for
      // their names.
      {"foobar2000 (Windows-1252)", "Playlists/foobar2000.m3u",
       Latin1(Crlf(Backslashed(Up(kMaenner) + "\n" + Up(kGetraeumt) + "\n" + Up(kWesterland) +
                               "\n"))),
       std::string(kMaenner.row) + kGetraeumt.row + kWesterland.row},
  });
}

TEST_F(Players, Pls) {
  Check({
      // FileN only: tags, else the file name; the time from the media; a
      // deleted file named by its path, with an empty time.
      {"Audacious", "Playlists/Audacious.pls",
       "[playlist]\nNumberOfEntries=5\nFile1=" + Abs(kWesterland) + "\nFile2=" + Abs(kMaenner) +
           "\nFile3=" + Abs(kGetraeumt) + "\nFile4=" + Abs(kModel) + "\nFile5=" + Abs(kGone) +
           "\n",
       kAllFour + "Falco\t01 Rock Me Amadeus\t\n"},
      {"Audacious, file URIs", "Audacious.pls",
       "[playlist]\nNumberOfEntries=4\nFile1=" + FileUri(kWesterland) + "\nFile2=" +
           FileUri(kMaenner) + "\nFile3=" + FileUri(kGetraeumt) + "\nFile4=" + FileUri(kModel) +
           "\n",
       kAllFour},
      // Titles without artist and no LengthN: the tags give both names, the
      // media the time; what has no file keeps its title and no time.
      {"Rhythmbox", "Rhythmbox.pls",
       "[playlist]\nX-GNOME-Title=Lieblinge\nNumberOfEntries=6\n"
       "File1=" + Rel(kWesterland) + "\nTitle1=Westerland\n"
       "File2=" + Rel(kMaenner) + "\nTitle2=Männer\n"
       "File3=" + Rel(kGetraeumt) + "\nTitle3=Nur geträumt\n"
       "File4=" + Rel(kModel) + "\nTitle4=Kraftwerk - Das Model\n"
       "File5=" + Rel(kGone) + "\nTitle5=Rock Me Amadeus\n"
       "File6=" + kStream + "\nTitle6=radioeins vom rbb\n",
       kAllFour + "(Kein Interpret)\tRock Me Amadeus\t\n(Kein Interpret)\tradioeins vom rbb\t\n"},
      {"Strawberry", "Playlists/Strawberry.pls",
       "[playlist]\nVersion=2\nNumberOfEntries=5\n"
       "File1=" + Up(kWesterland) + "\nTitle1=Westerland\nLength1=2\n"
       "File2=" + Up(kMaenner) + "\nTitle2=Männer\nLength2=5\n"
       "File3=" + Up(kGetraeumt) + "\nTitle3=Nur geträumt\nLength3=7\n"
       "File4=" + Up(kModel) + "\nTitle4=Kraftwerk - Das Model\nLength4=1\n"
       "File5=" + Up(kGone) + "\nTitle5=Rock Me Amadeus\nLength5=202\n",
       kAllFour + "(Kein Interpret)\tRock Me Amadeus\t00:03:22\n"},
      // "<artists> - <title>", decimal lengths, the counts at the end.
      {"Quod Libet", "Playlists/Quod Libet.pls",
       "[playlist]\n"
       "File1=" + Up(kWesterland) + "\nTitle1=Die Ärzte - Westerland\nLength1=2.56\n"
       "File2=" + Up(kMaenner) + "\nTitle2=Herbert Grönemeyer - Männer\nLength2=5.12\n"
       "File3=" + Up(kGetraeumt) + "\nTitle3=Nena - Nur geträumt\nLength3=7.68\n"
       "File4=" + Up(kModel) + "\nTitle4=Kraftwerk - Das Model\nLength4=1.25\n"
       "File5=" + Up(kGone) + "\nTitle5=Falco - Rock Me Amadeus\nLength5=202.48\n"
       "NumberOfEntries=5\nVersion=2\n",
       kAllFour + "Falco\tRock Me Amadeus\t00:03:22\n"},
      // File names as titles: empty (Strawberry), with Quod Libet's mark and
      // empty artist, or as they are: the files' or the paths' names.
      {"untagged files", "Playlists/Untagged.pls",
       "[playlist]\nFile1=" + Up(kModel) + "\nTitle1=\nLength1=1\nFile2=" + Up(kModel) +
           "\nTitle2= - Kraftwerk - Das Model.wav [untitled WAV]\nFile3=" + Up(kGone) +
           "\nTitle3=01 Rock Me Amadeus.mp3\nLength3=202\n",
       std::string(kModel.row) + kModel.row + "Falco\t01 Rock Me Amadeus\t00:03:22\n"},
  });
}

// MPD keeps its lists in a folder of their own, with entries relative to
// its music folder: found there through its configuration, or through the
// setting, which comes first. Entries beside the list stay found there.
TEST_F(Players, Mpd) {
  TempDir config;
  ScopedEnv xdg("XDG_CONFIG_HOME", config.path.c_str());
  std::filesystem::create_directories(config / "mpd");
  const std::string list = Path(kWesterland) + "\n" + Path(kMaenner) + "\n" + Path(kGone) +
                           "\n" + Up(kModel) + "\n";
  const std::string gone = "(Kein Interpret)\t01 Rock Me Amadeus\t00:00:00\n";
  const std::string rows = std::string(kWesterland.row) + kMaenner.row + gone + kModel.row;
  WriteFile(config / "mpd/mpd.conf",
            "# comment\nplaylist_directory \"~/.mpd/playlists\"\nmusic_directory  \"" +
                lib / "Music" + "\"\n");
  Check({{"MPD", "Playlists/MPD.m3u", list, rows}});
  WriteFile(config / "mpd/mpd.conf", "music_directory \"" + lib / "Nowhere" + "\"\n");
  musicDir = lib / "Music";
  Check({{"MPD, the setting", "Playlists/MPD.m3u", list, rows}});
  musicDir.clear();
  Check({{"MPD, no music folder", "Playlists/MPD.m3u", list,
          "(Kein Interpret)\t01 Westerland\t00:00:00\n(Kein Interpret)\t04 Männer\t00:00:00\n" +
              gone + kModel.row}});
}

TEST_F(Players, Xspf) {
  if (ChooseReader("x.xspf") == OutputLine)
    GTEST_SKIP() << "no XSPF reader yet: .xspf lists are read as plain lists";
  const std::string head =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<playlist version=\"1\" xmlns=\"http://xspf.org/ns/0/\">\n";
  // VLC: tab-indented, full URIs, its own extension elements.
  auto vlcTrack = [&](const Song& s, const std::string& title, const std::string& creator,
                      const std::string& album, int num, int ms, int id) {
    return "\t\t<track>\n\t\t\t<location>" + FileUri(s) + "</location>\n\t\t\t<title>" + title +
           "</title>\n\t\t\t<creator>" + creator + "</creator>\n\t\t\t<album>" + album +
           "</album>\n\t\t\t<trackNum>" + std::to_string(num) + "</trackNum>\n\t\t\t<duration>" +
           std::to_string(ms) +
           "</duration>\n\t\t\t<extension application=\"http://www.videolan.org/vlc/playlist/0\">"
           "\n\t\t\t\t<vlc:id>" +
           std::to_string(id) + "</vlc:id>\n\t\t\t</extension>\n\t\t</track>\n";
  };
  const std::string vlc =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<playlist xmlns=\"http://xspf.org/ns/0/\" "
      "xmlns:vlc=\"http://www.videolan.org/vlc/playlist/ns/0/\" version=\"1\">\n"
      "\t<title>Wiedergabeliste</title>\n\t<trackList>\n" +
      vlcTrack(kWesterland, "Westerland", "Die Ärzte", "Das ist nicht die ganze Wahrheit", 1,
               2560, 0) +
      vlcTrack(kMaenner, "Männer", "Herbert Grönemeyer", "4630 Bochum", 4, 5120, 1) +
      vlcTrack(kGetraeumt, "Nur geträumt", "Nena", "Nena", 2, 7680, 2) +
      "\t\t<track>\n\t\t\t<location>" + kStream +
      "</location>\n\t\t\t<title>radioeins vom rbb</title>\n"
      "\t\t\t<extension application=\"http://www.videolan.org/vlc/playlist/0\">\n"
      "\t\t\t\t<vlc:id>3</vlc:id>\n\t\t\t\t<vlc:option>network-caching=1000</vlc:option>\n"
      "\t\t\t</extension>\n\t\t</track>\n"
      "\t</trackList>\n"
      "\t<extension application=\"http://www.videolan.org/vlc/playlist/0\">\n"
      "\t\t<vlc:item tid=\"0\"/>\n\t\t<vlc:item tid=\"1\"/>\n\t\t<vlc:item tid=\"2\"/>\n"
      "\t\t<vlc:item tid=\"3\"/>\n\t</extension>\n</playlist>\n";

  // Audacious: file URIs, its own meta elements; the untagged file has only
  // its location and duration.
  auto audTrack = [&](const Song& s, const std::string& title, const std::string& creator,
                      int ms) {
    return "  <track>\n    <location>" + FileUri(s) + "</location>\n    <title>" + title +
           "</title>\n    <creator>" + creator + "</creator>\n    <duration>" +
           std::to_string(ms) + "</duration>\n    <meta rel=\"year\">1983</meta>\n  </track>\n";
  };
  const std::string audacious =
      head + "  <title>Lieblinge</title>\n  <trackList>\n" +
      audTrack(kWesterland, "Westerland", "Die Ärzte", 2560) +
      audTrack(kMaenner, "Männer", "Herbert Grönemeyer", 5120) +
      audTrack(kGetraeumt, "Nur geträumt", "Nena", 7680) + "  <track>\n    <location>" +
      FileUri(kModel) + "</location>\n    <duration>1250</duration>\n"
      "    <meta rel=\"quality\">lossless</meta>\n  </track>\n  </trackList>\n</playlist>\n";

  // Rhythmbox: relative URIs, no duration: the time from the media, none
  // for a deleted file.
  auto rbTrack = [&](const std::string& location, const std::string& title,
                     const std::string& creator, const std::string& album) {
    return "    <track>\n      <location>" + location + "</location>\n      <title>" + title +
           "</title>\n      <creator>" + creator + "</creator>\n      <album>" + album +
           "</album>\n    </track>\n";
  };
  const std::string rhythmbox =
      head + "  <trackList>\n" +
      rbTrack(Encoded(Rel(kWesterland)), "Westerland", "Die Ärzte",
              "Das ist nicht die ganze Wahrheit") +
      rbTrack(Encoded(Rel(kMaenner)), "Männer", "Herbert Grönemeyer", "4630 Bochum") +
      rbTrack(Encoded(Rel(kGetraeumt)), "Nur geträumt", "Nena", "Nena") +
      rbTrack(Encoded(Rel(kGone)), "Rock Me Amadeus", "Falco", "Falco 3") +
      "  </trackList>\n</playlist>\n";

  // Strawberry: relative decoded paths, durations; a deleted file keeps
  // what the list says.
  auto sbTrack = [&](const Song& s, const std::string& title, const std::string& creator,
                     int ms) {
    return "        <track>\n            <location>" + Up(s) +
           "</location>\n            <title>" + title + "</title>\n            <creator>" +
           creator + "</creator>\n            <duration>" + std::to_string(ms) +
           "</duration>\n        </track>\n";
  };
  const std::string strawberry =
      head + "    <trackList>\n" + sbTrack(kWesterland, "Westerland", "Die Ärzte", 2560) +
      sbTrack(kMaenner, "Männer", "Herbert Grönemeyer", 5120) +
      sbTrack(kGetraeumt, "Nur geträumt", "Nena", 7680) +
      sbTrack(kGone, "Rock Me Amadeus", "Falco", 202480) + "    </trackList>\n</playlist>\n";

  // Quod Libet: one track per line, nothing but the location.
  std::string quodlibet =
      "<?xml version='1.0' encoding='utf-8'?>\n"
      "<playlist xmlns=\"http://xspf.org/ns/0/\" version=\"1\"><title>Lieblinge</title>"
      "<trackList>\n";
  for (const Song* s : {&kWesterland, &kMaenner, &kGetraeumt, &kModel})
    quodlibet += "<track><location>" + FileUri(*s) + "</location></track>\n";
  quodlibet += "</trackList></playlist>\n";

  const std::string threeTagged =
      std::string(kWesterland.row) + kMaenner.row + kGetraeumt.row;
  Check({
      {"VLC 3", "Playlists/Lieblinge.xspf", vlc, threeTagged + kStreamRow},
      {"Audacious", "Audacious.xspf", audacious, kAllFour},
      {"Rhythmbox", "Rhythmbox.xspf", rhythmbox,
       threeTagged + "Falco\tRock Me Amadeus\t00:00:00\n"},
      {"Strawberry", "Playlists/Strawberry.xspf", strawberry,
       threeTagged + "Falco\tRock Me Amadeus\t00:03:22\n"},
      {"Quod Libet", "Playlists/Quod Libet.xspf", quodlibet, kAllFour},
      // File names as titles of files without tags.
      {"Rhythmbox, untagged", "Untagged.xspf",
       head + "<trackList>\n" + rbTrack(Encoded(Rel(kModel)), "Kraftwerk - Das Model.wav", "", "") +
           rbTrack(Encoded(Rel(kGone)), "01 Rock Me Amadeus.mp3", "", "") +
           "</trackList></playlist>\n",
       std::string(kModel.row) + "Falco\t01 Rock Me Amadeus\t00:00:00\n"},
  });
}

TEST_F(Players, Wpl) {
  if (ChooseReader("x.wpl") == OutputLine)
    GTEST_SKIP() << "no WPL reader yet: .wpl lists are read as plain lists";
  // In Music/Playlists/, entries relative to it with backslashes, CR LF.
  std::string media;
  int tid = 1;
  for (const Song* s : {&kWesterland, &kMaenner, &kGetraeumt, &kModel, &kGone})
    media += "            <media src=\"..\\" + Backslashed(Path(*s)) +
             "\" tid=\"{6A2F0C1E-0B7D-4C1A-9E55-00000000000" + std::to_string(tid++) + "}\"/>\n";
  Check({
      {"Windows Media Player", "Music/Playlists/Lieblinge.wpl",
       Crlf("<?wpl version=\"1.0\"?>\n<smil>\n    <head>\n"
            "        <meta name=\"Generator\" content=\"Microsoft Windows Media Player -- "
            "12.0.19041.3636\"/>\n"
            "        <meta name=\"ItemCount\" content=\"[ItemCount]\"/>\n"
            "        <author/>\n        <title>Lieblinge</title>\n    </head>\n"
            "    <body>\n        <seq>\n" +
            media + "        </seq>\n    </body>\n</smil>\n"),
       kAllFour + "Falco\t01 Rock Me Amadeus\t00:00:00\n"},
  });
}
