#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <string>

#include "metadata/id3.h"
#include "id3_tags.h"

using namespace id3;

namespace {

const std::string kAudio(200, '\x55');  // stands for the audio after a tag

// A tag with 20 bytes of padding, so that its last frame lies before the
// last 19 bytes and is read.
std::string Padded(const std::string& frames, int major = 3, unsigned char flags = 0) {
  return Tag(frames + std::string(20, '\0'), major, flags);
}

struct TagCase {
  const char* name;
  std::string file;
  int32_t result;
  std::string title;   // what the buffers hold afterwards; the caller put
  std::string artist;  // "T0" and "A0" there
};


std::string Utf16Be(const std::u16string& s) {
  std::string r;
  for (char16_t c : s) r += {char(c >> 8), char(c & 0xFF)};
  return r;
}

}  // namespace

TEST(ReadTags, TagLayoutsAndEncodings) {
  const std::string both = Padded(Text("TIT2", "Long v2") + Text("TPE1", "Artist v2")) +
                           kAudio + Trailer(std::string(30, 'x'), "Band");
  std::string v1ZeroTitle = kAudio + Trailer("", "Band");
  std::string small = Padded(Text("TIT2", "Small"));
  small.resize(100, '\0');

  const TagCase cases[] = {
      {"v2 before v1", both, 1, "Long v2", "Artist v2"},
      {"v1 fills what v2 lacks", Padded(Text("TIT2", "Long v2") + Text("TPE1", "")) + kAudio +
                                     Trailer("v1 title", "v1 band"),
       1, "Long v2", "v1 band"},
      {"v1 fills what v2 lacks, title", Padded(Text("TPE1", "Band v2")) + kAudio +
                                            Trailer("v1 title", "v1 band"),
       1, "v1 title", "Band v2"},
      {"v1 empty title replaces", v1ZeroTitle, 1, "", "Band"},
      {"100-byte file with v2", small, 1, "Small", "A0"},
      {"v1 in Windows-1252", kAudio + Trailer("Caf\xE9 \x80", "\x81"), 1,
       "Caf\xC3\xA9 \xE2\x82\xAC", "\xC2\x81"},
      {"v4 UTF-8 as is", Padded(Text("TIT2", "Gr\xC3\xB6\xC3\x9F" "e", 3, 4), 4) + kAudio,
       1, "Gr\xC3\xB6\xC3\x9F" "e", "A0"},
      {"v4 UTF-8 ending in a two-byte character",
       Padded(Text("TIT2", "Caf\xC3\xA9", 3, 4) + Text("TPE1", "\xE2\x82\xAC", 3, 4), 4), 1,
       "Caf\xC3\xA9", "\xE2\x82\xAC"},
      {"encoding 0 Windows-1252", Padded(Text("TPE1", "M\xF6tley \x93" "C\x94", 0)), 1,
       "T0", "M\xC3\xB6tley \xE2\x80\x9C" "C\xE2\x80\x9D"},
      {"UTF-16 with LE BOM", Padded(Text("TPE1", "\xFF\xFE" + Utf16Le(u"\u00C4rzte"), 1)),
       1, "T0", "\xC3\x84rzte"},
      {"UTF-16 with BE BOM", Padded(Text("TPE1", "\xFE\xFF" + Utf16Be(u"\u00C4rzte"), 1)),
       1, "T0", "\xC3\x84rzte"},
      {"UTF-16 without BOM is LE", Padded(Text("TIT2", Utf16Le(u"Song"), 1)), 1, "Song",
       "A0"},
      {"UTF-16BE, pair and lone surrogate",
       Padded(Text("TIT2", Utf16Be(u"a\U0001F3B5b") + std::string("\xD8\x00", 2) + Utf16Be(u"c"), 2)), 1,
       "a\xF0\x9F\x8E\xB5" "b\xEF\xBF\xBD" "c", "A0"},
      {"UTF-16 ends at U+0000, odd byte dropped",
       Padded(Text("TIT2", Utf16Le(u"ab") + std::string(2, '\0') + "cd", 1) +
           Text("TPE1", Utf16Le(u"xy") + "z", 1)),
       1, "ab", "xy"},
      {"unknown encoding leaves buffer", Padded(Text("TPE1", "abc", 4)), 1, "T0", "A0"},
      {"v4 values joined", Padded(Text("TIT2", std::string("one\0two\0\0three\0", 15), 3, 4), 4),
       1, "one, two, three", "A0"},
      {"v4 UTF-16 values with their BOMs",
       Padded(Text("TPE1", "\xFF\xFE" + Utf16Le(u"A") + std::string(2, '\0') + "\xFE\xFF" +
                               Utf16Be(u"B") + std::string(2, '\0'), 1, 4), 4),
       1, "T0", "A, B"},
      {"v3 keeps the first value", Padded(Text("TIT2", std::string("one\0two", 7))), 1, "one",
       "A0"},
      {"no title or artist frames", Tag(Text("TALB", "Album") + std::string(40, '\0')), 1,
       "T0", "A0"},
      {"version 2.2", Tag(Frame22("TT2", std::string("\0x", 2)) + Frame22("TP1", "\x01\xFF\xFE" + Utf16Le(u"Band")) +
                              std::string(20, '\0'), 2) + kAudio,
       1, "x", "Band"},
      {"version 2.2 with trailer", Tag(Frame22("TT2", std::string("\0x", 2)), 2) + kAudio + Trailer("v1", ""), 1,
       "x", ""},
      {"version 2.2 compressed tag", Tag(Frame22("TT2", std::string("\0x", 2)), 2, 0x40), 1, "T0", "A0"},
      {"version 5 not read", Tag(Text("TIT2", "x"), 5), 0, "T0", "A0"},
      {"size byte 0x80", std::string("ID3\x03\x00\x00\x00\x00\x80\x10", 10) + Text("TIT2", "x"), 0, "T0",
       "A0"},
      {"revision 0xFF", std::string("ID3\x03\xFF\x00\x00\x00\x00\x20", 10) + Text("TIT2", "x"), 0, "T0",
       "A0"},
      {"size-0 frame, loop goes on",
       Tag(Frame("TIT2", "") + Text("TPE1", "Band") + std::string(20, '\0')), 1, "T0",
       "Band"},
      {"size-1 frame gives no text", Tag(Text("TIT2", "") + std::string(20, '\0')), 1, "T0",
       "A0"},
      {"246-byte frame skipped by plain size",
       Tag(Frame("PRIV", std::string(246, '\x7F')) + Text("TPE1", "Band") +
           std::string(20, '\0')),
       1, "T0", "Band"},
      {"v4 frame size is sync-safe",
       Tag(Frame("PRIV", std::string(200, '\x7F'), 4) + Text("TPE1", "Band", 0, 4) +
               std::string(20, '\0'),
           4),
       1, "T0", "Band"},
      {"v3 extended header of 10 bytes",
       Tag(Be32(6) + std::string(6, '\0') + Text("TIT2", "Ext") + std::string(20, '\0'),
           3, 0x40),
       1, "Ext", "A0"},
      {"extended header flag without an extended header",
       Tag(Text("TIT2", "NoExt", 0, 4) + std::string(20, '\0'), 4, 0x40), 1, "NoExt", "A0"},
      {"v4 extended header counts itself",
       Tag(SyncSafe(6) + std::string(2, '\x01') + Text("TIT2", "Ext4", 0, 4) +
               std::string(20, '\0'),
           4, 0x40),
       1, "Ext4", "A0"},
      {"last frame of a tag without padding",
       Tag(Text("TIT2", "Song") + Text("TPE1", "Band")), 1, "Song", "Band"},
      {"tag with a footer", Tag(Text("TIT2", "Song", 0, 4) + Text("TPE1", "Band", 0, 4), 4, 0x10) +
                                "3DI\x04\x00\x10" + SyncSafe(30),
       1, "Song", "Band"},
      {"frame header cut by the tag's end",
       Tag(Text("TIT2", "Song") + "TPE1" + Be32(5)) + std::string("\0\0\0Band", 7), 1, "Song", "A0"},
      // Unsynchronisation: version 2.3 of the whole tag, version 2.4 per
      // frame or by the tag's flag; a UTF-16 BOM holds the 0xFF it guards.
      {"v3 unsynchronised tag",
       Tag(Unsync(Text("TIT2", "\xFF\xFE" + Utf16Le(u"Song"), 1) + Frame("PRIV", "\xFF\xFF\xE0") +
                  Text("TPE1", "Caf\xE9 \xFF", 0) + std::string(20, '\0')),
           3, 0x80),
       1, "Song", "Caf\xC3\xA9 \xC3\xBF"},
      {"v4 unsynchronised frame with data length",
       Padded(Frame("TIT2", SyncSafe(11) + Unsync("\x01\xFF\xFE" + Utf16Le(u"Song")), 4, 0x03) +
                  Text("TPE1", "Band", 0, 4), 4),
       1, "Song", "Band"},
      {"v4 tag flag unsynchronises every frame",
       Padded(Frame("TIT2", Unsync("\x01\xFF\xFE" + Utf16Le(u"Song")), 4), 4, 0x80), 1, "Song", "A0"},
      {"v3 encrypted frame is skipped", Padded(Frame("TIT2", std::string("\0x", 2), 3, '\x40')),
       1, "T0", "A0"},
      {"v4 encrypted frame is skipped", Padded(Frame("TIT2", std::string("\0x", 2), 4, 0x04), 4),
       1, "T0", "A0"},
      {"v3 group id before the text", Padded(Frame("TIT2", std::string("\x07\0Grouped", 9), 3, 0x20)), 1,
       "Grouped", "A0"},
      {"tag size below 10", Tag(std::string(5, '\0')) + Text("TIT2", "x"), 1, "T0", "A0"},
      {"later frame replaces earlier",
       Tag(Text("TIT2", "One") + Text("TIT2", "Two") + std::string(20, '\0')), 1, "Two",
       "A0"},
      {"4 GB frame in a small file is not read",
       Tag("TIT2" + Be32(0xFFFFFFFF) + std::string(2, '\0') + std::string("\0Huge", 5) +
           std::string(20, '\0')),
       1, "T0", "A0"},
      {"frame past the tag's end ends the walk",
       Tag(Text("TIT2", "Song") + "TPE1" + Be32(9) + std::string(2, '\0') + "\0Ban") + "d\xFF\xFB" +
           kAudio,
       1, "Song", "A0"},
      {"v3 compressed frame",
       Padded(Frame("TIT2", Be32(5) + Deflate(std::string("\0Song", 5)), 3, '\x80') +
              Frame("TPE1", Be32(5) + '\x07' + Deflate(std::string("\0Band", 5)), 3, '\xA0')),
       1, "Song", "Band"},
      {"v4 compressed and unsynchronised frame",
       Padded(Frame("TIT2", SyncSafe(11) + Unsync(Deflate("\x01\xFF\xFE" + Utf16Le(u"Song"))), 4,
                    0x0B), 4),
       1, "Song", "A0"},
      {"v4 compressed without data length, damaged compressed data",
       Padded(Frame("TIT2", Deflate(std::string("\0Song", 5)), 4, 0x08) +
              Frame("TPE1", SyncSafe(5) + "\x78\x9C garbage", 4, 0x09), 4),
       1, "T0", "A0"},
      {"v4 UTF-8 with broken sequences",
       Padded(Text("TIT2", "Gr\xF6\xDF" "e", 3, 4) + Text("TPE1", "a\xE2\x82" "b\xC3", 3, 4), 4), 1,
       "Gr\xEF\xBF\xBD\xEF\xBF\xBD" "e", "a\xEF\xBF\xBD" "b\xEF\xBF\xBD"},
      {"v4 empty values left out",
       Padded(Text("TIT2", std::string("\0one\0\0", 7), 3, 4), 4), 1, "one", "A0"},
      {"v1 fields lose trailing blanks", kAudio + Trailer("Title   ", "Band \0x"), 1, "Title",
       "Band"},
      {"frame past the end ends the loop",
       Tag("PRIV" + Be32(0x7FFFFFF0) + std::string(30, '\0')), 1, "T0", "A0"},
      {"frames across the buffers' edges",
       Padded(Frame("PRIV", std::string(8170, 'p')) + Text("TIT2", "Edge") +
              Frame("APIC", std::string(20000, 'c')) + Text("TPE1", "After cover")) +
           std::string(20000, '\x55') + Trailer("v1", "v1"),
       1, "Edge", "After cover"},
      {"short file", "ID3\x03", 0, "T0", "A0"},
      {"empty file", "", 0, "T0", "A0"},
  };

  TempDir dir;
  for (const auto& c : cases) {
    std::string path = dir / "f.mp3";
    WriteFile(path, c.file);
    char title[512] = "T0";
    char artist[512] = "A0";
    EXPECT_EQ(ReadTags(path.c_str(), title, artist, sizeof title), c.result) << c.name;
    EXPECT_EQ(std::string(title), c.title) << c.name;
    EXPECT_EQ(std::string(artist), c.artist) << c.name;
  }
}

