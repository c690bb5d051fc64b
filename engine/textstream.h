// The one line source of the readers: a source stream read in large blocks,
// with every line end made an LF (a CR LF pair, and a lone CR as old Mac
// files end their lines), handed out as whole lines or as blocks.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>

struct TextStream {
  FILE* file = nullptr;           // not owned
  std::unique_ptr<char[]> buf;
  size_t cap = 0;
  size_t pos = 0;                 // next byte to hand out
  size_t end = 0;                 // end of the folded bytes in buf
  bool crPending = false;         // a CR ended the last block; LF may follow
  bool started = false;           // the source's first bytes have been looked at
  bool eof = false;
  bool error = false;
  int readErrno = 0;              // errno of a failed read
  // A source in UTF-16 (it starts with a byte-order mark) is handed out as
  // UTF-8: 0 not UTF-16, 1 little-endian, 2 big-endian.
  int utf16 = 0;
  std::unique_ptr<unsigned char[]> raw;  // UTF-16 bytes read, not yet decoded
  size_t rawLen = 0;
};

// Attaches a stream to an open file. blockSize is the size of each read.
void TsInit(TextStream* ts, FILE* f, size_t blockSize = 1 << 20);

// One whole line, however long: its first cap - 1 bytes (without the LF)
// are stored with a zero, the rest of it is read past. *len receives the
// bytes stored. Returns null when the source has ended before the line.
char* TsLine(TextStream* ts, char* s, size_t cap, size_t* len = nullptr);

// The first bytes of the source (up to n, fewer when it is shorter), as the
// readers will be handed them (UTF-16 already in UTF-8), without taking them
// out. *data is valid until the next call on ts.
size_t TsPeek(TextStream* ts, size_t n, const char** data);

// Skips a UTF-8 byte-order mark at the current position (the start of a
// source). Returns true when there was one. (A UTF-16 mark is taken when the
// source is first read.)
bool TsSkipBom(TextStream* ts);

// The next bytes of the source as they stand in the buffer, for a reader
// that parses blocks (an XML parser): *data points to *len > 0 bytes, valid
// until the next call on ts. Returns false at the end of the source.
bool TsBlock(TextStream* ts, const char** data, size_t* len);
