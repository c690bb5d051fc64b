// The one line source of the readers: a source stream read in large blocks,
// with every line end made an LF (a CR LF pair, and a lone CR as old Mac
// files end their lines), and the two ways of taking a line out of it in
// pieces of bounded length.
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
  bool eof = false;
  bool error = false;
};

// Attaches a stream to an open file. blockSize is the size of each read.
void TsInit(TextStream* ts, FILE* f, size_t blockSize = 1 << 20);

// fgets: stores at most n - 1 bytes, up to and including an LF, and a zero.
// Returns s, or null when the source has
// ended (or failed) before anything was stored. *len receives the count of
// bytes stored when len is not null.
char* TsGets(char* s, int n, TextStream* ts, size_t* len = nullptr);

// The list reader's line read: at most n - 1 bytes, a line ends at LF or at
// CR, and the terminator is consumed but not stored. When n - 1 bytes come
// before a terminator, the terminator stays for the next call (which then
// returns an empty line). Returns null only when the source ended before this
// call stored or consumed anything.
char* MyFgets(char* s, int n, TextStream* iop);

// Skips a UTF-8 byte-order mark at the current position (the start of a
// source). Returns true when there was one.
bool TsSkipBom(TextStream* ts);

// The next bytes of the source as they stand in the buffer, for a reader
// that parses blocks (an XML parser): *data points to *len > 0 bytes, valid
// until the next call on ts. Returns false at the end of the source.
bool TsBlock(TextStream* ts, const char** data, size_t* len);
