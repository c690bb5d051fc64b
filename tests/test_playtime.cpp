#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "base/handles.h"
#include "metadata/container.h"
#include "metadata/id3.h"
#include "metadata/mpeg_audio.h"
#include "metadata/playtime.h"
#include "platform/files.h"
#include "id3_tags.h"

static std::string Fixture(const char* name) {
  return std::string(MIRTUN_SOURCE_DIR "/tests/data/") + name;
}

// Fixtures made with ffmpeg; the expected times are ffprobe's durations,
// truncated to the millisecond.
TEST(GetMP3Length, MediaFixtures) {
  const struct {
    const char* file;
    int32_t ms;
    int32_t tolerance;
  } cases[] = {
      {"cbr.mp3", 2560, 0},        // constant bit rate, no information frame
      {"cbr_info.mp3", 2560, 0},   // constant bit rate with an Info frame
      {"vbr_xing.mp3", 3056, 0},   // variable bit rate with a Xing frame
      // Without a Xing frame the bit-rate estimate says 4904; the frames say
      // the same 3056 as the file with one.
      {"vbr_noxing.mp3", 3056, 30},
      {"tone.wav", 1250, 0},
      {"tone.ogg", 2000, 0},
      {"tone.flac", 1000, 0},
      {"tone.opus", 506, 0},  // with the pre-skip, as the demuxer counts
      {"tone.m4a", 500, 0},
      {"clip.mpg", 1800, 18},
      {"clip.avi", 3000, 0},
  };
  for (const auto& c : cases)
    EXPECT_NEAR(GetMP3Length(Fixture(c.file).c_str()), c.ms, c.tolerance) << c.file;
}

// A tag in front of the audio (here one with a 40 KB picture) is skipped and
// does not change the time; neither does a name without a known extension.
TEST(GetMP3Length, TagsAndNamesDoNotChangeTheTime) {
  TempDir dir;
  std::string audio = ReadFile(Fixture("cbr.mp3"));
  std::string tag = id3::Tag(id3::Text("TIT2", "Song") +
                             id3::Frame("APIC", std::string(40000, '\x11')) +
                             std::string(100, '\0'));
  WriteFile(dir / "tagged.mp3", tag + audio);
  WriteFile(dir / "noext", audio);
  WriteFile(dir / "wrong.ogg", audio);
  WriteFile(dir / "wav.mp3", ReadFile(Fixture("tone.wav")));
  EXPECT_EQ(GetMP3Length((dir / "tagged.mp3").c_str()), 2560);
  EXPECT_EQ(GetMP3Length((dir / "noext").c_str()), 2560);
  EXPECT_EQ(GetMP3Length((dir / "wrong.ogg").c_str()), 2560);
  EXPECT_EQ(GetMP3Length((dir / "wav.mp3").c_str()), 1250);
}

TEST(GetMP3Length, NoTimeForWhatIsNotMedia) {
  TempDir dir;
  WriteFile(dir / "text.mp3", "#EXTM3U\nsong.mp3\n");
  WriteFile(dir / "empty.mp3", "");
  WriteFile(dir / "image.png",
            std::string("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\0\0\x10\0\0\0\x10\x08\x02\0\0\0", 29));
  WriteFile(dir / "cut.wav", ReadFile(Fixture("tone.wav")).substr(0, 40));
  WriteFile(dir / "cut.mp3", ReadFile(Fixture("cbr_info.mp3")).substr(0, 40));
  ASSERT_EQ(mkfifo((dir / "pipe.mp3").c_str(), 0600), 0);
  for (const char* name : {"text.mp3", "empty.mp3", "image.png", "cut.wav", "cut.mp3",
                           "pipe.mp3", "missing.mp3", ""})
    EXPECT_EQ(GetMP3Length((dir / name).c_str()), 0) << name;
  EXPECT_EQ(GetMP3Length("/dev/zero"), 0);
}