// A frame that claims more bytes than its tag holds must not take them from
// what follows the tag: the names stay the same whatever the audio is.
TEST(ReadTags, NamesComeOnlyFromTheTagsOwnBytes) {
  TempDir dir;
  std::string path = dir / "f.mp3";
  for (int major : {2, 3, 4}) {
    for (unsigned char flags : {0x00, 0x80}) {
      for (uint32_t over : {1u, 6u, 300u}) {
        std::string body = std::string("\0Song", 5);
        uint32_t n = static_cast<uint32_t>(body.size()) + over;
        std::string frame = major == 2 ? "TT2" + std::string{char(n >> 16), char(n >> 8), char(n)}
                                       : "TIT2" + (major == 4 ? SyncSafe(n) : Be32(n)) + std::string(2, '\0');
        std::string band = major == 2 ? Frame22("TP1", std::string("\0Band", 5))
                                      : Text("TPE1", "Band", 0, major);
        std::string tag = Tag(band + frame + body, major, flags);
        std::string names[2];
        for (int k = 0; k < 2; ++k) {
          WriteFile(path, tag + std::string(400, k ? '\xFF' : 'x'));
          char title[512] = "T0", artist[512] = "A0";
          ReadTags(path.c_str(), title, artist, sizeof title);
          names[k] = std::string(title) + "|" + artist;
        }
        EXPECT_EQ(names[0], "T0|Band") << major << " " << int(flags) << " " << over;
        EXPECT_EQ(names[1], names[0]) << major << " " << int(flags) << " " << over;
      }
    }
  }
}

