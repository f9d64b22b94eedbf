#include "support/fake_text_codec.h"

#include <cstdint>

#include "common/two_byte_text.h"

namespace {

constexpr char16_t kTwoByteBase = 0x4E00;
constexpr char16_t kKanaBase = 0xFF61;

// Lead bytes 0x80-0x9F and 0xE0-0xFF as 0-63.
int LeadIndex(std::uint8_t lead) { return lead < 0xA0 ? lead - 0x80 : lead - 0xC0; }
std::uint8_t LeadOf(int index) { return static_cast<std::uint8_t>(index < 0x20 ? index + 0x80 : index + 0xC0); }

int ToUtf16(const char* text, char16_t* out, int capacity) {
  int n = 0;
  for (int i = 0; text[i] != 0 && n < capacity - 1;) {
    const auto b = static_cast<std::uint8_t>(text[i]);
    if (IsTwoByteClass(b) && text[i + 1] != 0) {
      out[n++] = static_cast<char16_t>(kTwoByteBase + LeadIndex(b) * 256 + static_cast<std::uint8_t>(text[i + 1]));
      i += 2;
    } else {
      out[n++] = b >= 0xA1 ? static_cast<char16_t>(kKanaBase + (b - 0xA1)) : static_cast<char16_t>(b);
      ++i;
    }
  }
  if (capacity > 0) out[n] = 0;
  return n;
}

int ToCp932(const char16_t* text, char* out, int size) {
  int n = 0;
  for (int i = 0; text[i] != 0; ++i) {
    const char16_t c = text[i];
    if (c >= kTwoByteBase && c < kTwoByteBase + 64 * 256) {
      if (n + 2 > size - 1) break;
      out[n++] = static_cast<char>(LeadOf((c - kTwoByteBase) / 256));
      out[n++] = static_cast<char>((c - kTwoByteBase) % 256);
    } else {
      if (n + 1 > size - 1) break;
      const bool kana = c >= kKanaBase && c < kKanaBase + 0x3F;
      out[n++] = c < 0x80 ? static_cast<char>(c) : kana ? static_cast<char>(0xA1 + (c - kKanaBase)) : '?';
    }
  }
  if (size > 0) out[n] = 0;
  return n;
}

}  // namespace

const TextCodec kFakeCodec = {ToUtf16, ToCp932};
