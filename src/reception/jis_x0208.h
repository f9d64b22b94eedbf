// JIS X 0208 to Shift_JIS arithmetic.
#pragma once
#include <cstdint>

// The Shift_JIS code (lead byte high) of the JIS X 0208 row/cell bytes high and low, each
// taken in 0x21-0x7E; 0x0000 when either is outside that range (no conversion).
std::uint16_t JisToShiftJis(std::uint8_t high, std::uint8_t low);
