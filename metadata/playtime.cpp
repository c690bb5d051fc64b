#include "metadata/playtime.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "base/handles.h"
#include "base/text.h"
#include "metadata/container.h"
#include "metadata/ffmpeg_lib.h"
#include "metadata/id3.h"
#include "metadata/mpeg_audio.h"
#include "platform/files.h"

namespace {

// The FFmpeg functions, loaded by the first request (never null once a
// request got past its check).
const FfmpegLib* FF() { return Ffmpeg(); }

// What one call may read of a file: enough for the headers and the stream
// analysis of every real file, little enough that a 2 GB file of zeros or of
// garbage is given up after a few milliseconds.
const int64_t kHeaderBudget = 8 << 20;
// An MPEG audio stream with changing bit rates and no frame count in its
// first frame is measured by walking its frames; this much more may be read.
const int64_t kScanBudget = 64 << 20;
const int kIoBufferSize = 32768;

// The file as libavformat reads it: one descriptor, positioned reads, and a
// running count of the bytes read against the budget.
struct MediaFile {
  int fd = -1;  // not owned
  int64_t size = 0;
  int64_t pos = 0;
  int64_t used = 0;
  int64_t budget = kHeaderBudget;
  MediaFile() = default;
  MediaFile(const MediaFile&) = delete;
  MediaFile& operator=(const MediaFile&) = delete;
};

int ReadMedia(void* opaque, uint8_t* buf, int size) {
  MediaFile* m = static_cast<MediaFile*>(opaque);
  if (m->used >= m->budget) return AVERROR_EXIT;
  ssize_t n = pread(m->fd, buf, static_cast<size_t>(size), m->pos);
  if (n < 0) return AVERROR(EIO);
  if (n == 0) return AVERROR_EOF;
  m->pos += n;
  m->used += n;
  return static_cast<int>(n);
}

int64_t SeekMedia(void* opaque, int64_t offset, int whence) {
  MediaFile* m = static_cast<MediaFile*>(opaque);
  int64_t to;
  switch (whence & ~AVSEEK_FORCE) {
    case AVSEEK_SIZE: return m->size;
    case SEEK_SET: to = offset; break;
    case SEEK_CUR: to = m->pos + offset; break;
    case SEEK_END: to = m->size + offset; break;
    default: return AVERROR(EINVAL);
  }
  if (to < 0) return AVERROR(EINVAL);
  m->pos = to;
  return to;
}

struct IoDeleter {
  void operator()(AVIOContext* io) const {
    FF()->av_freep(&io->buffer);
    FF()->avio_context_free(&io);
  }
};
struct FormatDeleter {
  void operator()(AVFormatContext* ic) const { FF()->avformat_close_input(&ic); }
};
struct PacketDeleter {
  void operator()(AVPacket* p) const { FF()->av_packet_free(&p); }
};

// One opened demuxer over a MediaFile. The format context goes first, then
// the I/O context it reads through (members are destroyed in reverse).
struct Demuxer {
  std::unique_ptr<AVIOContext, IoDeleter> io;
  std::unique_ptr<AVFormatContext, FormatDeleter> ic;
};

// The demuxer for a file extension, so that libavformat need not probe (its
// probing reads and tests far more than the headers, and grows with a tag).
const struct {
  const char* ext;
  const char* format;
} kFormats[] = {
    {"mp3", "mp3"},   {"mp2", "mp3"},      {"mpa", "mp3"},      {"m2a", "mp3"},
    {"wav", "wav"},   {"ogg", "ogg"},      {"oga", "ogg"},      {"ogv", "ogg"},
    {"opus", "ogg"},  {"flac", "flac"},    {"avi", "avi"},      {"mpg", "mpeg"},
    {"mpeg", "mpeg"}, {"m1v", "mpeg"},     {"m4a", "mov"},      {"m4b", "mov"},
    {"mp4", "mov"},   {"m4v", "mov"},      {"mov", "mov"},      {"wma", "asf"},
    {"wmv", "asf"},   {"asf", "asf"},      {"mkv", "matroska"}, {"mka", "matroska"},
    {"webm", "matroska"}, {"aif", "aiff"}, {"aiff", "aiff"},    {"aifc", "aiff"},
    {"aac", "aac"},   {"ape", "ape"},      {"wv", "wv"},        {"tta", "tta"},
    {"au", "au"},
};

// The demuxer's name for a file's extension; null for an unknown one.
const char* FormatName(const char* path) {
  const char* dot = std::strrchr(path, '.');
  if (!dot || std::strchr(dot, '/')) return nullptr;
  for (const auto& f : kFormats)
    if (EqualsNoCase(dot + 1, f.ext)) return f.format;
  return nullptr;
}

const AVInputFormat* FormatByExtension(const char* path) {
  const char* name = FormatName(path);
  return name ? FF()->av_find_input_format(name) : nullptr;
}

// Bytes of ID3v2 tag at the start of the file (header, body, footer), which
// the demuxer is told to skip instead of parsing (a cover picture included).
int64_t LeadingTagSize(const MediaBytes& f) {
  V2HEADER hd;
  if (!ReadBytes(f, 0, &hd, sizeof hd)) return 0;
  return IsID3V2Header(&hd) ? ID3V2TagBytes(&hd) : 0;
}

// Opens a demuxer on m from its start; fmt null probes the format.
bool OpenDemuxer(Demuxer* d, MediaFile* m, const AVInputFormat* fmt, int64_t skip) {
  m->pos = 0;
  unsigned char* buf = static_cast<unsigned char*>(FF()->av_malloc(kIoBufferSize));
  if (!buf) return false;
  d->io.reset(FF()->avio_alloc_context(buf, kIoBufferSize, 0, m, ReadMedia, nullptr, SeekMedia));
  if (!d->io) {
    FF()->av_free(buf);
    return false;
  }
  AVFormatContext* ic = FF()->avformat_alloc_context();
  if (!ic) return false;
  ic->pb = d->io.get();
  ic->flags |= AVFMT_FLAG_CUSTOM_IO;
  ic->skip_initial_bytes = skip;
  ic->probesize = 1 << 20;
  ic->format_probesize = 1 << 18;
  ic->max_analyze_duration = 5 * AV_TIME_BASE;
  // On failure avformat_open_input frees the context itself.
  if (FF()->avformat_open_input(&ic, nullptr, fmt, nullptr) < 0) return false;
  d->ic.reset(ic);
  return true;
}

bool IsMediaStream(const AVStream* st) {
  AVMediaType t = st->codecpar->codec_type;
  return (t == AVMEDIA_TYPE_AUDIO || t == AVMEDIA_TYPE_VIDEO) &&
         !(st->disposition & AV_DISPOSITION_ATTACHED_PIC);
}

// The longest stream in microseconds when the headers give every stream's
// length (a frame count, a sample count, a last page); else -1.
int64_t HeaderDuration(const AVFormatContext* ic) {
  int64_t best = -1;
  for (unsigned k = 0; k < ic->nb_streams; ++k) {
    const AVStream* st = ic->streams[k];
    if (!IsMediaStream(st)) continue;
    if (st->duration == AV_NOPTS_VALUE || st->duration <= 0) return -1;
    int64_t us = FF()->av_rescale_q(st->duration, st->time_base, AV_TIME_BASE_Q);
    if (us > best) best = us;
  }
  return best;
}

bool IsMpegAudio(const AVStream* st) {
  AVCodecID id = st->codecpar->codec_id;
  return id == AV_CODEC_ID_MP3 || id == AV_CODEC_ID_MP2 || id == AV_CODEC_ID_MP1;
}

// An MPEG audio stream without a frame count is timed from its bit rate, which
// is right for a constant bit rate only. Its frames are walked: when their bit
// rates all agree the estimate stands; when they differ, the frame durations
// are summed (and scaled up to the whole file if the budget ran out first).
int64_t MpegAudioDuration(AVFormatContext* ic, MediaFile* m, int64_t estimate) {
  int audio = FF()->av_find_best_stream(ic, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
  if (audio < 0 || !IsMpegAudio(ic->streams[audio])) return estimate;
  std::unique_ptr<AVPacket, PacketDeleter> pkt(FF()->av_packet_alloc());
  if (!pkt) return estimate;
  const AVStream* st = ic->streams[audio];
  m->budget = m->used + kScanBudget;
  int64_t sum = 0;
  int64_t frames = 0;
  int64_t perRate[16] = {};
  int r;
  while ((r = FF()->av_read_frame(ic, pkt.get())) >= 0) {
    if (pkt->stream_index == audio && pkt->size >= 4) {
      ++perRate[pkt->data[2] >> 4];  // bit-rate index of the frame header
      ++frames;
      if (pkt->duration > 0) sum += pkt->duration;
    }
    FF()->av_packet_unref(pkt.get());
  }
  // A few odd frames in a constant-rate stream do not make it VBR.
  if (JudgeBitRates(perRate, frames) != RATES_VARIABLE) return estimate;
  int64_t us = FF()->av_rescale_q(sum, st->time_base, AV_TIME_BASE_Q);
  if (r != AVERROR_EOF && m->pos > 0 && m->pos < m->size)
    us = FF()->av_rescale(us, m->size, m->pos);
  return us;
}

// Where the names of a file's own tags go, when they are asked for.
struct NameRequest {
  char* title;
  char* artist;
  size_t cap;
  int32_t* names;
};

// A name from the format's metadata, else from the first audio stream's.
const char* TagValue(const AVFormatContext* ic, const char* key) {
  const AVDictionaryEntry* e = FF()->av_dict_get(ic->metadata, key, nullptr, 0);
  if (e && e->value && e->value[0]) return e->value;
  for (unsigned k = 0; k < ic->nb_streams; ++k) {
    const AVStream* st = ic->streams[k];
    if (st->codecpar->codec_type != AVMEDIA_TYPE_AUDIO) continue;
    e = FF()->av_dict_get(st->metadata, key, nullptr, 0);
    return e && e->value && e->value[0] ? e->value : nullptr;
  }
  return nullptr;
}

// A name found (not empty) into its buffer as it is shown.
void TakeName(const NameRequest* req, int32_t bit, const char* value) {
  if (!value || !value[0]) return;
  ShownText(bit == ID3_TITLE ? req->title : req->artist, req->cap, value);
  *req->names |= bit;
}

void TakeNames(const AVFormatContext* ic, const NameRequest* req) {
  if (!req) return;
  TakeName(req, ID3_TITLE, TagValue(ic, "title"));
  TakeName(req, ID3_ARTIST, TagValue(ic, "artist"));
}

// The container headers read without the demuxer: a reader for what the
// file holds at start ("fLaC", "OggS", an MP4 "ftyp"), when the extension
// names that format or none the demuxer knows (it would probe and find the
// same). The time in microseconds, or -1 when the demuxer has to answer.
int64_t HeaderTime(const char* path, const MediaBytes& f, int64_t start, const NameRequest* req) {
  unsigned char head[8];
  if (f.size - start < 12 || !ReadBytes(f, start, head, sizeof head)) return -1;
  const char* ext = FormatName(path);
  const struct {
    bool (*read)(const MediaBytes&, int64_t, ContainerInfo*);
    const char* format;
    bool matches;
  } kReaders[] = {
      {FlacInfo, "flac", std::memcmp(head, "fLaC", 4) == 0},
      {OggInfo, "ogg", std::memcmp(head, "OggS", 4) == 0},
      {Mp4Info, "mov", std::memcmp(head + 4, "ftyp", 4) == 0},
  };
  for (const auto& r : kReaders) {
    if (!r.matches || (ext && std::strcmp(ext, r.format) != 0)) continue;
    ContainerInfo info;
    if (!r.read(f, start, &info) || info.us <= 0) return -1;
    if (req) {
      TakeName(req, ID3_TITLE, info.title);
      TakeName(req, ID3_ARTIST, info.artist);
    }
    return info.us;
  }
  return -1;
}

int64_t DemuxDuration(MediaFile* m, const AVInputFormat* fmt, int64_t skip,
                      const NameRequest* req) {
  Demuxer d;
  if (!OpenDemuxer(&d, m, fmt, skip)) return -1;
  AVFormatContext* ic = d.ic.get();
  TakeNames(ic, req);
  int64_t us = ic->duration != AV_NOPTS_VALUE ? ic->duration : HeaderDuration(ic);
  if (us > 0) return us;
  // The headers do not tell: let the demuxer read packets (bounded by the
  // probe size and the budget) and estimate as a player would.
  FF()->avformat_find_stream_info(ic, nullptr);
  us = ic->duration;
  if (us == AV_NOPTS_VALUE || us <= 0) return -1;
  if (ic->duration_estimation_method == AVFMT_DURATION_FROM_BITRATE)
    us = MpegAudioDuration(ic, m, us);
  return us;
}

}  // namespace

// MPEG audio by its extension, or by a frame header where the audio starts.
static bool LooksLikeMpegAudio(const char* path, const MediaBytes& f, int64_t skip) {
  const char* dot = std::strrchr(path, '.');
  if (dot && !std::strchr(dot, '/')) {
    for (const char* ext : {".mp3", ".mp2", ".mpa"})
      if (EqualsNoCase(dot, ext)) return true;
  }
  unsigned char head[4];
  return ReadBytes(f, skip, head, sizeof head) && IsMpegAudioHeader(head);
}

static int32_t ToMillis(int64_t us) {
  int64_t ms = us / 1000;
  return ms > INT32_MAX ? INT32_MAX : static_cast<int32_t>(ms);
}

static int32_t MediaTime(const char* FileName, const MediaBytes& f, const NameRequest* req,
                         bool headersFirst) {
  MediaFile m;
  m.fd = f.fd;
  m.size = f.size;
  if (m.size == 0) return 0;

  int64_t skip = LeadingTagSize(f);
  if (skip >= m.size) return 0;
  // MPEG audio is timed from its frame headers without the demuxer (which
  // reads no tags of its own in it that the ID3 reader has not read).
  if (headersFirst && LooksLikeMpegAudio(FileName, f, skip)) {
    int64_t us = MpegAudioTime(f, skip);
    if (us >= 0) return ToMillis(us);
  }
  if (headersFirst) {
    int64_t us = HeaderTime(FileName, f, skip, req);
    if (us > 0) return ToMillis(us);
  }
  if (!Ffmpeg()) return 0;
  const AVInputFormat* fmt = FormatByExtension(FileName);
  int64_t us = fmt ? DemuxDuration(&m, fmt, skip, req) : -1;
  if (us <= 0) {
    // The extension was unknown or wrong: probe, within what is left.
    m.budget = m.used + kHeaderBudget;
    us = DemuxDuration(&m, nullptr, skip, req);
  }
  if (us <= 0) return 0;
  return ToMillis(us);
}

// Opens FileName and times it. Only a regular file is read at all; a FIFO
// cannot stall the open.
static int32_t OpenAndTime(const char* FileName, const NameRequest* req, bool headersFirst) {
  int64_t size;
  UniqueFd file(OpenRegularFile(FileName, &size));
  if (file.fd < 0) return 0;
  MediaBuffers buffers;
  return MediaTime(FileName, LoadMediaBytes(file.fd, size, &buffers), req, headersFirst);
}

int32_t GetMP3Length(const char* FileName) { return OpenAndTime(FileName, nullptr, true); }

int32_t GetDemuxedLength(const char* FileName) { return OpenAndTime(FileName, nullptr, false); }

int32_t GetDemuxedInfo(const char* FileName, char* title, char* artist, size_t cap,
                       int32_t* names) {
  *names = 0;
  NameRequest req = {title, artist, cap, names};
  return OpenAndTime(FileName, &req, false);
}

int32_t GetMP3LengthOpen(const char* FileName, int fd, int64_t size) {
  MediaBuffers buffers;
  return GetMP3LengthIn(FileName, LoadMediaBytes(fd, size, &buffers));
}

int32_t GetMediaInfoOpen(const char* FileName, int fd, int64_t size, char* title, char* artist,
                         size_t cap, int32_t* names) {
  MediaBuffers buffers;
  return GetMediaInfoIn(FileName, LoadMediaBytes(fd, size, &buffers), title, artist, cap, names);
}

int32_t GetMP3LengthIn(const char* FileName, const MediaBytes& f) {
  return MediaTime(FileName, f, nullptr, true);
}

int32_t GetMediaInfoIn(const char* FileName, const MediaBytes& f, char* title, char* artist,
                       size_t cap, int32_t* names) {
  *names = 0;
  NameRequest req = {title, artist, cap, names};
  return MediaTime(FileName, f, &req, true);
}
