#include "engine/readers.h"

#include <cstring>

#include "base/text.h"

static const struct {
  const char* ext;
  READER reader;
} kReaders[] = {
    {".pls", plsOutputLine},
    {".xml", xmlOutputLine},
    {".xspf", xspfOutputLine},
    {".wpl", wplOutputLine},
    {".zpl", wplOutputLine},   // WPL as the Zune software writes it
    {".smil", wplOutputLine},  // SMIL, whose list WPL is
    {".smi", wplOutputLine},
    {".asx", asxOutputLine},
    {".wax", asxOutputLine},   // ASX of audio
    {".wvx", asxOutputLine},   // ASX of video
};

READER ChooseReader(const char* path) {
  const char* dot = std::strrchr(path, '.');
  if (!dot || std::strchr(dot, '/')) return OutputLine;
  for (const auto& r : kReaders)
    if (EqualsNoCase(dot, r.ext)) return r.reader;
  return OutputLine;
}

// The first bytes of media files, which are sometimes given where a list
// belongs.
static bool StartsLikeMedia(const unsigned char* p, size_t n) {
  static const struct {
    size_t at;
    const char* magic;
    size_t len;
  } kMagic[] = {
      {0, "ID3", 3}, {0, "fLaC", 4}, {0, "OggS", 4}, {0, "RIFF", 4}, {4, "ftyp", 4},
      {0, "\x1A\x45\xDF\xA3", 4},                         // Matroska, WebM
      {0, "\x30\x26\xB2\x75\x8E\x66\xCF\x11", 8},         // ASF, WMA
  };
  for (const auto& m : kMagic)
    if (n >= m.at + m.len && std::memcmp(p + m.at, m.magic, m.len) == 0) return true;
  return false;
}

// True when the text (n bytes) holds needle, letters in any case.
static bool HoldsNoCase(const char* text, size_t n, const char* needle) {
  size_t len = std::strlen(needle);
  for (size_t k = 0; k + len <= n; ++k)
    if (EqualsNoCaseN(text + k, needle, len)) return true;
  return false;
}

static bool Holds(const char* text, size_t n, const char* needle) {
  return memmem(text, n, needle, std::strlen(needle)) != nullptr;
}

// The reader an XML document's root element names. Only the start is
// looked at: a declaration, comments and a doctype come before the root.
static READER XmlReaderOf(const char* head, size_t n) {
  if (Holds(head, n, "<plist")) return xmlOutputLine;
  if (Holds(head, n, "<playlist") && Holds(head, n, "http://xspf.org/ns/0/")) return xspfOutputLine;
  if (HoldsNoCase(head, n, "<smil")) return wplOutputLine;
  if (HoldsNoCase(head, n, "<asx")) return asxOutputLine;
  return nullptr;
}

static READER ReaderOfFormat(const char* format) {
  if (EqualsNoCase(format, "m3u")) return OutputLine;
  char ext[16];
  FormatText(ext, sizeof ext, ".%s", format);
  READER r = ChooseReader(ext);
  return r == OutputLine ? nullptr : r;
}

bool KnownFormat(const char* format) { return ReaderOfFormat(format) != nullptr; }

READER ReaderForSource(const char* path, const char* head, size_t len, const char* format) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(head);
  if (std::memchr(head, '\0', len) || StartsLikeMedia(p, len)) return nullptr;
  if (format && format[0] && KnownFormat(format)) return ReaderOfFormat(format);
  READER byName = ChooseReader(path);
  if (byName != OutputLine) return byName;
  size_t k = 0;
  while (k < len && (head[k] == ' ' || head[k] == '\t' || head[k] == '\n')) ++k;
  if (k < len && head[k] == '<') {
    if (READER xml = XmlReaderOf(head, len)) return xml;
  }
  // PLS: "[playlist]" as the first line that is not blank.
  if (len - k >= 10 && EqualsNoCaseN(head + k, "[playlist]", 10)) return plsOutputLine;
  if (len - k >= 11 && EqualsNoCaseN(head + k, "[Reference]", 11)) return asxOutputLine;
  return OutputLine;
}
