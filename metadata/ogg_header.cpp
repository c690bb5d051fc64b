// Ogg with one logical stream of Vorbis, Opus or FLAC: the identification
// and comment packets from the first pages, the time from the granule
// position of the last page, read from the file's tail.
//
// The demuxer's time of such a stream is the last granule position over the
// sample rate (48,000 for Opus) as it stands: it takes neither the start of
// the first audio page nor Opus's pre-skip off, so neither is taken off here.
#include <string.h>

#include <cstring>
#include <memory>
#include <new>

#include "metadata/container.h"

namespace {

constexpr int64_t kHeaderSize = 27;
constexpr int64_t kMaxPage = kHeaderSize + 255 + 255 * 255;
// Pages of header packets (a comment packet with a cover spans many).
constexpr int kMaxHeaderPages = 2048;
// Bytes of a Vorbis setup header read from its end to find its modes.
constexpr int64_t kSetupTail = 2048;

enum Flags { CONTINUED = 1, FIRST = 2 };

// CRC-32 of an Ogg page (polynomial 0x04C11DB7, no reflection), the
// checksum field counted as zeros; sixteen bytes a step through sixteen
// tables (the pages of every file are checked, so this is the readers' hot
// loop).
struct CrcTables {
  uint32_t t[16][256];
  CrcTables() {
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t r = i << 24;
      for (int k = 0; k < 8; ++k) r = r & 0x80000000u ? (r << 1) ^ 0x04C11DB7u : r << 1;
      t[0][i] = r;
    }
    for (int k = 1; k < 16; ++k)
      for (int i = 0; i < 256; ++i) t[k][i] = (t[k - 1][i] << 8) ^ t[0][t[k - 1][i] >> 24];
  }
};

uint32_t CrcUpdate(uint32_t crc, const unsigned char* p, int64_t n) {
  static const CrcTables tables;
  const auto& t = tables.t;
  for (; n >= 16; p += 16, n -= 16) {
    uint32_t w[4];
    std::memcpy(w, p, 16);
    uint32_t a = crc ^ __builtin_bswap32(w[0]), b = __builtin_bswap32(w[1]);
    uint32_t c = __builtin_bswap32(w[2]), d = __builtin_bswap32(w[3]);
    crc = t[15][a >> 24] ^ t[14][(a >> 16) & 0xFF] ^ t[13][(a >> 8) & 0xFF] ^ t[12][a & 0xFF] ^
          t[11][b >> 24] ^ t[10][(b >> 16) & 0xFF] ^ t[9][(b >> 8) & 0xFF] ^ t[8][b & 0xFF] ^
          t[7][c >> 24] ^ t[6][(c >> 16) & 0xFF] ^ t[5][(c >> 8) & 0xFF] ^ t[4][c & 0xFF] ^
          t[3][d >> 24] ^ t[2][(d >> 16) & 0xFF] ^ t[1][(d >> 8) & 0xFF] ^ t[0][d & 0xFF];
  }
  for (; n > 0; ++p, --n) crc = (crc << 8) ^ t[0][((crc >> 24) ^ *p) & 0xFF];
  return crc;
}

uint32_t PageCrc(const unsigned char* p, int64_t n) {
  static const unsigned char zeros[4] = {};
  uint32_t crc = CrcUpdate(0, p, 22);
  crc = CrcUpdate(crc, zeros, 4);
  return CrcUpdate(crc, p + 26, n - 26);
}

struct PageHeader {
  unsigned char flags = 0;
  int64_t granule = 0;
  uint32_t serial = 0;
  int nsegs = 0;
  const unsigned char* segs = nullptr;
  int64_t size = 0;  // the whole page
};

// The header of a page at p (avail bytes there); false when it is not one.
bool ParseHeader(const unsigned char* p, int64_t avail, PageHeader* h) {
  if (avail < kHeaderSize || std::memcmp(p, "OggS", 4) != 0 || p[4] != 0) return false;
  h->flags = p[5];
  h->granule = static_cast<int64_t>(Le64(p + 6));
  h->serial = Le32(p + 14);
  h->nsegs = p[26];
  if (avail < kHeaderSize + h->nsegs) return false;
  h->segs = p + kHeaderSize;
  h->size = kHeaderSize + h->nsegs;
  for (int k = 0; k < h->nsegs; ++k) h->size += h->segs[k];
  return true;
}

