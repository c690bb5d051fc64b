#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "base/text.h"

TEST(Atoi32, BehavesAsOnA32BitPlatform) {
  struct { const char* in; int32_t out; } cases[] = {
      {"215", 215}, {"  42x", 42}, {"\t-7", -7}, {"+8", 8}, {"abc", 0},
      {"", 0}, {"3.5", 3}, {"- 5", 0}, {"2147483647", INT32_MAX},
      {"2147483648", INT32_MAX}, {"99999999999999999999", INT32_MAX},
      {"-2147483648", INT32_MIN}, {"-2147483649", INT32_MIN},
      {"-99999999999999999999", INT32_MIN}, {"\v\f\r\n12", 12},
  };
  for (const auto& c : cases) EXPECT_EQ(Atoi32(c.in), c.out) << c.in;
}

TEST(CopyText, CutsAndTerminates) {
  char buf[5];
  EXPECT_EQ(CopyText(buf, sizeof buf, "abcdefgh"), 4u);
  EXPECT_STREQ(buf, "abcd");
  EXPECT_EQ(CopyTextN(buf, sizeof buf, "abcdefgh", 2), 2u);
  EXPECT_STREQ(buf, "ab");
  char big[] = "abcdef";
  CopyTextN(big, sizeof big, big + 2, 10);  // overlapping copy
  EXPECT_STREQ(big, "cdef");
}

TEST(Utf8, CountsCharactersNotBytes) {
  struct { const char* s; size_t chars; } cases[] = {
      {"Gronemeyer", 10}, {"Gr\xC3\xB6nemeyer", 10},
      {"\xE2\x82\xAC", 1},            // euro sign
      {"\xF0\x9F\x8E\xB5", 1},        // musical note, 4 bytes
      {"Gr\xF6nemeyer", 10},          // Latin-1: every byte one character
      {"\xC0\xAF", 2},                // overlong: two characters
      {"\xED\xA0\x80", 3},            // surrogate: not a valid sequence
      {"\xE2\x82", 2},                // cut sequence
      {"\xE0\x80\x80", 3},            // overlong three-byte form
      {"\xF0\x80\x80\x80", 4},        // overlong four-byte form
      {"\xF4\x90\x80\x80", 4},        // beyond U+10FFFF
  };
  for (const auto& c : cases)
    EXPECT_EQ(Utf8Count(c.s, std::strlen(c.s)), c.chars) << c.s;
  const char* s = "a\xC3\xB6" "b";
  EXPECT_EQ(Utf8Prefix(s, 4, 2), 3u);
  EXPECT_EQ(Utf8CutBytes(s, 4, 2), 1u);  // never splits the ö
  EXPECT_EQ(Utf8CutBytes(s, 4, 3), 3u);
}

TEST(FormatFileMessage, NeverOverrunsAndShortensVisibly) {
  char buf[500];
  FormatFileMessage(buf, sizeof buf, "Die Zieldatei %s existiert bereits!", "a.txt");
  EXPECT_STREQ(buf, "Die Zieldatei a.txt existiert bereits!");
  std::string name;
  for (int k = 0; k < 300; ++k) name += "\xC3\xA4";  // 600 bytes
  name += "-end.txt";
  FormatFileMessage(buf, sizeof buf, "Die Zieldatei %s existiert bereits!", name.c_str());
  std::string msg = buf;
  EXPECT_LE(msg.size(), 499u);
  EXPECT_EQ(msg.substr(0, 17), "Die Zieldatei ...");
  EXPECT_NE(msg.find("-end.txt existiert bereits!"), std::string::npos);
  size_t dots = msg.find("...") + 3;
  EXPECT_EQ(static_cast<unsigned char>(msg[dots]), 0xC3u);  // starts on a whole character
}
