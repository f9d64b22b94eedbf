// Bounded reading of the codes and key lists of the settings record. A code ends at its first
// 0 byte and never has more than kMaxCodeBytes bytes, whatever the record holds after them; a
// key list likewise ends at kMaxKeyItems items.
#pragma once
#include <cstdint>

#include "config/settings.h"

namespace framing {

// Byte p of a code; 0 past its end and outside 0..kMaxCodeBytes-1.
inline std::uint8_t CodeByte(const CodeBytes& code, int p) {
  return p >= 0 && p < kMaxCodeBytes ? code[p] : 0;
}
// The code has no byte after p.
inline bool CodeEndsAt(const CodeBytes& code, int p) { return CodeByte(code, p + 1) == 0; }

int CodeLength(const CodeBytes& code);
// Copies the code and a terminator into out (kMaxCodeBytes + 1 bytes).
void CopyCode(const CodeBytes& code, std::uint8_t* out);
// Copies the key list and a terminating 0 item into out (kMaxKeyItems + 1 items).
void CopyKeyList(const KeySequence& keys, KeyItem* out);

}  // namespace framing
