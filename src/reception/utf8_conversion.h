// UTF-8 to Shift_JIS conversion of a received block (the Windows code-page services do the
// work; see utf8_win32.cpp). Declared here without <windows.h> so that portable code can name it.
#pragma once
#include <cstdint>

// Units of the conversion's UTF-16 work buffer: one piece of a received block, whole.
inline constexpr int kUtf8WorkUnits = 2048;

// Converts srcLength bytes of UTF-8 (0x00 bytes included, each staying one 0x00 byte) into the
// ANSI code page of the calling thread (code page 932). Writes the converted bytes and a
// terminator into dst and returns the number of bytes before the terminator; when the whole
// text needs more than dstCapacity - 1 bytes, none is written (0). At most kUtf8WorkUnits source
// bytes are taken. Invalid UTF-8 becomes the replacement character, characters the code page
// lacks (four-byte sequences included) become its default character; nothing is reported. The
// caller hands over whole characters: a sequence cut at the end is invalid input here.
int Utf8ToShiftJis(const std::uint8_t* src, int srcLength, std::uint8_t* dst, int dstCapacity);