// The packets of one logical stream, read in order over its pages.
struct Cursor {
  const MediaBytes* f;
  unsigned char* buf;  // the current page, whole
  PageHeader pg;
  int64_t pos = 0;     // of the current page in the file
  int seg = 0;         // next segment of the page not yet taken
  int64_t off = 0;     // next byte in buf
  int64_t avail = 0;   // bytes of the current packet left on this page
  bool endsHere = false;
  int pages = 0;
};

bool LoadPage(Cursor* c, int64_t pos) {
  if (++c->pages > kMaxHeaderPages) return false;
  PageHeader h;
  if (!ReadBytes(*c->f, pos, c->buf, kHeaderSize) ||
      !ReadBytes(*c->f, pos + kHeaderSize, c->buf + kHeaderSize, c->buf[26]) ||
      !ParseHeader(c->buf, kHeaderSize + c->buf[26], &h) ||
      !ReadBytes(*c->f, pos + kHeaderSize + h.nsegs, c->buf + kHeaderSize + h.nsegs,
                 h.size - kHeaderSize - h.nsegs) ||
      PageCrc(c->buf, h.size) != Le32(c->buf + 22))
    return false;
  c->pg = h;
  c->pos = pos;
  c->seg = 0;
  c->off = kHeaderSize + h.nsegs;
  return true;
}

// The next page of the stream: same serial, no new stream, continuing the
// packet before it or not as said.
bool NextPage(Cursor* c, bool continued) {
  uint32_t serial = c->pg.serial;
  if (!LoadPage(c, c->pos + c->pg.size)) return false;
  return c->pg.serial == serial && !(c->pg.flags & FIRST) &&
         ((c->pg.flags & CONTINUED) != 0) == continued;
}

// Takes the segments of the current packet on this page.
void TakeSegments(Cursor* c) {
  c->avail = 0;
  c->endsHere = false;
  while (c->seg < c->pg.nsegs && !c->endsHere) {
    unsigned char s = c->pg.segs[c->seg++];
    c->avail += s;
    c->endsHere = s < 255;
  }
}

// Starts the next packet; *len gets its size (its pages' headers are looked
// at ahead).
bool BeginPacket(Cursor* c, int64_t* len) {
  if (c->seg == c->pg.nsegs && !NextPage(c, false)) return false;
  TakeSegments(c);
  *len = c->avail;
  if (c->endsHere) return true;
  int64_t pos = c->pos + c->pg.size;
  for (int k = 0; k < kMaxHeaderPages; ++k) {
    unsigned char b[kHeaderSize + 255];
    PageHeader h;
    if (!ReadBytes(*c->f, pos, b, kHeaderSize) ||
        !ReadBytes(*c->f, pos + kHeaderSize, b + kHeaderSize, b[26]) ||
        !ParseHeader(b, kHeaderSize + b[26], &h) || !(h.flags & CONTINUED))
      return false;
    for (int s = 0; s < h.nsegs; ++s) {
      *len += h.segs[s];
      if (h.segs[s] < 255) return true;
    }
    pos += h.size;
  }
  return false;
}

bool PacketNext(void* ctx, unsigned char* out, int64_t n) {
  Cursor* c = static_cast<Cursor*>(ctx);
  while (n > 0) {
    if (c->avail == 0) {
      if (c->endsHere || !NextPage(c, true)) return false;
      TakeSegments(c);
      continue;
    }
    int64_t m = n < c->avail ? n : c->avail;
    if (out) {
      std::memcpy(out, c->buf + c->off, static_cast<size_t>(m));
      out += m;
    }
    c->off += m;
    c->avail -= m;
    n -= m;
  }
  return true;
}

// Moves past what is left of the current packet (left bytes).
bool EndPacket(Cursor* c, int64_t left) {
  if (!PacketNext(c, nullptr, left)) return false;
  // A packet of a whole number of 255-byte segments ends on the next page.
  if (!c->endsHere) {
    if (!NextPage(c, true)) return false;
    TakeSegments(c);
  }
  return c->endsHere && c->avail == 0;
}

// The first byte of the packet after the headers, the first audio packet:
// there must be one, on a sound page, for the demuxer to finish its
// headers.
bool FirstAudioByte(Cursor* c, unsigned char* first) {
  if (c->seg == c->pg.nsegs && !NextPage(c, false)) return false;
  if (c->pg.segs[c->seg] == 0) return false;
  *first = c->buf[c->off];
  return true;
}

