#include "framing/shift_jis_conversion.h"

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

namespace {

bool IsContinuation(std::uint8_t b) { return (b & 0xC0) == 0x80; }

// Bytes of the sequence that b starts: 1 for ASCII, 2 to 4 for a valid lead, 0 otherwise.
int SequenceLength(std::uint8_t b) {
  if (b < 0x80) return 1;
  if (b >= 0xC2 && b <= 0xDF) return 2;
  if (b >= 0xE0 && b <= 0xEF) return 3;
  if (b >= 0xF0 && b <= 0xF4) return 4;
  return 0;
}

// Whether `second` can follow `lead` in a well-formed sequence (no overlong form, no
// surrogate, nothing above U+10FFFF).
bool SecondByteFits(std::uint8_t lead, std::uint8_t second) {
  switch (lead) {
    case 0xE0: return second >= 0xA0 && second <= 0xBF;
    case 0xED: return second >= 0x80 && second <= 0x9F;
    case 0xF0: return second >= 0x90 && second <= 0xBF;
    case 0xF4: return second >= 0x80 && second <= 0x8F;
    default: return IsContinuation(second);
  }
}

}  // namespace

int Utf8CompleteLength(const std::uint8_t* bytes, int n) {
  if (bytes == nullptr || n <= 0) return 0;
  // An incomplete sequence has at most two continuation bytes, so no more are counted.
  int trailing = 0;
  while (trailing < kUtf8CarryBytes - 1 && trailing < n && IsContinuation(bytes[n - 1 - trailing])) {
    ++trailing;
  }
  if (trailing == n) return n;  // no lead byte before them
  const int lead = n - 1 - trailing;
  if (SequenceLength(bytes[lead]) <= trailing + 1) return n;  // complete, or no lead at all
  if (trailing > 0 && !SecondByteFits(bytes[lead], bytes[lead + 1])) return n;
  return lead;
}