// Texts are cut to 510 bytes, after conversion, never inside a character.
TEST(ReadTags, LongTextsCutTo510Bytes) {
  const struct {
    const char* name;
    std::string frameText;
    char enc;
    std::string expected;
  } cases[] = {
      {"600 ASCII characters", std::string(600, 'a'), 0, std::string(510, 'a')},
      {"Windows-1252 grows to two bytes", std::string(600, '\xE9'), 0,
       Repeat("\xC3\xA9", 255)},
      {"UTF-16 euro signs", Utf16Le(std::u16string(300, u'\u20AC')), 1,
       Repeat("\xE2\x82\xAC", 170)},
      {"UTF-8 cut inside a character", std::string(509, 'a') + "\xC3\xA9xyz", 3,
       std::string(509, 'a')},
      {"UTF-8 value broken at its zero byte", "ab\xC3" + std::string(600, '\0'), 3,
       "ab\xEF\xBF\xBD"},
  };
  TempDir dir;
  for (const auto& c : cases) {
    std::string path = dir / "long.mp3";
    WriteFile(path, Tag(Text("TIT2", c.frameText, c.enc) + std::string(20, '\0')));
    char title[512] = "T0";
    char artist[512] = "A0";
    EXPECT_EQ(ReadTags(path.c_str(), title, artist, sizeof title), 1) << c.name;
    EXPECT_EQ(std::string(title), c.expected) << c.name;
  }
  // Version 2.4, unsynchronised UTF-16: the bytes count once undone, so the
  // title keeps 254 of its 300 characters.
  std::string path = dir / "unsync.mp3";
  WriteFile(path, Tag(Frame("TIT2", Unsync("\x01\xFF\xFE" + Utf16Le(std::u16string(300, u'\u00FF'))), 4,
                            0x02) + std::string(20, '\0'), 4));
  char title[512] = "T0", artist[512] = "A0";
  ReadTags(path.c_str(), title, artist, sizeof title);
  EXPECT_EQ(std::string(title), Repeat("\xC3\xBF", 254));
}

