// Any text must parse without overrun, keep the display within 99 characters, and give a list
// whose canonical text parses back to exactly that list (a character inside a "+" group is
// written as a D token, a hold on the last item as a trailing "+").
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "keyout/code_notation.h"

namespace {

// A list ends at its first 0 item; what follows it is no part of the list.
int ListLength(const KeyItem* items) {
  int n = 0;
  while (n < kMaxKeyItems && items[n] != 0) ++n;
  return n;
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
    const int length = ListLength(n.items);
    for (int i = 0; i < kMaxKeyItems; ++i)
      if (again.items[i] != (i < length ? n.items[i] : 0)) std::abort();
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