// A 2 GB file of zeros, or of garbage, is given up after a bounded read.
// The files are sparse, so they cost no disk space; only the bytes read cost
// time, and the test would take minutes if the whole file were read.
TEST(GetMP3Length, HugeFilesAreGivenUpQuickly) {
  TempDir dir;
  std::string zeros = dir / "zeros.mp3";
  std::string garbage = dir / "garbage.mp3";
  WriteFile(zeros, "");
  std::string noise(1 << 20, '\0');
  uint32_t x = 12345;
  for (char& c : noise) c = static_cast<char>((x = x * 1103515245u + 12345u) >> 24);
  WriteFile(garbage, noise);
  ASSERT_EQ(truncate(zeros.c_str(), 2LL << 30), 0);
  ASSERT_EQ(truncate(garbage.c_str(), 2LL << 30), 0);
  EXPECT_EQ(GetMP3Length(zeros.c_str()), 0);
  EXPECT_EQ(GetMP3Length(garbage.c_str()), 0);
}

// MPEG audio is timed from its frame headers without the demuxer; the time
// must be the demuxer's to the millisecond, whatever the file holds around
// its frames.
TEST(GetMP3Length, FrameHeadersGiveTheDemuxersTime) {
  TempDir dir;
  const std::string cbr = ReadFile(Fixture("cbr.mp3"));
  const std::string info = ReadFile(Fixture("cbr_info.mp3"));
  const std::string xing = ReadFile(Fixture("vbr_xing.mp3"));
  const std::string noxing = ReadFile(Fixture("vbr_noxing.mp3"));
  const std::string tag = id3::Tag(id3::Text("TIT2", "Song") + std::string(100, '\0'));
  std::string ape = "APETAGEX" + std::string("\xD0\x07\0\0", 4) + std::string("\x20\0\0\0", 4) +
                    std::string(4, '\0') + std::string("\0\0\0\x80", 4) + std::string(8, '\0');
  ape = ape + std::string(32, 'x') + ape;  // header, one item's room, footer
  const struct { const char* name; std::string bytes; } cases[] = {
      {"cbr.mp3", cbr},
      {"info.mp3", info},
      {"xing.mp3", xing},
      {"noxing.mp3", noxing},
      {"tagged.mp3", tag + xing},
      {"junk.mp3", tag + std::string(300, '\0') + cbr},
      {"junk_xing.mp3", std::string(200, '\x55') + xing},
      {"trailer.mp3", cbr + id3::Trailer("Song", "Band")},
      {"ape.mp3", cbr + ape},
      {"ape_trailer.mp3", noxing + ape + id3::Trailer("Song", "Band")},
      {"cut.mp3", cbr.substr(0, cbr.size() - 100)},
      {"cut_vbr.mp3", noxing.substr(0, noxing.size() - 100)},
      {"concatenated.mp3", info + cbr + cbr},
      {"truncated.mp3", info.substr(0, 700)},
      {"two_kinds.mp3", noxing + cbr},
      {"garbage_inside.mp3", cbr.substr(0, 5000) + std::string(500, '\x11') + cbr.substr(5000)},
      {"no_extension", tag + cbr},
      {"no_extension_short", tag + info.substr(0, 500)},
      {"song.mp2", cbr},
      // A Xing frame count of 2^32 - 1: the time is the largest there is.
      {"xing_max.mp3", xing.substr(0, 41) + std::string(4, '\xFF') + xing.substr(45)},
      // The first frame's header across the end of the head, and the audio
      // behind a tag larger than the head and the window (each fixture
      // without the empty tag it starts with).
      {"head_edge.mp3", id3::Tag(std::string(kMediaHeadBytes - 12, '\0')) + info.substr(20)},
      {"large_tag.mp3", id3::Tag(id3::Frame("APIC", std::string(20000, '\x11'))) +
                            xing.substr(20) + id3::Trailer("Song", "Band")},
  };
  for (const auto& c : cases) {
    std::string path = dir / c.name;
    WriteFile(path, c.bytes);
    EXPECT_EQ(GetMP3Length(path.c_str()), GetDemuxedLength(path.c_str())) << c.name;
  }
  // A constant-rate stream with one frame of another rate in the middle: the
  // demuxer averages it into its estimate. cbr.mp3 is MPEG 2 layer III at
  // 22050 Hz and 32 kbit/s behind a 20-byte tag.
  size_t at = 20;
  for (int k = 0; k < 5; ++k) at += 72000 * 32 / 22050 + ((cbr[at + 2] >> 1) & 1);
  std::string odd = cbr.substr(at, 4);
  odd[2] = static_cast<char>((odd[2] & 0x0D) | 0x80);  // 64 kbit/s, no padding
  odd += std::string(72000 * 64 / 22050 - 4, '\0');
  WriteFile(dir / "one_odd.mp3", cbr.substr(0, at) + odd + cbr.substr(at));
  EXPECT_EQ(GetMP3Length((dir / "one_odd.mp3").c_str()),
            GetDemuxedLength((dir / "one_odd.mp3").c_str()));
}

