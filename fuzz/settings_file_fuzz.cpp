// Any file must read without harm, and the record read from it must save and read back to the
// same record: what the program writes it can always read again unchanged. The file is read
// and written through in-memory streams, the same code the program runs on its files.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "config/settings.h"

namespace {

constexpr std::size_t kMaxInput = 64 * 1024;

// The line ends of a text; a whole settings text has one after the header and one a row.
int LineEnds(const char* text, std::size_t size) {
  int n = 0;
  for (std::size_t i = 0; i + 1 < size; ++i) n += text[i] == '\r' && text[i + 1] == '\n' ? 1 : 0;
  return n;
}

// Reads the record from size bytes of data (glibc opens a stream of 0 bytes as an empty file).
void ReadFromMemory(SettingsRecord& s, void* data, std::size_t size) {
  std::FILE* f = fmemopen(data, size, "rb");
  if (f == nullptr) std::abort();
  ReadSettingsStream(s, f);
  std::fclose(f);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > kMaxInput) return 0;
  static char input[kMaxInput];
  std::memcpy(input, data, size);

  SettingsRecord first;
  ReadFromMemory(first, input, size);
  // What is saved is the record's whole text: every row, the last one ending the text.
  static char saved[kSettingsTextSize];
  std::FILE* out = fmemopen(saved, sizeof saved, "wb");
  if (out == nullptr || !WriteSettingsStream(first, out)) std::abort();
  const long savedLength = std::ftell(out);
  std::fclose(out);
  if (savedLength <= 2 || savedLength >= kSettingsTextSize) std::abort();
  if (std::memcmp(saved + savedLength - 2, "\r\n", 2) != 0) std::abort();
  if (LineEnds(saved, static_cast<std::size_t>(savedLength)) != static_cast<int>(std::size(kSettingFields)) + 1) std::abort();

  // Read back, the record gives the same text again.
  SettingsRecord again;
  ReadFromMemory(again, saved, static_cast<std::size_t>(savedLength));
  char againText[kSettingsTextSize];
  const int againLength = FormatSettingsText(again, againText, sizeof againText);
  if (againLength != savedLength || std::memcmp(saved, againText, againLength) != 0) std::abort();
  return 0;
}