TEST(ReadTags, OnlyRegularFilesAreRead) {
  TempDir dir;
  std::string fifo = dir / "pipe.mp3";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  char title[512] = "T0";
  char artist[512] = "A0";
  for (std::string p : {fifo, dir.path, dir / "missing.mp3", std::string("/dev/zero")})
    EXPECT_EQ(ReadTags(p.c_str(), title, artist, sizeof title), 0) << p;
  EXPECT_STREQ(title, "T0");
}

TEST(ReadTags, EachVersionAlone) {
  TempDir dir;
  std::string path = dir / "both.mp3";
  WriteFile(path, Tag(Text("TIT2", "Two") + std::string(20, '\0')) + kAudio +
                      Trailer("One", "Band"));
  char title[512] = "";
  char artist[512] = "";
  EXPECT_EQ(ReadTagsV2(path.c_str(), title, artist, sizeof title), 1);
  EXPECT_STREQ(title, "Two");
  EXPECT_EQ(ReadTagsV1(path.c_str(), title, artist, sizeof title), 1);
  EXPECT_STREQ(title, "One");
  EXPECT_STREQ(artist, "Band");
}

// The one header check: which headers count as a tag in front of the audio
// (skipped for the playing time), which of them this reader reads, and how
// many bytes the tag takes.
TEST(ID3Header, TagsToSkipAndTagsToRead) {
  const unsigned char worked[] = {0x00, 0x00, 0x02, 0x01};
  EXPECT_EQ(CalcSyncSafeInt(worked), 257);
  struct { const char* bytes; int32_t header, read; int64_t size; } cases[] = {
      {"ID3\x03\x00\x00\x00\x00\x02\x01", 1, 1, 267},
      {"ID3\x04\x00\x10\x00\x00\x02\x01", 1, 1, 277},  // footer
      {"ID3\x04\x00\x00\x7F\x7F\x7F\x7F", 1, 1, 10 + 0x0FFFFFFF},
      {"ID3\x02\x00\x00\x00\x00\x00\x10", 1, 1, 26},
      {"ID3\x05\x00\x00\x00\x00\x00\x10", 1, 0, 26},
      {"ID3\xFF\x00\x00\x00\x00\x00\x10", 0, 0, 0},
      {"ID3\x03\xFF\x00\x00\x00\x00\x10", 0, 0, 0},
      {"ID3\x03\x00\x00\x00\x80\x00\x10", 0, 0, 0},
      {"ID3\x03\x00\x00\x00\x00\x00\x80", 0, 0, 0},
      {"id3\x03\x00\x00\x00\x00\x00\x10", 0, 0, 0},
  };
  for (const auto& c : cases) {
    V2HEADER h;
    std::memcpy(&h, c.bytes, sizeof h);
    EXPECT_EQ(IsID3V2Header(&h), c.header) << c.bytes + 3;
    EXPECT_EQ(IsID3V2(&h), c.read) << c.bytes + 3;
    if (c.header) {
      EXPECT_EQ(ID3V2TagBytes(&h), c.size) << c.bytes + 3;
    }
  }
}