// A common MP3 file, its ID3v2 tag and first frames in the head, is answered
// by the head read when it is opened; its end is read only when the tag
// leaves a name to the ID3v1 trailer there. Nothing more is read.
TEST(MediaBytes, HeadAndTailAnswerACommonFile) {
  TempDir dir;
  const std::string pad(2000, '\0');
  const std::string xing = ReadFile(Fixture("vbr_xing.mp3")).substr(20);  // without its tag
  const struct { const char* name; std::string bytes; bool tail; } cases[] = {
      {"whole.mp3", id3::Tag(id3::Text("TIT2", "Song")) + xing + id3::Trailer("", "Band"), false},
      {"head.mp3", id3::Tag(id3::Text("TIT2", "Song") + id3::Text("TPE1", "Band") + pad) + xing +
                       id3::Trailer("Other", "Other"), false},
      {"head_and_tail.mp3", id3::Tag(id3::Text("TIT2", "Song") + pad) + xing +
                                id3::Trailer("", "Band"), true},
  };
  for (const auto& c : cases) {
    std::string path = dir / c.name;
    WriteFile(path, c.bytes);
    int64_t size;
    UniqueFd file(OpenRegularFile(path.c_str(), &size));
    MediaBuffers buffers;
    MediaBytes f = LoadMediaBytes(file.fd, size, &buffers);
    // The tail, when it is to be read, is read once; any further read fails.
    if (c.tail) {
      ASSERT_NE(PeekBytes(f, size - 128, 128), nullptr) << c.name;
    }
    f.fd = -1;
    char t[512] = "", a[512] = "";
    EXPECT_EQ(ReadTagsIn(f, t, a, sizeof t), 1) << c.name;
    EXPECT_EQ(std::string(t) + "|" + a, "Song|Band") << c.name;
    EXPECT_EQ(GetMP3LengthIn(path.c_str(), f), 3056) << c.name;
    EXPECT_EQ(GetDemuxedLength(path.c_str()), 3056) << c.name;
    EXPECT_EQ(f.tail && f.tail->read, c.tail) << c.name;
  }
}

