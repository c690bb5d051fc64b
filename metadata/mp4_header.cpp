// MP4, M4A, M4B: the atom walk to "moov" (before or after "mdat"), the
// movie header's duration over its time scale, and the iTunes-style names
// of udta/meta/ilst. Fragmented files, edit lists that cut or pad the
// presentation, names of other kinds and anything unexpected are left to the
// demuxer.
#include <cstring>
#include <memory>
#include <new>

#include "metadata/container.h"

namespace {

constexpr int kMaxDepth = 8;
constexpr int kMaxAtoms = 4096;
constexpr int64_t kMovieBuffer = 1 << 20;

constexpr uint32_t Tag(const char (&s)[5]) {
  return static_cast<uint32_t>(static_cast<unsigned char>(s[0])) << 24 |
         static_cast<unsigned char>(s[1]) << 16 | static_cast<unsigned char>(s[2]) << 8 |
         static_cast<unsigned char>(s[3]);
}
constexpr uint32_t kName = 0xA96E616D;    // "\251nam"
constexpr uint32_t kArtist = 0xA9415254;  // "\251ART"
constexpr uint32_t kAuthor = 0xA9617574;  // "\251aut", which the demuxer calls artist too

struct Atom {
  uint32_t type;
  int64_t body;  // first byte after the header
  int64_t end;
};

struct Walk {
  const MediaBytes* f;
  ContainerInfo* info;
  int atoms = 0;
  bool movieHeader = false;
  int tracks = 0;
};

// The atom at pos inside a parent ending at end; false for a size that does
// not fit it. A size of 0 runs to the parent's end.
bool ReadAtom(Walk* w, int64_t pos, int64_t end, Atom* a) {
  unsigned char b[16];
  if (++w->atoms > kMaxAtoms || end - pos < 8 || !ReadBytes(*w->f, pos, b, 8)) return false;
  uint64_t size = Be32(b);
  a->type = Be32(b + 4);
  a->body = pos + 8;
  if (size == 1) {
    if (end - pos < 16 || !ReadBytes(*w->f, pos + 8, b + 8, 8)) return false;
    size = Be64(b + 8);
    a->body = pos + 16;
  } else if (size == 0) {
    size = static_cast<uint64_t>(end - pos);
  }
  if (size < static_cast<uint64_t>(a->body - pos) || size > static_cast<uint64_t>(end - pos))
    return false;
  a->end = pos + static_cast<int64_t>(size);
  return true;
}

// A name item of ilst: its first "data" atom, when it is UTF-8 text.
bool NameItem(Walk* w, const Atom& item, char* dst) {
  int64_t body = item.end - item.body;
  unsigned char b[16];
  // The demuxer reads a body of 8 bytes or less as a text of another kind.
  if (body <= 8 || !ReadBytes(*w->f, item.body, b, 8)) return false;
  uint32_t dataSize = Be32(b);
  if (Be32(b + 4) != Tag("data") || dataSize > body || dataSize < 16) {
    return true;  // ignored by the demuxer as well
  }
  if (!ReadBytes(*w->f, item.body + 8, b + 8, 8) || Be32(b + 8) != 1) return false;
  int64_t len = dataSize - 16;
  if (len >= static_cast<int64_t>(kTagValueCap)) return false;
  if (!ReadBytes(*w->f, item.body + 16, dst, len)) return false;
  dst[len] = '\0';  // a later value replaces an earlier one; a zero byte ends it
  return true;
}

// A free-form item ("----"): the demuxer names it after its "name" atom,
// which must not be one of the names read here.
bool FreeFormItem(Walk* w, const Atom& item) {
  for (int64_t pos = item.body; pos < item.end;) {
    Atom a;
    if (!ReadAtom(w, pos, item.end, &a)) return false;
    if (a.type == Tag("name")) {
      char name[8] = {};
      int64_t n = a.end - a.body - 4;
      if (n < 0) return false;
      if (n > 7) return true;
      if (!ReadBytes(*w->f, a.body + 4, name, n)) return false;
      for (char& ch : name) ch = static_cast<char>(ch >= 'A' && ch <= 'Z' ? ch + 32 : ch);
      return std::strcmp(name, "title") != 0 && std::strcmp(name, "artist") != 0;
    }
    pos = a.end;
  }
  return true;
}

bool Child(Walk* w, const Atom& a, int depth);

// Atoms of the movie's structure, which the demuxer reads with its general
// table wherever they stand: in a sample description after its fixed
// fields, or as an item of "ilst". There (seen only in damaged files) they
// change what it reports as if they stood in the movie.
const char kMovieAtoms[][5] = {"moov", "mvhd", "trak", "tkhd", "mdia", "mdhd", "minf",
                               "stbl", "stsd", "hdlr", "edts", "elst", "udta", "meta",
                               "ilst", "keys", "mvex", "cmov"};

bool IsMovieAtom(uint32_t type) {
  for (const auto& t : kMovieAtoms)
    if (Tag(t) == type) return true;
  return false;
}

// True when bytes hold a movie atom's type. Found by its four letters
// anywhere: a codec's own bytes that happen to spell one only send the file
// to the demuxer.
bool HoldsMovieAtoms(const unsigned char* b, int64_t n) {
  for (int64_t i = 0; i + 4 <= n; ++i) {
    // Most bytes start no type: a look at the first letter first.
    if (!std::strchr("cehikmstu", b[i]) || b[i] == 0) continue;
    if (IsMovieAtom(Be32(b + i))) return true;
  }
  return false;
}

// The largest atom of the movie that is looked through; a larger one goes
// to the demuxer.
constexpr int64_t kMaxSkipped = 1 << 20;

// True when nothing in the bytes [from, end) looks like an atom of the
// movie. Looked at where they are held, a window at a time, the pieces
// overlapping by three bytes.
bool RangeIsPlain(Walk* w, int64_t from, int64_t end) {
  if (end - from > kMaxSkipped) return false;
  for (int64_t pos = from; pos < end; pos += kMediaWindowBytes - 3) {
    int64_t n = end - pos < kMediaWindowBytes ? end - pos : kMediaWindowBytes;
    const unsigned char* b = PeekBytes(*w->f, pos, n);
    if (!b || HoldsMovieAtoms(b, n)) return false;
    if (pos + n == end) break;
  }
  return true;
}

bool Ilst(Walk* w, const Atom& ilst) {
  for (int64_t pos = ilst.body; pos < ilst.end;) {
    Atom item;
    if (!ReadAtom(w, pos, ilst.end, &item)) return false;
    bool ok = true;
    if (item.type == kName)
      ok = NameItem(w, item, w->info->title);
    else if (item.type == kArtist || item.type == kAuthor)
      ok = NameItem(w, item, w->info->artist);
    else if (item.type == Tag("----"))
      ok = FreeFormItem(w, item);
    else if (IsMovieAtom(item.type))
      ok = false;
    if (!ok) return false;
    pos = item.end;
  }
  return true;
}

// "meta": the demuxer looks for its "hdlr" word by word and reads the atoms
// from there (with or without version and flags before it), each as it
// would anywhere.
bool Meta(Walk* w, const Atom& meta, int depth) {
  if (depth > kMaxDepth) return false;
  int64_t pos = meta.body;
  unsigned char b[12];
  for (;; pos += 4) {
    if (meta.end - pos < 8 || !ReadBytes(*w->f, pos, b, 8)) return false;
    if (Be32(b + 4) == Tag("hdlr")) break;
  }
  for (; pos < meta.end;) {
    Atom a;
    if (!ReadAtom(w, pos, meta.end, &a) || !Child(w, a, depth)) return false;
    pos = a.end;
  }
  return true;
}

// "udta": only "meta" in it is read; a QuickTime text of its own (a
// "\251nam" with a language) and everything else unknown goes to the
// demuxer. A track's "name" is its handler name, no title.
bool Udta(Walk* w, const Atom& udta, int depth) {
  if (depth > kMaxDepth) return false;
  for (int64_t pos = udta.body; pos < udta.end;) {
    Atom a;
    if (!ReadAtom(w, pos, udta.end, &a)) return false;
    if (a.type == Tag("meta")) {
      if (!Meta(w, a, depth + 1)) return false;
    } else if (a.type != Tag("free") && a.type != Tag("Xtra") && a.type != Tag("chpl") &&
               a.type != Tag("hnti") && a.type != Tag("name")) {
      return false;
    }
    pos = a.end;
  }
  return true;
}

// An edit list that does more than skip the encoder's delay (an empty
// edit, several edits, a rate other than 1) is left to the demuxer.
bool EditList(Walk* w, const Atom& elst) {
  unsigned char b[28];
  if (elst.end - elst.body < 8 || !ReadBytes(*w->f, elst.body, b, 8)) return false;
  int version = b[0];
  if (Be32(b + 4) != 1) return false;
  int64_t entry = version == 1 ? 20 : 12;
  if (elst.end - elst.body < 8 + entry || !ReadBytes(*w->f, elst.body + 8, b, entry))
    return false;
  int64_t mediaTime = version == 1 ? static_cast<int64_t>(Be64(b + 8))
                                   : static_cast<int32_t>(Be32(b + 4));
  uint32_t rate = Be32(b + entry - 4);
  return mediaTime >= 0 && rate == 0x10000;
}

bool Children(Walk* w, const Atom& parent, int depth);

// The largest sample description looked into; real ones (an AAC or ALAC
// entry, a QuickTime "wave" atom, a video codec's parameter sets) are far
// smaller.
constexpr int64_t kMaxDescription = 4096;

// The sample descriptions: at least one, each atom within the table and
// small, none holding atoms of the movie.
bool Descriptions(Walk* w, const Atom& stsd) {
  unsigned char b[8];
  if (stsd.end - stsd.body < 8 || !ReadBytes(*w->f, stsd.body, b, 8)) return false;
  uint32_t count = Be32(b + 4);
  if (count == 0 || count > 64) return false;
  int64_t pos = stsd.body + 8;
  for (uint32_t k = 0; k < count; ++k) {
    if (stsd.end - pos < 16 || !ReadBytes(*w->f, pos, b, 4)) return false;
    uint32_t size = Be32(b);
    if (size < 16 || size > stsd.end - pos || size > kMaxDescription) return false;
    if (!RangeIsPlain(w, pos + 8, pos + size)) return false;
    pos += size;
  }
  return true;
}

// A sample table of the track: its entry count (after version, flags and
// skip bytes) must fit the atom, else the demuxer refuses the file. A table
// of no entries is refused as well where the demuxer needs one.
bool TableFits(Walk* w, const Atom& a, int64_t skip, int64_t entry, bool needsOne) {
  unsigned char b[4];
  if (a.end - a.body < 8 + skip || !ReadBytes(*w->f, a.body + 4 + skip, b, 4)) return false;
  uint32_t count = Be32(b);
  if (needsOne && count == 0) return false;
  return static_cast<int64_t>(count) * entry <= a.end - a.body - 8 - skip;
}

bool Child(Walk* w, const Atom& a, int depth) {
  switch (a.type) {
    case Tag("mvhd"): {
      unsigned char b[32];
      if (w->movieHeader || a.end - a.body < 20 || !ReadBytes(*w->f, a.body, b, 1)) return false;
      w->movieHeader = true;
      if (b[0] > 1) return false;  // a version the demuxer refuses
      bool v1 = b[0] == 1;
      int64_t need = v1 ? 32 : 20;
      if (a.end - a.body < need || !ReadBytes(*w->f, a.body, b, need)) return false;
      uint32_t scale = Be32(b + (v1 ? 20 : 12));
      uint64_t duration = v1 ? Be64(b + 24) : Be32(b + 16);
      // An unknown length (all ones) or none at all: the demuxer estimates.
      if (scale == 0 || scale > INT32_MAX || duration == 0 ||
          duration == (v1 ? UINT64_MAX : UINT32_MAX))
        return false;
      w->info->us = TicksToMicros(duration, scale);
      return w->info->us >= 0;
    }
    case Tag("mvex"): case Tag("cmov"): case Tag("meco"):
      return false;  // fragments, a compressed header
    case Tag("moov"):
      return false;  // a movie within the movie, which the demuxer reads too
    case Tag("trak"):
      ++w->tracks;
      return Children(w, a, depth + 1);
    case Tag("edts"): case Tag("mdia"): case Tag("minf"): case Tag("stbl"):
      return Children(w, a, depth + 1);
    case Tag("stsd"): return Descriptions(w, a);
    case Tag("stts"): case Tag("ctts"): case Tag("co64"): return TableFits(w, a, 0, 8, false);
    case Tag("stsc"): return TableFits(w, a, 0, 12, false);
    case Tag("stco"): case Tag("stss"): return TableFits(w, a, 0, 4, false);
    case Tag("stsz"): {
      // A sample size of 0: one size per sample follows.
      unsigned char b[4];
      if (a.end - a.body < 12 || !ReadBytes(*w->f, a.body + 4, b, 4)) return false;
      return Be32(b) != 0 || TableFits(w, a, 4, 4, false);
    }
    case Tag("elst"): return EditList(w, a);
    // The demuxer knows these wherever they stand.
    case Tag("ilst"): return Ilst(w, a);
    case Tag("keys"): return false;  // names by index
    case Tag("hdlr"): {
      unsigned char b[12];
      return a.end - a.body >= 12 && ReadBytes(*w->f, a.body, b, 12) && Be32(b + 8) != Tag("mdta");
    }
    case Tag("udta"): return Udta(w, a, depth + 1);
    case Tag("meta"): return Meta(w, a, depth + 1);
    // Atoms the reader skips and the demuxer reads as containers of their
    // own.
    case Tag("dinf"): case Tag("tref"): case Tag("sinf"): case Tag("schi"): case Tag("traf"):
    case Tag("wave"):
      return RangeIsPlain(w, a.body, a.end);
    default: return true;
  }
}

bool Children(Walk* w, const Atom& parent, int depth) {
  if (depth > kMaxDepth) return false;
  for (int64_t pos = parent.body; pos < parent.end;) {
    Atom a;
    if (!ReadAtom(w, pos, parent.end, &a) || !Child(w, a, depth)) return false;
    pos = a.end;
  }
  return true;
}

// The movie header, read in one piece when it lies beyond the bytes at hand
// (written after the media data) and is of a common size: its atoms are
// many and small.
bool Movie(Walk* w, const Atom& moov) {
  const MediaBytes* f = w->f;
  int64_t len = moov.end - moov.body;
  if (HeldBytes(*f, moov.body, len) || len > kMovieBuffer)
    return Children(w, moov, 1);
  std::unique_ptr<unsigned char[]> buf(new (std::nothrow) unsigned char[len]);
  if (!buf || !ReadBytes(*f, moov.body, buf.get(), len)) return false;
  MediaBytes inMemory = *f;
  inMemory.head = buf.get();
  inMemory.headPos = moov.body;
  inMemory.headLen = len;
  w->f = &inMemory;
  bool ok = Children(w, moov, 1);
  w->f = f;
  return ok;
}

}  // namespace

bool Mp4Info(const MediaBytes& f, int64_t start, ContainerInfo* info) {
  Walk w{&f, info};
  bool moov = false;
  // The demuxer walks the top level to the end of the file (a seekable
  // one), so every atom there counts.
  for (int64_t pos = start; pos < f.size;) {
    Atom a;
    if (!ReadAtom(&w, pos, f.size, &a)) return false;
    if (pos == start) {
      // A QuickTime movie ("qt  ") is read by other rules.
      unsigned char brand[4];
      if (a.type != Tag("ftyp") || a.end - a.body < 4 || !ReadBytes(f, a.body, brand, 4) ||
          std::memcmp(brand, "qt  ", 4) == 0)
        return false;
    } else if (a.type == Tag("moov")) {
      if (moov || !Movie(&w, a)) return false;
      moov = true;
    } else if (a.type != Tag("mdat") && a.type != Tag("free") && a.type != Tag("skip") &&
               a.type != Tag("wide") && a.type != Tag("uuid") && a.type != Tag("pdin")) {
      return false;  // fragments, a top-level "meta", anything unknown
    }
    pos = a.end;
  }
  // A movie without a track has no stream, and the demuxer no length.
  return moov && w.movieHeader && w.tracks > 0 && info->us > 0;
}
