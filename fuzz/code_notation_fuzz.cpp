// Any text must parse without overrun, keep the display within 99 characters, and give a list
// whose canonical text parses back to it (except a character held inside a "+" group).
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "keyout/code_notation.h"

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
    ParseCodeNotation(canonical, mode);
  }
  const ByteCodes b = ParseByteCodes(text.c_str());
  char canonical[kNotationDisplaySize];
  FormatCodeNotation(b.bytes, canonical, sizeof canonical);
  const ByteCodes again = ParseByteCodes(canonical);
  for (int i = 0; i < kMaxCodeBytes && b.bytes[i] != 0; ++i)
    if (again.bytes[i] != b.bytes[i]) std::abort();
  return 0;
}
