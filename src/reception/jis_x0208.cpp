#include "reception/jis_x0208.h"

std::uint16_t JisToShiftJis(std::uint8_t high, std::uint8_t low) {
  if (high < 0x21 || high > 0x7E || low < 0x21 || low > 0x7E) return 0;
  // Two JIS rows share one Shift_JIS lead byte; the lead bytes skip 0xA0-0xDF (kana).
  const unsigned lead = ((high + 1u) >> 1) + (high <= 0x5E ? 0x70u : 0xB0u);
  unsigned trail;
  if (high & 1) {
    trail = low + (low >= 0x60 ? 0x20u : 0x1Fu);  // odd row: 0x40-0x9E, skipping 0x7F
  } else {
    trail = low + 0x7Eu;  // even row: 0x9F-0xFC
  }
  return static_cast<std::uint16_t>((lead << 8) | trail);
}