// Reads through the buffers give the file's bytes wherever they start and
// end: in the head, across its end, in the window, the tail, past the end.
TEST(MediaBytes, ReadsAcrossTheBuffersGiveTheFilesBytes) {
  TempDir dir;
  std::string bytes(40000, '\0');
  for (size_t k = 0; k < bytes.size(); ++k) bytes[k] = static_cast<char>(k * 7 + k / 251);
  const int64_t n = static_cast<int64_t>(bytes.size());
  const int64_t head = kMediaHeadBytes, tail = n - kMediaTailBytes;
  const struct { int64_t pos, len; bool ok; } cases[] = {
      {n - 128, 128, true},    {tail - 1, 2, true},
      {0, 10, true},           {head - 3, 8, true},       {head, 100, true},
      {head - 5, 9000, true},  {20000, 300, true},        {tail - 4, 10, true},
      {tail - 9000, 9000 + kMediaTailBytes, true},        {0, n, true},
      {n - 1, 1, true},        {n - 1, 2, false},         {n, 0, true},
      {n + 1, 0, false},       {-1, 4, false},
  };
  WriteFile(dir / "f.bin", bytes);
  int64_t size;
  UniqueFd file(OpenRegularFile((dir / "f.bin").c_str(), &size));
  MediaBuffers buffers;
  MediaBytes f = LoadMediaBytes(file.fd, size, &buffers);
  for (const auto& c : cases) {
    std::string out(static_cast<size_t>(c.len), '?');
    ASSERT_EQ(ReadBytes(f, c.pos, &out[0], c.len), c.ok) << c.pos << "+" << c.len;
    if (!c.ok) continue;
    EXPECT_TRUE(out == bytes.substr(c.pos, c.len)) << c.pos << "+" << c.len;
    const unsigned char* p = c.len <= kMediaWindowBytes ? PeekBytes(f, c.pos, c.len) : nullptr;
    EXPECT_TRUE(!p || std::memcmp(p, &bytes[c.pos], c.len) == 0) << c.pos << "+" << c.len;
  }
}

// The one rule both timings (frame headers, demuxer packets) judge a
// stream's bit rate by: frames counted at their most common rate and at
// others.
TEST(JudgeBitRates, FewOddFramesKeepAStreamConstant) {
  const struct { int64_t common, odd; BitRates expected; } cases[] = {
      {100, 0, RATES_CONSTANT},      {0, 0, RATES_CONSTANT},
      {98, 2, RATES_NEARLY_CONSTANT}, {1, 2, RATES_NEARLY_CONSTANT},
      {97, 3, RATES_NEARLY_CONSTANT}, {28, 3, RATES_NEARLY_CONSTANT},
      {27, 3, RATES_VARIABLE},       {5, 5, RATES_VARIABLE},
  };
  for (const auto& c : cases) {
    int64_t perRate[16] = {};
    perRate[9] = c.common;
    perRate[4] = c.odd > 1 ? c.odd - 1 : c.odd;
    perRate[14] = c.odd > 1 ? 1 : 0;
    EXPECT_EQ(JudgeBitRates(perRate, c.common + c.odd), c.expected) << c.common << "+" << c.odd;
  }
}

// True when one of the container readers answers for the file by itself.
static bool ReaderAnswers(const std::string& path) {
  std::string bytes = ReadFile(path);
  int64_t start = 0;
  if (bytes.size() >= 10 && bytes.compare(0, 3, "ID3") == 0)
    start = 10 + ((bytes[6] & 0x7F) << 21 | (bytes[7] & 0x7F) << 14 | (bytes[8] & 0x7F) << 7 |
                  (bytes[9] & 0x7F));
  UniqueFd file(open(path.c_str(), O_RDONLY));
  MediaBytes f;
  f.fd = file.fd;
  f.size = static_cast<int64_t>(bytes.size());
  ContainerInfo info;
  return FlacInfo(f, start, &info) || OggInfo(f, start, &info) || Mp4Info(f, start, &info);
}

// The time and the names of the file as GetMediaInfoOpen gives them, and as
// the demuxer alone gives them, as text.
static void BothPaths(const std::string& path, std::string* direct, std::string* demuxed) {
  char t[512] = "t", a[512] = "a";
  int32_t names = 0;
  int64_t size;
  UniqueFd file(OpenRegularFile(path.c_str(), &size));
  int32_t ms = GetMediaInfoOpen(path.c_str(), file.fd, size, t, a, 511, &names);
  *direct = std::to_string(ms) + "|" + std::to_string(names) + "|" + t + "|" + a;
  char t2[512] = "t", a2[512] = "a";
  ms = GetDemuxedInfo(path.c_str(), t2, a2, 511, &names);
  *demuxed = std::to_string(ms) + "|" + std::to_string(names) + "|" + t2 + "|" + a2;
}

