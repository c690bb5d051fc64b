// What the fuzz targets share: a folder of real media files, so that the
// readers' branches for entries that exist run too (tags, playing time,
// names from the file name), a sandbox folder, and a reader run on a buffer
// whose output is checked.
//
// MIRTUN_SOURCE_DIR names the source tree; the media come from tests/data.
#pragma once

#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/text.h"
#include "engine/readers.h"
#include "metadata/container.h"
#include "metadata/id3.h"
#include "metadata/playtime.h"
#include "settings/run_settings.h"
#include "settings/settings.h"

namespace fuzz {

inline std::string Slurp(const std::string& path) {
  std::string bytes;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    char buf[65536];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) bytes.append(buf, n);
    std::fclose(f);
  }
  return bytes;
}

inline void Put(const std::string& path, const std::string& bytes) {
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
}

inline int RemoveOne(const char* path, const struct stat*, int, struct FTW*) {
  return std::remove(path);
}

inline void RemoveTree(const std::string& path) {
  nftw(path.c_str(), RemoveOne, 16, FTW_DEPTH | FTW_PHYS);
}

// A new folder below /dev/shm (a store that syncs costs nothing there) or
// /tmp, removed when the process ends normally.
inline std::string Sandbox(const char* name) {
  static std::string* folders = new std::string[8];
  static int count = 0;
  std::string tmpl = std::string(access("/dev/shm", W_OK) == 0 ? "/dev/shm/" : "/tmp/") +
                     "mirtun-" + name + "-XXXXXX";
  if (!mkdtemp(&tmpl[0]) || count == 8) std::abort();
  folders[count++] = tmpl;
  if (count == 1) {
    std::atexit([] {
      for (int i = 0; i < count; ++i) RemoveTree(folders[i]);
    });
  }
  return tmpl;
}

// The folder the fuzzed lists live in. Entries that the seeds name:
//   tagged.mp3                  ID3v2 title and artist, MPEG frames
//   Falco - Jeanny.mp3          no tag: names from the file name
//   sub/Die Ärzte - Zu spät.mp3 in a subfolder, a Xing header
//   tone.ogg, tone.flac         container tags, timed by the demuxer
//   empty.mp3                   no bytes
//   folder.mp3/                 a folder with a media file's name
inline const std::string& MediaFolder() {
  static const std::string dir = [] {
    std::string d = Sandbox("media");
    const std::string data = MIRTUN_SOURCE_DIR "/tests/data/";
    std::string tag = "TIT2" + std::string("\0\0\0\x10\0\0\0", 7) + "Rock Me Amadeus" +
                      "TPE1" + std::string("\0\0\0\x06\0\0\0", 7) + "Falco";
    std::string header = std::string("ID3\3\0\0\0\0\0", 9) + char(tag.size());
    Put(d + "/tagged.mp3", header + tag + Slurp(data + "cbr.mp3"));
    Put(d + "/Falco - Jeanny.mp3", Slurp(data + "cbr_info.mp3"));
    mkdir((d + "/sub").c_str(), 0700);
    Put(d + "/sub/Die Ärzte - Zu spät.mp3", Slurp(data + "vbr_xing.mp3"));
    Put(d + "/tone.ogg", Slurp(data + "tags/tagged.ogg"));
    Put(d + "/tone.flac", Slurp(data + "tags/tagged.flac"));
    Put(d + "/empty.mp3", "");
    mkdir((d + "/folder.mp3").c_str(), 0700);
    return d;
  }();
  return dir;
}

// The style flags from one byte; the other settings at their start values.
inline RunSettings SettingsFrom(uint8_t b, const std::string& listPath) {
  ResetSettings();
  g_htmlFlag = b & 1;
  g_tfmtFlag = b & 2;
  g_artfFlag = b & 4;
  g_formlFlag = b & 8;
  g_kommaFlag = b & 16;
  g_rmextFlag = b & 32;
  g_totalFlag = b & 64;
  BuildExtensionTable();
  CopyText(g_opnFName, MAXPATH, listPath.c_str());
  return TakeRunSettings();
}

