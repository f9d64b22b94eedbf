// Any text must parse without overrun, keep the display within 99 characters, and give a list
// whose canonical text parses back to it, but for the two cases the canonical form cannot
// express: a hold on the last item is not written, and a character inside a "+" group is
// written as an X token, which the parser refuses.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "keyout/code_notation.h"

namespace {

int ListLength(const KeyItem* items) {
  int n = 0;
  while (n < kMaxKeyItems && items[n] != 0) ++n;
  return n;
}

bool CharacterInGroup(const KeyItem* items) {
  const int n = ListLength(items);
  for (int i = 0; i < n; ++i) {
    const bool grouped = (items[i] & KEYITEM_HOLD) != 0 || (i > 0 && (items[i - 1] & KEYITEM_HOLD) != 0);
    if (grouped && (items[i] & KEYITEM_VKEY) == 0) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  for (NotationMode mode : {NotationMode::Bytes, NotationMode::Keys}) {
    const CodeNotation n = ParseCodeNotation(text.c_str(), mode);
    if (std::strlen(n.display) > 99) std::abort();
    if (mode == NotationMode::Bytes) {
      for (int i = kMaxCodeBytes; i < kMaxKeyItems; ++i)
        if (n.items[i] != 0) std::abort();
    }
    char canonical[kNotationDisplaySize];
    FormatCodeNotation(n.items, canonical, sizeof canonical);
    const CodeNotation again = ParseCodeNotation(canonical, mode);
    if (!CharacterInGroup(n.items)) {
      KeyItem expected[kMaxKeyItems] = {};
      const int length = ListLength(n.items);
      for (int i = 0; i < length; ++i) expected[i] = n.items[i];
      if (length > 0) expected[length - 1] &= static_cast<KeyItem>(~KEYITEM_HOLD);
      for (int i = 0; i < kMaxKeyItems; ++i)
        if (again.items[i] != expected[i]) std::abort();
    }
  }
  const ByteCodes b = ParseByteCodes(text.c_str());
  char canonical[kNotationDisplaySize];
  FormatCodeNotation(b.bytes, canonical, sizeof canonical);
  const ByteCodes again = ParseByteCodes(canonical);
  for (int i = 0; i < kMaxCodeBytes && b.bytes[i] != 0; ++i)
    if (again.bytes[i] != b.bytes[i]) std::abort();

  // A request of 20 bytes: the bytes past the count are never written, the display stays in
  // its buffer, and the canonical text parses back to the same list.
  std::uint8_t request[kMaxRequestBytes + 1];
  request[kMaxRequestBytes] = 0xEE;
  char display[kByteListDisplaySize];
  ParseByteList(text.c_str(), request, kMaxRequestBytes, display, sizeof display);
  if (request[kMaxRequestBytes] != 0xEE || std::strlen(display) >= sizeof display) std::abort();
  char longText[kByteListDisplaySize];
  FormatByteList(request, kMaxRequestBytes, longText, sizeof longText);
  std::uint8_t requestAgain[kMaxRequestBytes];
  ParseByteList(longText, requestAgain, kMaxRequestBytes, display, sizeof display);
  for (int i = 0; i < kMaxRequestBytes && request[i] != 0; ++i)
    if (requestAgain[i] != request[i]) std::abort();
  return 0;
}
