#include "metadata/ffmpeg_lib.h"

#include <dlfcn.h>

extern "C" {
#include <libavutil/macros.h>
}

// The libraries of the major versions whose headers this was built with.
#define SONAME(lib, major) "lib" lib ".so." AV_STRINGIFY(major)

static bool Load(FfmpegLib* f) {
  // Each handle is kept for the life of the process: the functions are
  // used until it ends.
  void* util = dlopen(SONAME("avutil", LIBAVUTIL_VERSION_MAJOR), RTLD_LAZY | RTLD_LOCAL);
  void* codec = dlopen(SONAME("avcodec", LIBAVCODEC_VERSION_MAJOR), RTLD_LAZY | RTLD_LOCAL);
  void* format = dlopen(SONAME("avformat", LIBAVFORMAT_VERSION_MAJOR), RTLD_LAZY | RTLD_LOCAL);
  if (!util || !codec || !format) return false;
  bool ok = true;
  auto get = [&ok](void* lib, const char* name, auto* fn) {
    *fn = reinterpret_cast<std::remove_pointer_t<decltype(fn)>>(dlsym(lib, name));
    ok = ok && *fn != nullptr;
  };
  get(util, "av_dict_get", &f->av_dict_get);
  get(format, "av_find_best_stream", &f->av_find_best_stream);
  get(format, "av_find_input_format", &f->av_find_input_format);
  get(util, "av_free", &f->av_free);
  get(util, "av_freep", &f->av_freep);
  get(util, "av_malloc", &f->av_malloc);
  get(codec, "av_packet_alloc", &f->av_packet_alloc);
  get(codec, "av_packet_free", &f->av_packet_free);
  get(codec, "av_packet_unref", &f->av_packet_unref);
  get(format, "av_read_frame", &f->av_read_frame);
  get(util, "av_rescale", &f->av_rescale);
  get(util, "av_rescale_q", &f->av_rescale_q);
  get(format, "avformat_alloc_context", &f->avformat_alloc_context);
  get(format, "avformat_close_input", &f->avformat_close_input);
  get(format, "avformat_find_stream_info", &f->avformat_find_stream_info);
  get(format, "avformat_open_input", &f->avformat_open_input);
  get(format, "avio_alloc_context", &f->avio_alloc_context);
  get(format, "avio_context_free", &f->avio_context_free);
  if (!ok) return false;

  decltype(&::av_log_set_level) setLevel =
      reinterpret_cast<decltype(&::av_log_set_level)>(dlsym(util, "av_log_set_level"));
  if (!setLevel) return false;
  setLevel(AV_LOG_QUIET);  // broken files are normal here, not news

  // A damaged header can state any size, and some demuxers allocate what
  // it says before reading: a 135-byte WavPack file asks for 1.8 GB. No
  // header, index or cover picture that playing time and names need comes
  // near this bound, so such a file just gets no time.
  decltype(&::av_max_alloc) maxAlloc =
      reinterpret_cast<decltype(&::av_max_alloc)>(dlsym(util, "av_max_alloc"));
  if (!maxAlloc) return false;
  maxAlloc(kMaxFfmpegBlock);
  return true;
}

const FfmpegLib* Ffmpeg() {
  // Loaded once, by whichever thread asks first; the others wait for it.
  static FfmpegLib lib;
  static const bool loaded = Load(&lib);
  return loaded ? &lib : nullptr;
}