namespace {

std::string Le32(uint32_t v) { return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; }
std::string Be24(uint32_t v) { return {char(v >> 16), char(v >> 8), char(v)}; }
uint32_t Le32At(const std::string& s, size_t at) {
  const unsigned char* b = reinterpret_cast<const unsigned char*>(s.data() + at);
  return static_cast<uint32_t>(b[3]) << 24 | b[2] << 16 | b[1] << 8 | b[0];
}
uint32_t Be32At(const std::string& s, size_t at) {
  const unsigned char* b = reinterpret_cast<const unsigned char*>(s.data() + at);
  return static_cast<uint32_t>(b[0]) << 24 | b[1] << 16 | b[2] << 8 | b[3];
}

// Vorbis comments: vendor, count, items.
std::string Comments(const std::vector<std::string>& items) {
  std::string r = Le32(4) + "test" + Le32(static_cast<uint32_t>(items.size()));
  for (const auto& i : items) r += Le32(static_cast<uint32_t>(i.size())) + i;
  return r;
}

uint32_t OggCrc(const std::string& page) {
  uint32_t crc = 0;
  for (unsigned char b : page) {
    crc ^= static_cast<uint32_t>(b) << 24;
    for (int k = 0; k < 8; ++k) crc = crc & 0x80000000u ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
  }
  return crc;
}

// One packet as Ogg pages of the stream with the serial number given
// (4 bytes), granule 0.
std::string OggPackets(const std::string& packet, const std::string& serial, int seq) {
  std::string out;
  size_t at = 0;
  bool more = true;
  for (bool first = true; more; first = false) {
    std::string segs, body;
    while (segs.size() < 255 && more) {
      size_t n = std::min<size_t>(255, packet.size() - at);
      segs += char(n);
      body += packet.substr(at, n);
      at += n;
      more = n == 255;
    }
    std::string page = std::string("OggS\0", 5) + char(first ? 0 : 1) + std::string(8, '\0') +
                       serial + Le32(seq++) + Le32(0) + char(segs.size()) + segs + body;
    page.replace(22, 4, Le32(OggCrc(page)));
    out += page;
  }
  return out;
}

// The Ogg pages of a file, each whole.
std::vector<std::string> OggPages(const std::string& file) {
  std::vector<std::string> pages;
  for (size_t at = 0; at + 27 <= file.size();) {
    size_t segs = static_cast<unsigned char>(file[at + 26]);
    size_t n = 27 + segs;
    for (size_t k = 0; k < segs; ++k) n += static_cast<unsigned char>(file[at + 27 + k]);
    pages.push_back(file.substr(at, n));
    at += n;
  }
  return pages;
}

// The pages again, each with its checksum made anew.
std::string WithChecksums(const std::string& file) {
  std::string out;
  for (std::string page : OggPages(file)) {
    page.replace(22, 4, Le32(OggCrc(page.replace(22, 4, Le32(0)))));
    out += page;
  }
  return out;
}

// The top-level atoms of an MP4 file with 32-bit sizes.
std::vector<std::string> Atoms(const std::string& file) {
  std::vector<std::string> atoms;
  for (size_t at = 0; at + 8 <= file.size();) {
    size_t n = Be32At(file, at);
    atoms.push_back(file.substr(at, n));
    at += n;
  }
  return atoms;
}

}  // namespace

