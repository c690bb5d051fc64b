// The playing time of MPEG audio (MP3, MP2) from its frame headers alone,
// the way the demuxer finds it, without loading FFmpeg: the frame count of a
// Xing, Info or VBRI header when the first frame carries one, else the frame
// headers walked from the first frame to the end of the file.
#pragma once

#include <cstdint>

struct MediaBytes;

// The time in microseconds of the MPEG audio in the file f (see
// metadata/container.h), whose audio starts at start (after a leading ID3v2
// tag), or -1 when the frame headers do not answer it alone (free-format or
// mixed streams, junk between frames, a few odd frames in a constant-rate
// stream): then the demuxer has to.
int64_t MpegAudioTime(const MediaBytes& f, int64_t start);

// How a stream's frames, counted by the bit-rate index of their headers
// (perRate[0..15]; frames in all), are timed: every frame at one rate; a
// constant-rate stream with a few odd frames (an information frame, a cut
// last frame, junk before a trailing tag: fewer than 3, or under a tenth),
// which a demuxer times from its bit rate as well; or a variable rate,
// whose frame durations are summed.
enum BitRates { RATES_CONSTANT, RATES_NEARLY_CONSTANT, RATES_VARIABLE };
BitRates JudgeBitRates(const int64_t perRate[16], int64_t frames);

// 1 when the four bytes at p are a valid MPEG audio frame header (not of the
// free format).
int IsMpegAudioHeader(const unsigned char* p);
