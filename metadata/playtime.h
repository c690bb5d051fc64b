// The playing time of a media file, from the container and stream headers
// as a media player's demuxer reads them.
#pragma once

#include <cstddef>
#include <cstdint>

// Playing time of FileName in milliseconds, or 0 when it cannot be had (no
// such file, not a regular file, not a media file, no known length). Reads a
// bounded part of the file whatever it holds, keeps nothing open and prints
// nothing.
int32_t GetMP3Length(const char* FileName);

// The same time on a file already open for reading (fd, size bytes), named
// FileName (its extension names the format); fd stays open.
int32_t GetMP3LengthOpen(const char* FileName, int fd, int64_t size);

// The playing time as GetMP3LengthOpen gives it, and from the same reading
// of the file (FLAC, Ogg and MP4 headers read directly, the demuxer for
// what they do not answer) the title and artist of its own tags (Vorbis comments, MP4
// atoms, ASF, APE, Matroska, RIFF INFO) as the demuxer reports them: the
// format's metadata, else the first audio stream's, keys "title" and
// "artist" in any case. A name found (not empty) is written into its buffer
// (cap bytes) as UTF-8 (text that is not valid UTF-8 is read as
// Windows-1252) and its bit (ID3_TITLE, ID3_ARTIST of metadata/id3.h) set in
// *names; the others keep their buffers.
int32_t GetMediaInfoOpen(const char* FileName, int fd, int64_t size, char* title, char* artist,
                         size_t cap, int32_t* names);

// The same two on a file whose head and tail are already read
// (metadata/container.h): what its buffers hold is not read again.
struct MediaBytes;
int32_t GetMP3LengthIn(const char* FileName, const MediaBytes& f);
int32_t GetMediaInfoIn(const char* FileName, const MediaBytes& f, char* title, char* artist,
                       size_t cap, int32_t* names);

// The same time always through the demuxer, never from MPEG frame headers
// or container headers alone: the reference that those readers are checked
// against.
int32_t GetDemuxedLength(const char* FileName);

// The time and the names as GetMediaInfoOpen gives them, always through the
// demuxer.
int32_t GetDemuxedInfo(const char* FileName, char* title, char* artist, size_t cap,
                       int32_t* names);