// Reads the comment packet's items after its signature (sig bytes; the
// packet holds len, of which tail bytes at its end are not comments).
bool CommentPacket(Cursor* c, const char* sig, int64_t sigLen, int64_t tail,
                   ContainerInfo* info) {
  int64_t len;
  unsigned char b[8];
  if (!BeginPacket(c, &len) || len < sigLen + tail || !PacketNext(c, b, sigLen) ||
      std::memcmp(b, sig, static_cast<size_t>(sigLen)) != 0)
    return false;
  PacketBytes p{c, PacketNext, len - sigLen - tail};
  if (!ReadVorbisComment(&p, info)) return false;
  return EndPacket(c, p.left + tail);
}

// The Vorbis setup header checked as the demuxer's packet parser reads it:
// from its end backwards, the framing bit, then the modes (41 bits each)
// until the mode count in front of them matches.
struct BitsFromEnd {
  const unsigned char* tail;  // the last tailLen bytes of the header
  int64_t tailLen;
  int64_t totalBits;
  int64_t at = 0;
  bool ok = true;
  uint32_t Get(int n) {
    uint32_t v = 0;
    for (int k = 0; k < n; ++k, ++at) {
      int64_t fromEnd = at / 8;
      if (fromEnd >= tailLen) {
        ok = false;
        return 0;
      }
      v = v << 1 | ((tail[tailLen - 1 - fromEnd] >> (7 - at % 8)) & 1);
    }
    return v;
  }
  int64_t Left() const { return totalBits - at; }
};

bool SetupHeaderReadable(const unsigned char* tail, int64_t tailLen, int64_t len) {
  BitsFromEnd r{tail, tailLen, len * 8};
  bool framing = false;
  while (r.Left() > 97 && r.ok)
    if (r.Get(1)) {
      framing = true;
      break;
    }
  if (!framing) return false;
  int modes = 0;
  int found = 0;
  while (r.Left() >= 97 && r.ok) {
    if (r.Get(8) > 63 || r.Get(16) || r.Get(16)) break;
    r.Get(1);
    if (++modes > 64) break;
    BitsFromEnd peek = r;
    if (static_cast<int>(peek.Get(6)) + 1 == modes && peek.ok) found = modes;
  }
  return r.ok && found > 0 && found <= 63;
}

// The headers after the identification packet, up to the first audio
// packet, for each codec as its demuxer part reads them.
bool VorbisHeaders(Cursor* c, ContainerInfo* info) {
  // The comment packet ends in a framing byte that is no comment.
  if (!CommentPacket(c, "\x03vorbis", 7, 1, info)) return false;
  int64_t len;
  unsigned char tail[kSetupTail];
  if (!BeginPacket(c, &len) || len < 7 || !PacketNext(c, tail, 7) ||
      std::memcmp(tail, "\x05vorbis", 7) != 0)
    return false;
  // The bits are read from the end: keep the last kSetupTail bytes (the
  // whole header when it is shorter, its signature included).
  int64_t tailLen = len < kSetupTail ? len : kSetupTail;
  if (tailLen == len) {
    if (!PacketNext(c, tail + 7, len - 7)) return false;
  } else if (!PacketNext(c, nullptr, len - 7 - tailLen) || !PacketNext(c, tail, tailLen)) {
    return false;
  }
  if (!EndPacket(c, 0) || !SetupHeaderReadable(tail, tailLen, len)) return false;
  // The next packet must be audio, not one more header.
  unsigned char first;
  return FirstAudioByte(c, &first) && !(first & 1);
}

bool OpusHeaders(Cursor* c, ContainerInfo* info) {
  unsigned char first;
  return CommentPacket(c, "OpusTags", 8, 0, info) && FirstAudioByte(c, &first);
}

// FLAC in Ogg: metadata blocks, one a packet, up to the first frame.
bool FlacHeaders(Cursor* c, ContainerInfo* info) {
  bool comment = false;
  for (int k = 0; k < 256; ++k) {
    int64_t len;
    unsigned char type;
    if (!BeginPacket(c, &len) || len < 1) return false;
    // Peek at the first byte without taking it: the comment reader wants
    // the block from its start.
    if (c->avail < 1) return false;
    type = c->buf[c->off];
    if (type == 0xFF) return true;  // the first audio frame
    if ((type & 0x7F) == 0x7F) return false;  // a second stream header
    if ((type & 0x7F) == 4) {
      if (comment || len < 4) return false;
      comment = true;
      unsigned char b[4];
      if (!PacketNext(c, b, 4)) return false;
      PacketBytes p{c, PacketNext, len - 4};
      if (!ReadVorbisComment(&p, info) || !EndPacket(c, p.left)) return false;
    } else if (!EndPacket(c, len)) {
      return false;
    }
  }
  return false;
}

