// Byte classes of code page 932 text, as key output sorts each byte it is asked to type.
#pragma once
#include <cstdint>

#include "keyout/two_byte_text.h"  // IsTwoByteClass: the first byte of a two-byte character
// A first byte that can start a real Shift_JIS character.
constexpr bool IsLeadByte(std::uint8_t b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
// A byte that can end a Shift_JIS character.
constexpr bool IsTrailByte(std::uint8_t b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }
// Space and ASCII graphics; the half-width katakana too when the ANSI code page is 932.
constexpr bool IsPrintableByte(std::uint8_t b, bool codePage932) {
  return (b >= 0x20 && b <= 0x7E) || (codePage932 && b >= 0xA1 && b <= 0xDF);
}
