#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/textstream.h"
#include "support.h"

namespace {
// Every line TsLine hands out, with the given block size and room for 510
// bytes.
std::vector<std::string> Pieces(const std::string& input, size_t block = 1 << 20,
                                size_t cap = 511) {
  std::string in = input;
  FILE* f = in.empty() ? std::fopen("/dev/null", "rb")
                       : fmemopen(&in[0], in.size(), "rb");
  TextStream ts;
  TsInit(&ts, f, block);
  std::vector<std::string> out;
  std::string line(cap + 1, '\0');
  size_t len;
  while (TsLine(&ts, &line[0], cap, &len) != nullptr) {
    out.emplace_back(line.data(), len);
  }
  std::fclose(f);
  return out;
}
using V = std::vector<std::string>;
}  // namespace

TEST(TsLine, WholeLinesEndedByLfCrLfOrCr) {
  struct { std::string in; V lines; } cases[] = {
      {"", {}},
      {"a\nb", {"a", "b"}},
      {"a\rb\r", {"a", "b"}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\r\r\nb", {"a", "", "b"}},   // the CR that survives gives an empty line
      {"\n", {""}},
      {std::string("a\0b\n", 4), {std::string("a\0b", 3)}},
      {"x\x1Ay\n", {"x\x1Ay"}},              // Ctrl-Z is no end of file
      {std::string(510, 'x') + "\nz", {std::string(510, 'x'), "z"}},
      // A longer line is one line: what does not fit is read past.
      {std::string(1000, 'y') + "\nz\n", {std::string(510, 'y'), "z"}},
  };
  for (const auto& c : cases) EXPECT_EQ(Pieces(c.in), c.lines);
}

// A list that starts with a UTF-16 byte-order mark comes out as UTF-8, in
// either byte order, whatever the blocks cut apart.
TEST(TsLine, Utf16Sources) {
  auto le = [](const std::u16string& t) {
    std::string r = "\xFF\xFE";
    for (char16_t c : t) r += {char(c & 0xFF), char(c >> 8)};
    return r;
  };
  auto be = [](const std::u16string& t) {
    std::string r = "\xFE\xFF";
    for (char16_t c : t) r += {char(c >> 8), char(c & 0xFF)};
    return r;
  };
  const std::u16string text = u"#EXTM3U\r\nGr\u00F6\u00DFe \U0001F3B5.mp3\r\n";
  const V lines = {"#EXTM3U", "Gr\xC3\xB6\xC3\x9F" "e \xF0\x9F\x8E\xB5.mp3"};
  EXPECT_EQ(Pieces(le(text)), lines);
  EXPECT_EQ(Pieces(be(text)), lines);
  // A lone surrogate shows as U+FFFD; an odd last byte is dropped.
  EXPECT_EQ(Pieces(le({u'a', char16_t(0xD800), u'b'}) + "c"), V{"a\xEF\xBF\xBD" "b"});
  // A pair across the boundary of two reads.
  std::u16string longText(32767, u'x');
  longText += u"\U0001F3B5\n";
  EXPECT_EQ(Pieces(le(longText), 1024, 40000),
            V{std::string(32767, 'x') + "\xF0\x9F\x8E\xB5"});
  // No mark: the bytes as they are.
  EXPECT_EQ(Pieces("\xFFx\n"), V{"\xFFx"});
}

TEST(TsLine, FoldingDoesNotDependOnTheBlockSize) {
  // CR LF pairs, lone CRs and long lines placed across every block boundary
  // must read the same with tiny blocks as with one big block.
  std::string in;
  for (int k = 0; k < 400; ++k) {
    in += "line " + std::to_string(k) + (k % 3 ? "\r\n" : "\r");
    if (k % 50 == 0) in += std::string(700 + k, 'z') + "\r\n";
  }
  V big = Pieces(in);
  for (size_t block : {1024u, 1025u, 1031u, 4096u}) EXPECT_EQ(Pieces(in, block), big);
  // A CR exactly at the end of a block, followed by LF in the next one.
  std::string edge = std::string(1023, 'a') + "\r\nb";
  EXPECT_EQ(Pieces(edge, 1024), (V{std::string(510, 'a'), "b"}));
  EXPECT_EQ(Pieces(std::string(1023, 'a') + "\r", 1024, 2000).back(), std::string(1023, 'a'));
}

TEST(LineReaders, LastLineWithoutLineFeed) {
  // Lines joined by LF with none after the last, which is longer or shorter
  // than the text before it and lies before, at or across a block edge.
  std::string l50(49, 'p'), l509(509, 'q');
  struct { std::vector<std::string> lines; } cases[] = {
      {{"a.mp3", "Music/Falco/Falco 3/01 Rock Me Amadeus.mp3"}},
      {{"Music/Falco/Falco 3/01 Rock Me Amadeus.mp3", "X/b.mp3"}},
      {{"only"}},
      {{l509, "z"}},
      {{"z", l509}},
      {{l50, l50, l50, l50, l50, l50, l50, l50, l50, l50, l50, l50, l50, l50, l50, l50, l50, l50,
        l50, l50, "tail line of some length"}},
  };
  for (const auto& c : cases) {
    std::string in;
    for (size_t k = 0; k < c.lines.size(); ++k) in += (k ? "\n" : "") + c.lines[k];
    // Padding in front moves the last line across the first block edge.
    for (size_t pad = 0; pad < 40; pad += 3) {
      std::string padded = std::string(pad, '\n') + in;
      V lines(pad, "");
      lines.insert(lines.end(), c.lines.begin(), c.lines.end());
      for (size_t block : {1024u, 1031u, 1u << 20})
        EXPECT_EQ(Pieces(padded, block), lines) << c.lines.back() << " " << pad << " " << block;
    }
  }
}