// The granule position the demuxer takes for the stream's length: it reads
// the pages of the file's last kMaxPage bytes from the first "OggS" there
// and keeps the granule of the last page that gives one. Only a clean run of
// pages of the stream to the end of the file is followed here; anything
// else (junk, another stream, a page cut or damaged) gives 0. The stream
// begins at start; the page at checked has had its checksum checked
// already.
int64_t LastGranule(const MediaBytes& f, int64_t start, uint32_t serial, int64_t checked,
                    unsigned char* buf) {
  int64_t n = f.size < kMaxPage ? f.size : kMaxPage;
  int64_t from = f.size - n;
  if (!ReadBytes(f, from, buf, n)) return 0;
  const unsigned char* sync = static_cast<const unsigned char*>(memmem(buf, n, "OggS", 4));
  if (!sync) return 0;
  int64_t granule = 0;
  int64_t at = sync - buf;
  PageHeader h;
  for (; at < n; at += h.size) {
    if (!ParseHeader(buf + at, n - at, &h) || h.size > n - at || h.serial != serial) return 0;
    // A stream begins again: chained files, even under the same serial.
    if ((h.flags & FIRST) && from + at != start) return 0;
    // -1: no packet ends on the page; other negative positions the
    // demuxer does not take as a time.
    if (h.granule < -1) return 0;
    if (h.granule > 0) granule = h.granule;
  }
  // The last page gives the time: it must be whole.
  at -= h.size;
  if (h.granule <= 0) return 0;
  if (from + at != checked && PageCrc(buf + at, h.size) != Le32(buf + at + 22)) return 0;
  return granule;
}

}  // namespace

bool OggInfo(const MediaBytes& f, int64_t start, ContainerInfo* info) {
  std::unique_ptr<unsigned char[]> buf(new (std::nothrow) unsigned char[kMaxPage]);
  if (!buf) return false;
  Cursor c{&f, buf.get(), PageHeader()};
  if (!LoadPage(&c, start) || (c.pg.flags & (FIRST | CONTINUED)) != FIRST) return false;
  const uint32_t serial = c.pg.serial;
  // The identification packet, alone on the first page.
  int64_t len;
  unsigned char id[64] = {};
  if (!BeginPacket(&c, &len) || !c.endsHere || c.seg != c.pg.nsegs) return false;
  int64_t idLen = len < 64 ? len : 64;
  if (!PacketNext(&c, id, idLen) || !EndPacket(&c, len - idLen)) return false;
  uint32_t rate;
  bool ok;
  if (len == 30 && std::memcmp(id, "\x01vorbis", 7) == 0) {
    int32_t r = static_cast<int32_t>(Le32(id + 12));
    int bs0 = id[28] & 15, bs1 = id[28] >> 4;
    if (Le32(id + 7) != 0 || id[11] == 0 || r <= 0 || bs0 > bs1 || bs0 < 6 || bs1 > 13 ||
        id[29] != 1)
      return false;
    rate = static_cast<uint32_t>(r);
    ok = VorbisHeaders(&c, info);
  } else if (len >= 19 && std::memcmp(id, "OpusHead", 8) == 0 && !(id[8] & 0xF0) &&
             id[9] != 0) {
    rate = 48000;
    ok = OpusHeaders(&c, info);
  } else if (len >= 51 && std::memcmp(id, "\x7F" "FLAC\x01", 6) == 0 &&
             std::memcmp(id + 9, "fLaC", 4) == 0 && Be32(id + 13) == 34) {
    rate = (id[27] << 16 | id[28] << 8 | id[29]) >> 4;
    ok = rate > 0 && FlacHeaders(&c, info);
  } else {
    return false;
  }
  if (!ok) return false;
  int64_t granule = LastGranule(f, start, serial, c.pos, buf.get());
  if (granule <= 0) return false;
  info->us = TicksToMicros(static_cast<uint64_t>(granule), rate);
  return info->us > 0;
}
