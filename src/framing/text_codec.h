// The conversion between the program's text (code page 932) and UTF-16: the seam through which
// the frame pattern and the output template convert, given by the program (text_codec_win32.cpp)
// or by a test.
#pragma once

// Conversion between code page 932, the program's text, and UTF-16, on which the frame pattern
// matches (so that a class or "." takes a whole kanji, never half of one). A seam: the program
// gives the system's conversion with 932 named (kCp932Codec); tests give their own.
struct TextCodec {
  // The UTF-16 form of a zero-terminated code page 932 text in `out` (`capacity` units with
  // the terminator), cut at whole characters; returns the units without the terminator.
  int (*toUtf16)(const char* text, char16_t* out, int capacity);
  // The code page 932 form of a zero-terminated UTF-16 text in `out` (`size` bytes with the
  // terminator), never half a two-byte character; returns the bytes without the terminator.
  int (*toCp932)(const char16_t* text, char* out, int size);
};

// The program's conversion: 932 named, whatever the system's code page (text_codec_win32.cpp,
// with common/wide_text_win32.h doing the work; Windows only).
extern const TextCodec kCp932Codec;
