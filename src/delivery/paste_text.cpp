#include "delivery/paste_text.h"

#include "common/two_byte_text.h"

namespace {

constexpr std::uint8_t kTab = 0x09;
constexpr std::uint8_t kLf = 0x0A;
constexpr std::uint8_t kCr = 0x0D;

bool IsControl(std::uint8_t b) { return b < 0x20 || b == 0x7F; }

}  // namespace

int PasteTextUnits(Keyboard& keyboard, const std::uint8_t* text, int length, std::uint16_t* out,
                   int capacity) {
  if (capacity <= 0) return 0;
  int n = 0;
  int i = 0;
  while (i < length) {
    const std::uint8_t b = text[i];
    std::uint16_t units[2];
    int count = 0;
    int used = 1;
    if (b == kCr || b == kLf) {
      units[0] = kCr;
      units[1] = kLf;
      count = 2;
      if (b == kCr && i + 1 < length && text[i + 1] == kLf) used = 2;
    } else if (b == kTab) {
      units[0] = kTab;
      count = 1;
    } else if (!IsControl(b)) {
      used = IsLeadByte(b) && i + 1 < length ? 2 : 1;
      count = keyboard.Cp932ToUtf16(text + i, used, units, 2);
    }
    if (n + count > capacity - 1) break;
    for (int k = 0; k < count; ++k) out[n++] = units[k];
    i += used;
  }
  out[n] = 0;
  return n;
}

void PasteRestore::Pasted(std::uint32_t now, std::uint32_t sequence) {
  since_ = now;
  sequence_ = sequence;
  rendered_ = false;
  lost_ = false;
}

void PasteRestore::Rendered(std::uint32_t sequence) {
  rendered_ = true;
  sequence_ = sequence;
}

PasteRestore::Action PasteRestore::Decide(std::uint32_t now, std::uint32_t sequence) const {
  if (!rendered_ && !lost_ && now - since_ < kPasteRestoreBoundMs) return Action::Wait;
  return !lost_ && sequence == sequence_ ? Action::Restore : Action::Forget;
}