// Whatever the source holds, the listing is UTF-8 and carries no control
// character but line feeds and tabs.
inline void CheckListing(const char* out, size_t len) {
  if (!IsValidUtf8(out, len)) __builtin_trap();
  for (size_t i = 0; i < len; ++i) {
    unsigned char c = static_cast<unsigned char>(out[i]);
    if ((c < 0x20 && c != '\n' && c != '\t') || c == 0x7F) __builtin_trap();
    // U+0080..U+009F: C2 80..C2 9F
    if (c == 0xC2 && i + 1 < len && static_cast<unsigned char>(out[i + 1]) < 0xA0)
      __builtin_trap();
  }
}

// Writes a listing of the bytes as the list listName of the media folder,
// in the style the first byte picks, through write(stream, out, settings),
// and checks the listing. *result (when given) receives what write returned;
// false when the bytes are too few or no stream could be had.
template <typename Write>
bool RunListingOn(const char* listName, const uint8_t* data, size_t size, Write write,
                  int* result = nullptr) {
  if (size < 2) return false;
  const RunSettings s = SettingsFrom(data[0], MediaFolder() + "/" + listName);
  FILE* in = fmemopen(const_cast<uint8_t*>(data + 1), size - 1, "rb");
  if (!in) return false;
  char* buf = nullptr;
  size_t len = 0;
  FILE* out = open_memstream(&buf, &len);
  if (!out) {
    std::fclose(in);
    return false;
  }
  int got;
  {
    TextStream ts;
    TsInit(&ts, in, 4096);
    got = write(&ts, out, s);
  }
  std::fclose(in);
  std::fclose(out);
  if (result) *result = got;
  CheckListing(buf, len);
  std::free(buf);
  return true;
}

// Runs reader over the bytes as the list listName, as RunListingOn does.
inline int RunReaderOn(READER reader, const char* listName, const uint8_t* data, size_t size) {
  RunListingOn(listName, data, size, [reader](TextStream* ts, FILE* out, const RunSettings& s) {
    RowSink sink;
    SinkInit(&sink, out, &s);
    return reader(ts, &sink);
  });
  return 0;
}

// Runs a container reader on the bytes after the first, which says how much
// of the file the head buffer holds (the rest is read from the file). When
// the reader answers, its answer must be the demuxer's: the time to the
// millisecond and the names as shown. The file is named with ext, the
// extension the reader is used for. With refusedOk, a file the demuxer
// refuses whole (no time, no names: damaged codec data deep in an MP4
// header that the reader does not read) may still have an answer.
inline int RunContainerReader(bool (*reader)(const MediaBytes&, int64_t, ContainerInfo*),
                              const char* ext, const uint8_t* data, size_t size,
                              bool refusedOk = false) {
  if (size < 2) return 0;
  static const std::string path = Sandbox("container") + "/input." + ext;
  Put(path, std::string(reinterpret_cast<const char*>(data + 1), size - 1));
  int fd = open(path.c_str(), O_RDONLY);
  if (fd < 0) return 0;
  MediaBytes f;
  f.fd = fd;
  f.size = static_cast<int64_t>(size - 1);
  f.head = data + 1;
  f.headLen = std::min<int64_t>(f.size, data[0] * 64);
  static ContainerInfo info;
  info = ContainerInfo();
  bool answered = reader(f, 0, &info);
  close(fd);
  if (std::memchr(info.title, 0, kTagValueCap) == nullptr ||
      std::memchr(info.artist, 0, kTagValueCap) == nullptr)
    __builtin_trap();
  if (!answered) return 0;
  if (info.us <= 0) __builtin_trap();
  char title[512] = "", artist[512] = "", t[512] = "", a[512] = "";
  int32_t names = 0;
  int32_t ms = GetDemuxedInfo(path.c_str(), title, artist, sizeof title - 1, &names);
  if (refusedOk && ms == 0 && names == 0) return 0;
  if (ms != static_cast<int32_t>(std::min<int64_t>(info.us / 1000, INT32_MAX))) __builtin_trap();
  if (info.title[0]) ShownText(t, sizeof t - 1, info.title);
  if (info.artist[0]) ShownText(a, sizeof a - 1, info.artist);
  if (std::strcmp(t, title) != 0 || std::strcmp(a, artist) != 0) __builtin_trap();
  if (((names & ID3_TITLE) != 0) != (info.title[0] != 0)) __builtin_trap();
  if (((names & ID3_ARTIST) != 0) != (info.artist[0] != 0)) __builtin_trap();
  return 0;
}

}  // namespace fuzz
