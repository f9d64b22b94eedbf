// Received text into Shift_JIS, the code the keystrokes and the log are written in: the JIS
// X 0208 arithmetic of the kanji shift mode, and the UTF-8 conversion (CONVCODE 1) with the
// bytes of a character that a read ended inside of. Portable; the UTF-8 conversion itself is
// the Windows code-page service (text_codec_win32.cpp), declared here without <windows.h>. Nothing
// here allocates.
#pragma once
#include <cstdint>

// The Shift_JIS code (lead byte high) of the JIS X 0208 row/cell bytes high and low, each
// taken in 0x21-0x7E; 0x0000 when either is outside that range (no conversion).
std::uint16_t JisToShiftJis(std::uint8_t high, std::uint8_t low);

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

// The bytes of a UTF-8 character that a read ended inside of. A device sends its characters
// whole, but the reader takes whatever has arrived, so a read may end after the first one,
// two or three bytes of a character; those bytes wait here and are converted together with
// the rest of the character from the next read.

// The longest incomplete sequence: three bytes of a four-byte character.
inline constexpr int kUtf8CarryBytes = 3;

struct Utf8Carry {
  std::uint8_t Bytes[kUtf8CarryBytes] = {};
  std::int32_t Count = 0;  // 0..kUtf8CarryBytes
};

// Length of the part of bytes[0, n) that ends with no incomplete character: n, or the index
// of the lead byte of a trailing sequence that more continuation bytes could still complete
// (at most kUtf8CarryBytes bytes before n). Bytes that no continuation can make valid (stray
// continuation bytes, C0, C1, F5-FF, a second byte out of its lead's range) are never held back:
// the conversion turns them into replacement characters as it does with all invalid input.
int Utf8CompleteLength(const std::uint8_t* bytes, int n);
