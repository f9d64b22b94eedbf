// Byte classes of code page 932 text, as key output sorts each byte it is asked to type.
#pragma once
#include <cstdint>

#include "common/two_byte_text.h"  // IsTwoByteClass, IsLeadByte, IsTrailByte
// Space and ASCII graphics; the half-width katakana too when the ANSI code page is 932.
constexpr bool IsPrintableByte(std::uint8_t b, bool codePage932) {
  return (b >= 0x20 && b <= 0x7E) || (codePage932 && b >= 0xA1 && b <= 0xDF);
}
