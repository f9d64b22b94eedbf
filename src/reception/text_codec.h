// Conversion between code page 932, the program's text, and UTF-16, on which the frame pattern
// matches (so that a class or "." takes a whole kanji, never half of one). A seam: the program
// gives the system's conversion with 932 named (text_codec_win32.h); tests give their own.
#pragma once

struct TextCodec {
  // The UTF-16 form of a zero-terminated code page 932 text in `out` (`capacity` units with
  // the terminator), cut at whole characters; returns the units without the terminator.
  int (*toUtf16)(const char* text, char16_t* out, int capacity);
  // The code page 932 form of a zero-terminated UTF-16 text in `out` (`size` bytes with the
  // terminator), never half a two-byte character; returns the bytes without the terminator.
  int (*toCp932)(const char16_t* text, char* out, int size);
};
