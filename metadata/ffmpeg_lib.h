// FFmpeg's demuxing functions, loaded when the first playing time is asked
// for. The libraries pull in every codec library of the system: linked in,
// they would cost every start ~50 ms and ~25 MB, also a run that converts a
// PLS list or a library export and never asks for a playing time.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
#include <libavutil/log.h>
#include <libavutil/mathematics.h>
#include <libavutil/mem.h>
}

#include <cstddef>

// The largest block FFmpeg may allocate at once (av_max_alloc).
constexpr size_t kMaxFfmpegBlock = 64u << 20;

struct FfmpegLib {
  decltype(&::av_dict_get) av_dict_get;
  decltype(&::av_find_best_stream) av_find_best_stream;
  decltype(&::av_find_input_format) av_find_input_format;
  decltype(&::av_free) av_free;
  decltype(&::av_freep) av_freep;
  decltype(&::av_malloc) av_malloc;
  decltype(&::av_packet_alloc) av_packet_alloc;
  decltype(&::av_packet_free) av_packet_free;
  decltype(&::av_packet_unref) av_packet_unref;
  decltype(&::av_read_frame) av_read_frame;
  decltype(&::av_rescale) av_rescale;
  decltype(&::av_rescale_q) av_rescale_q;
  decltype(&::avformat_alloc_context) avformat_alloc_context;
  decltype(&::avformat_close_input) avformat_close_input;
  decltype(&::avformat_find_stream_info) avformat_find_stream_info;
  decltype(&::avformat_open_input) avformat_open_input;
  decltype(&::avio_alloc_context) avio_alloc_context;
  decltype(&::avio_context_free) avio_context_free;
};

// The loaded functions, with FFmpeg's logging silenced; null when the
// libraries cannot be loaded (then no playing time can be had). Only the
// first call tries to load them; any thread may call it.
const FfmpegLib* Ffmpeg();
