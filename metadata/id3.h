// Artist and title from a media file's ID3 tags: an ID3v2 tag (major
// versions 2, 3 and 4) at its start, frames "TIT2"/"TT2" and "TPE1"/"TP1",
// and the ID3v1 trailer at its end. Texts come out as UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/limits.h"

// The ID3v1 trailer: the last 128 bytes of a file.
struct MP3TRAILER {
  char tag[3];  // "TAG"
  char title[30];
  char artist[30];
  char album[30];
  char year[4];
  char comments[30];
  unsigned char genre;
};
static_assert(sizeof(MP3TRAILER) == 128, "the trailer is 128 bytes");

// The ID3v2 tag header: the first 10 bytes of a file.
struct V2HEADER {
  char id3[3];               // "ID3"
  unsigned char version[2];  // major version, revision
  unsigned char flags;       // 0x40 extended header, 0x10 footer
  unsigned char size[4];     // tag size without this header, sync-safe
};
static_assert(sizeof(V2HEADER) == 10, "the tag header is 10 bytes");

// The first 5 bytes of an extended header.
struct V2XHEADER {
  unsigned char size[4];
  unsigned char numflagbytes;
};

// Which names a file's tags gave (not empty texts).
constexpr int32_t ID3_TITLE = 1;
constexpr int32_t ID3_ARTIST = 2;

// Title and artist of mp3File into the caller's buffers (strsize bytes each,
// at least 31): each from the ID3v2 tag when it gives a text that is not
// empty, else from the ID3v1 trailer when there is one. 1 when the file
// carries either tag, even when it yields neither text; a text not found
// leaves its buffer as it was. 0 when there is no tag or the file cannot be
// read. *names (when given) receives ID3_TITLE and ID3_ARTIST for the names
// found that are not empty.
int32_t ReadTags(const char* mp3File, char* title, char* artist,
                 size_t strsize, int32_t* names = nullptr);

// The same on a file already open for reading (fd, size bytes); fd stays
// open.
int32_t ReadTagsOpen(int fd, int64_t size, char* title, char* artist, size_t strsize,
                     int32_t* names = nullptr);

// The same on a file whose head and tail are already read
// (metadata/container.h): what the buffers hold is not read again.
struct MediaBytes;
int32_t ReadTagsIn(const MediaBytes& f, char* title, char* artist, size_t strsize,
                   int32_t* names = nullptr);

// The ID3v1 trailer alone: 1 when the file ends in one. Each field is at most
// 30 bytes of Windows-1252 text, stored as UTF-8 cut to strsize - 1 bytes.
int32_t ReadTagsV1(const char* mp3File, char* title, char* artist,
                   size_t strsize);

// The ID3v2 tag alone: 1 when the file starts with a header IsID3V2 takes.
int32_t ReadTagsV2(const char* mp3File, char* title, char* artist,
                   size_t strsize);

// 1 when v2hd is an ID3v2 tag header of any version: "ID3", neither version
// byte 0xFF, a sync-safe size. What the tag takes up at the start of a
// file, whether or not its frames can be read.
int32_t IsID3V2Header(const V2HEADER* v2hd);

// Bytes the tag of a header IsID3V2Header takes: header, body, footer.
int64_t ID3V2TagBytes(const V2HEADER* v2hd);

// 1 when v2hd is a tag header of major version 2, 3 or 4, which this reader
// reads.
int32_t IsID3V2(const V2HEADER* v2hd);

// b0·2^21 + b1·2^14 + b2·2^7 + b3 of the 4 bytes at size (no masking).
int32_t CalcSyncSafeInt(const unsigned char* size);

// The big-endian 32-bit number of the 4 bytes at b.
uint32_t CalcPlainInt(const unsigned char* b);
