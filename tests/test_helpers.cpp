#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "base/text.h"
#include "engine/helpers.h"
#include "settings/options.h"
#include "settings/run_settings.h"
#include "support.h"

TEST(StrRStr, FindsTheLastOccurrence) {
  struct { const char* str; const char* pat; int offset; } cases[] = {
      {"A - B - C", " - ", 5}, {"Song", " - ", -1}, {"", " - ", -1},
      {"aaa", "aa", 1}, {"x - ", " - ", 1}, {" - ", " - ", 0},
  };
  for (const auto& c : cases) {
    char buf[MAXPATH];
    CopyText(buf, sizeof buf, c.str);
    char* hit = StrRStr(buf, c.pat);
    if (c.offset < 0)
      EXPECT_EQ(hit, nullptr) << c.str;
    else
      EXPECT_EQ(hit - buf, c.offset) << c.str;
  }
}

TEST(StrRStr, LongTextIsSearchedWhole) {
  // A PLS title is as long as its line.
  std::string text(700, 'a');
  text.replace(100, 3, " - ");
  text.replace(600, 3, " - ");
  char* hit = StrRStr(&text[0], " - ");
  ASSERT_NE(hit, nullptr);
  EXPECT_EQ(hit - text.data(), 600);
}

TEST(StrRSlash, BackslashesWinOverSlashes) {
  char a[] = "C:\\Music/Band/x.mp3";
  EXPECT_EQ(StrRSlash(a) - a, 2);
  char b[] = "a/b/c";
  EXPECT_EQ(StrRSlash(b) - b, 3);
  char c[] = "abc";
  EXPECT_EQ(StrRSlash(c), nullptr);
}

namespace {
// The title as RemoveExt leaves it with the extension list and the removal
// flag as they are now.
std::string Strip(const char* title) {
  char buf[MAXPATH];
  CopyText(buf, sizeof buf, title);
  RemoveExt(buf, TakeRunSettings());
  return buf;
}

void UseList(const char* list) {
  FreshSettings();
  CopyText(g_FileExt, sizeof g_FileExt, list);
  BuildExtensionTable();
}
}  // namespace

TEST(RemoveExt, StripsOneKnownExtension) {
  struct { const char* list; const char* in; const char* out; } cases[] = {
      {"mp3,wav", "Song.mp3", "Song"}, {"mp3,wav", "Song.MP3", "Song"},
      {"mp3,wav", "Song.mp3.wav", "Song.mp3"}, {"mp3,wav", ".mp3", ""},
      {"mp3,wav", "Song.mp3 ", "Song.mp3 "}, {"mp3,wav", "Song.txt", "Song.txt"},
      {"mp3,wav", "Vol. 2", "Vol. 2"}, {"mp3,wav", "Song.", "Song."},
      {"mp3,wav", "Song", "Song"}, {"mp3,wav", "Song.mp", "Song.mp"},
      {"mp3,wav", "Song.mp3x", "Song.mp3x"},
      // Case does not matter on either side.
      {"MP3", "Song.mp3", "Song"}, {"MP3", "Song.Mp3", "Song"},
      {"wav,Mp3", "Song.mP3", "Song"},
      // An empty entry matches the empty text after a trailing dot.
      {"mp3,,wav,", "Song.", "Song"},
      // A blank before an entry keeps it from matching.
      {"wav, mp3", "Song.mp3", "Song.mp3"},
  };
  for (const auto& c : cases) {
    UseList(c.list);
    EXPECT_EQ(Strip(c.in), c.out) << c.list << " " << c.in;
  }
  UseList("mp3");
  g_rmextFlag = 0;
  EXPECT_EQ(Strip("Song.mp3"), "Song.mp3");
}

TEST(ReadExtensions, SplitsTheList) {
  FreshSettings();
  EXPECT_EQ(g_NumExt, 60);
  EXPECT_STREQ(g_ExtList[0], "mp3");
  EXPECT_STREQ(g_ExtList[43], "wmv");
  EXPECT_STREQ(g_ExtList[44], "flac");
  EXPECT_STREQ(g_ExtList[59], "dsf");

  struct { const char* list; std::vector<std::string> entries; } cases[] = {
      {"", {""}},
      {"mp3,,wav,", {"mp3", "", "wav", ""}},
      {" mp3", {" mp3"}},
      {",", {"", ""}},
  };
  for (const auto& c : cases) {
    CopyText(g_FileExt, sizeof g_FileExt, c.list);
    int32_t n = ReadExtensions();
    ASSERT_EQ(n, static_cast<int32_t>(c.entries.size())) << c.list;
    for (int32_t k = 0; k < n; ++k) EXPECT_EQ(g_ExtList[k], c.entries[k]);
  }
  // A list changed without its table still gives a run its own table.
  CopyText(g_FileExt, sizeof g_FileExt, "ogg,flac");
  RunSettings s = TakeRunSettings();
  ASSERT_EQ(s.ext.count, 2);
  EXPECT_STREQ(s.ext.buf + s.ext.at[1], "flac");
}

TEST(ReadExtensions, StopsAtOneHundredEntries) {
  FreshSettings();
  std::string list;
  for (int k = 1; k <= 101; ++k) list += (k > 1 ? ",e" : "e") + std::to_string(k);
  CopyText(g_FileExt, sizeof g_FileExt, list.c_str());
  EXPECT_EQ(ReadExtensions(), 100);
  EXPECT_STREQ(g_ExtList[98], "e99");
  EXPECT_STREQ(g_ExtList[99], "e100,e101");
}

TEST(ReadExtensions, TheTableFollowsItsListAfterARebuild) {
  UseList(std::string(300, 'x').append(",mp3").c_str());
  EXPECT_EQ(Strip("Song.mp3"), "Song");
  // A shorter list leaves no entry of the longer one behind.
  CopyText(g_FileExt, sizeof g_FileExt, "wav");
  BuildExtensionTable();
  EXPECT_EQ(g_NumExt, 1);
  EXPECT_EQ(g_ExtList[1], nullptr);
  EXPECT_EQ(Strip("Song.mp3"), "Song.mp3");
  EXPECT_EQ(Strip("Song.wav"), "Song");
}

TEST(WidthFromText, ClampsAsTheOptionsDialog) {
  struct { const char* text; int32_t width; } cases[] = {
      {"0", 10}, {"", 10}, {"abc", 10}, {"-5", 10}, {"9", 10}, {"10", 10},
      {"11", 11}, {"249", 249}, {"250", 250}, {"999", 250}, {"12abc", 12},
      {" 40", 40}, {"12345678", 250}, {"0000000042", 10},
  };
  for (const auto& c : cases) EXPECT_EQ(WidthFromText(c.text), c.width) << c.text;
}
