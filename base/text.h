// Small text primitives shared by every layer: the one bounded copy, the
// bounded formatter, 32-bit decimal conversion, UTF-8 character counting and
// the one case-insensitive comparison.
#pragma once

#include <cstddef>
#include <cstdint>

// Copies src into dst (capacity cap bytes), cut to cap - 1 bytes, always
// zero-terminated. Returns the number of bytes copied. cap must be > 0.
size_t CopyText(char* dst, size_t cap, const char* src);

// Same for UTF-8 text: cut before a character that would not fit, never
// inside one.
size_t CopyUtf8(char* dst, size_t cap, const char* src);

// Same, but takes at most n bytes of src (stops earlier at a zero byte).
size_t CopyTextN(char* dst, size_t cap, const char* src, size_t n);

// snprintf into a fixed buffer; the result is always zero-terminated and cut
// when it does not fit. Returns the number of bytes stored.
size_t FormatText(char* dst, size_t cap, const char* fmt, ...)
    __attribute__((format(printf, 3, 4)));

// The value of a hex digit (0-9, a-f, A-F), or -1.
int HexDigitValue(char c);

// Decimal value as the C library's atoi/atol of a 32-bit platform gives it:
// leading white space, an optional sign, digits up to the first non-digit,
// no digits give 0. A value beyond the 32-bit range clamps to its end.
int32_t Atoi32(const char* s);

// Length in bytes of the character at p when it starts a valid UTF-8
// multi-byte sequence (2..4) within avail bytes; 1 otherwise. Every byte that
// is not part of a valid sequence is a character of its own.
size_t Utf8CharLen(const unsigned char* p, size_t avail);

// Number of characters in the first len bytes of s.
size_t Utf8Count(const char* s, size_t len);

// Number of bytes taken by the first maxChars characters of s (len bytes).
size_t Utf8Prefix(const char* s, size_t len, size_t maxChars);

// Largest byte count <= maxBytes that does not split a valid sequence.
size_t Utf8CutBytes(const char* s, size_t len, size_t maxBytes);

// Appends the UTF-8 form of code point cp to dst; returns bytes written (1..4).
size_t Utf8Encode(uint32_t cp, char* dst);

// True when the first len bytes of s are valid UTF-8 throughout.
bool IsValidUtf8(const char* s, size_t len);

// The code point of a Windows-1252 byte; the five bytes the code page leaves
// undefined keep their Latin-1 code points, as the Windows conversion does.
uint32_t Cp1252CodePoint(unsigned char b);

// src (at most len bytes, up to its first zero byte) read as Windows-1252,
// into dst (cap bytes) as UTF-8, cut before a character that would not fit,
// always terminated. Returns the bytes stored.
size_t Cp1252ToUtf8(char* dst, size_t cap, const char* src, size_t len);

// Display cells of a character as a terminal shows it: East Asian wide and
// fullwidth characters 2, combining marks and zero-width characters 0, any
// other 1 (also one the C library gives no width). From the C library's
// table for C.UTF-8, whatever locale the program runs in.
int CharCells(uint32_t cp);

// Display cells of the first characters of text (len bytes) that fit in
// limit cells (limit < 0: all of them), never cutting a character; *bytes
// (when given) receives the bytes they take.
int64_t TextCells(const char* text, size_t len, int64_t limit, size_t* bytes = nullptr);

// The code point of the valid UTF-8 sequence at p (len bytes, 1..4).
uint32_t Utf8Decode(const unsigned char* p, size_t len);

// A name as it is shown: src itself when it is valid UTF-8, else read as
// Windows-1252 (what players on Windows write into their lists). Into dst
// (cap bytes), never cut inside a character. Returns the bytes stored.
size_t ShownText(char* dst, size_t cap, const char* src);

// Case-insensitive comparison of ASCII letters, as the C locale does it:
// the whole texts, or at most their first n bytes.
bool EqualsNoCase(const char* a, const char* b);
bool EqualsNoCaseN(const char* a, const char* b, size_t n);

// Builds a message from fmt (one "%s") and a file name into a buffer of
// cap bytes; a name that does not fit is shortened visibly with "...".
void FormatFileMessage(char* buf, size_t cap, const char* fmt,
                       const char* name);