// FLAC, Ogg and MP4 headers are read without the demuxer; time and names
// must be the demuxer's, and what the readers are not sure of goes to it.
TEST(GetMediaInfoOpen, ContainerHeadersGiveTheDemuxersAnswer) {
  TempDir dir;
  const std::string flac = ReadFile(Fixture("tone.flac"));
  const std::string ogg = ReadFile(Fixture("tone.ogg"));
  const std::string opus = ReadFile(Fixture("tone.opus"));
  const std::string m4a = ReadFile(Fixture("tone.m4a"));
  const std::string oga = ReadFile(Fixture("tone.oga"));  // FLAC in Ogg
  const std::string tag = id3::Tag(id3::Text("TALB", "Album") + std::string(50, '\0'));

  // FLAC: STREAMINFO alone (not the last block), then comments of every
  // kind, a picture and padding, then the frames.
  size_t frames = 4;
  for (bool last = false; !last; frames += 4 + (Be32At(flac, frames) & 0xFFFFFF))
    last = flac[frames] & 0x80;
  std::string info = flac.substr(4, 38);
  info[0] = 0;
  std::string vc = Comments({"title=One", "TITLE=Two", "ARTIST=", "=x", "no equals",
                             std::string("Artist=A\0B", 10), "TiTlE=Thr\xE9" "e", "ARTISTS=no",
                             "TITLEX=no"});
  auto block = [](int type, const std::string& body) {
    return char(type) + Be24(static_cast<uint32_t>(body.size())) + body;
  };
  std::string rebuilt = "fLaC" + info + block(4, vc) + block(6, std::string(3000, 'p')) +
                        block(0x81, std::string(100, '\0')) + flac.substr(frames);
  // 30,296 samples at 44,099 Hz: 686,999.29... µs, which rounds to the
  // millisecond above.
  std::string rounded = flac;
  rounded.replace(18, 3, std::string("\x0A\xC4", 2) + char(0x30 | (flac[20] & 0x0F)));
  rounded.replace(21, 5, std::string(1, char(flac[21] & 0xF0)) + id3::Be32(30296));
  std::string noSamples = flac;
  for (int k = 21; k < 26; ++k) noSamples[k] = static_cast<char>(k == 21 ? noSamples[k] & 0xF0 : 0);

  // Opus with a comment packet over several pages: a cover first, the names
  // after it.
  std::vector<std::string> pages = OggPages(opus);
  std::string bigTags = pages[0] +
                        OggPackets("OpusTags" + Comments({"METADATA_BLOCK_PICTURE=" +
                                                              std::string(150000, 'Q'),
                                                          "TITLE=Lied", "artist=B\xC3\xA4nd"}),
                                   pages[0].substr(14, 4), 1);
  for (size_t k = 2; k < pages.size(); ++k) bigTags += pages[k];

  // Vorbis whose last comment runs into the comment packet's closing byte.
  std::string longComment = ogg;
  size_t last = longComment.find("\x03vorbis") + 7;
  last += 4 + Le32At(longComment, last);
  for (uint32_t count = Le32At(longComment, last), k = 0; k < count; ++k) {
    last += 4;
    if (k + 1 < count) last += Le32At(longComment, last);
  }
  longComment.replace(last, 4, Le32(Le32At(longComment, last) + 1));
  longComment = WithChecksums(longComment);

  // MP4: the header after the media data (as written), before it, with a
  // 64-bit size; a fragment after it; a UTF-16 name.
  std::vector<std::string> atoms = Atoms(m4a);
  std::string moov, mdat, head;
  for (const auto& a : atoms)
    (a.compare(4, 4, "moov") == 0 ? moov : a.compare(4, 4, "mdat") == 0 ? mdat : head) += a;
  std::string mdat64 = id3::Be32(1) + "mdat" + id3::Be32(0) +
                       id3::Be32(static_cast<uint32_t>(mdat.size() + 8)) + mdat.substr(8);
  std::string utf16 = m4a;
  size_t nam = utf16.find("\xA9nam");
  utf16[nam + 15] = 2;
  // A second title and a second artist (as "\251aut") at the end of ilst:
  // the later ones win. The atoms around it grow by as much.
  std::string item = id3::Be32(24 + 6) + "\xA9nam" + id3::Be32(16 + 6) + "data" + id3::Be32(1) +
                     id3::Be32(0) + "Second";
  item += id3::Be32(24 + 4) + "\xA9" "aut" + id3::Be32(16 + 4) + "data" + id3::Be32(1) +
          id3::Be32(0) + "Auth";
  std::string twice = m4a;
  size_t at = 0;
  for (const char* type : {"moov", "udta", "meta", "ilst"}) {
    at = twice.find(type, at) - 4;
    uint32_t n = Be32At(twice, at);
    twice.replace(at, 4, id3::Be32(n + static_cast<uint32_t>(item.size())));
    if (type[0] == 'i') twice.insert(at + n, item);
    at += 8;
  }
  std::string emptyEdit = m4a;  // the first edit's media time -1: a gap
  emptyEdit.replace(emptyEdit.find("elst") + 16, 4, std::string(4, '\xFF'));

  const struct { const char* name; std::string bytes; bool answered; } cases[] = {
      {"tone.flac", flac, true},
      {"tagged.flac", tag + flac, true},
      {"comments.flac", rebuilt, true},
      {"rounded.flac", rounded, true},
      {"no_samples.flac", noSamples, false},
      {"cut.flac", flac.substr(0, 30), false},
      {"cut_picture.flac", "fLaC" + info + block(0x86, std::string(5000, 'p')).substr(0, 900),
       false},
      {"tone.ogg", ogg, true},
      {"tagged.ogg", tag + ogg, true},
      {"junk.ogg", ogg + std::string(100, 'j'), false},
      {"long_comment.ogg", longComment, false},
      {"cut.ogg", ogg.substr(0, ogg.size() - 10), false},
      {"tone.opus", opus, true},
      {"tone.oga", oga, true},
      {"chained.ogg", ogg + opus, false},
      {"big_tags.opus", bigTags, true},
      {"tone.m4a", m4a, true},
      {"faststart.m4a", head + moov + mdat, true},
      {"large.m4a", head + mdat64 + moov, true},
      {"fragment.m4a", m4a + id3::Be32(8) + "moof", false},
      {"utf16.m4a", utf16, false},
      {"twice.m4a", twice, true},
      {"empty_edit.m4a", emptyEdit, false},
      // The extension names another format: the demuxer is asked (the
      // reader could answer, and the answers agree).
      {"flac.ogg", flac, true},
  };
  for (const auto& c : cases) {
    std::string path = dir / c.name;
    WriteFile(path, c.bytes);
    std::string direct, demuxed;
    BothPaths(path, &direct, &demuxed);
    EXPECT_EQ(direct, demuxed) << c.name;
    EXPECT_EQ(ReaderAnswers(path), c.answered) << c.name;
  }
}

