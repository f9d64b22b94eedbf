#include "reception/frame_codes.h"

namespace framing {

int CodeLength(const CodeBytes& code) {
  int n = 0;
  while (n < kMaxCodeBytes && code[n] != 0) ++n;
  return n;
}

void CopyCode(const CodeBytes& code, std::uint8_t* out) {
  const int n = CodeLength(code);
  for (int i = 0; i < n; ++i) out[i] = code[i];
  out[n] = 0;
}

void CopyKeyList(const KeySequence& keys, KeyItem* out) {
  int n = 0;
  while (n < kMaxKeyItems && keys[n] != 0) {
    out[n] = keys[n];
    ++n;
  }
  out[n] = 0;
}

}  // namespace framing