// Every media file below root: the time as the demuxer gives it, and
// where a container reader answers, the names too (MPEG audio leaves its
// names to the ID3 reader). Counts the files and the readers' answers.
static void CompareWithTheDemuxer(const std::string& root, int* files, int* answered) {
  for (const auto& e : std::filesystem::recursive_directory_iterator(root)) {
    if (!e.is_regular_file()) continue;
    std::string p = e.path().string();
    EXPECT_EQ(GetMP3Length(p.c_str()), GetDemuxedLength(p.c_str())) << p;
    ++*files;
    if (!ReaderAnswers(p)) continue;
    std::string direct, demuxed;
    BothPaths(p, &direct, &demuxed);
    EXPECT_EQ(direct, demuxed) << p;
    ++*answered;
  }
}

TEST(GetMediaInfoOpen, FixturesAgreeWithTheDemuxer) {
  int files = 0, answered = 0;
  CompareWithTheDemuxer(MIRTUN_SOURCE_DIR "/tests/data", &files, &answered);
  EXPECT_GE(answered, 11);
}

TEST(GetMP3Length, SharedMediaFrameHeadersAgreeWithTheDemuxer) {
  const std::string root = MIRTUN_SOURCE_DIR "/../shared/testdata/media";
  struct stat st;
  if (stat(root.c_str(), &st) != 0) GTEST_SKIP() << root << " is not there";
  int files = 0, answered = 0;
  CompareWithTheDemuxer(root, &files, &answered);
  EXPECT_GT(files, 200);
  EXPECT_GE(answered, 13);
}
