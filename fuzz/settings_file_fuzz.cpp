// Any file must read without harm, and the record read from it must save and read back to the
// same record: what the program writes it can always read again unchanged. The file is read
// and written through in-memory streams, the same code the program runs on its files.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "config/settings_file.h"

namespace {

constexpr std::size_t kMaxInput = 64 * 1024;

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
  char firstText[kSettingsTextSize];
  const int firstLength = FormatSettingsText(first, firstText, sizeof firstText);
  if (firstLength <= 0 || firstLength >= kSettingsTextSize) std::abort();
  // The whole record fits: the text ends with the last row's line end.
  if (std::strcmp(firstText + firstLength - 2, "\r\n") != 0) std::abort();

  static char saved[kSettingsTextSize];
  std::FILE* out = fmemopen(saved, sizeof saved, "wb");
  if (out == nullptr || !WriteSettingsStream(first, out)) std::abort();
  const long savedLength = std::ftell(out);
  std::fclose(out);
  if (savedLength != firstLength) std::abort();

  SettingsRecord again;
  ReadFromMemory(again, saved, static_cast<std::size_t>(savedLength));
  char againText[kSettingsTextSize];
  const int againLength = FormatSettingsText(again, againText, sizeof againText);
  if (againLength != firstLength || std::memcmp(firstText, againText, firstLength) != 0) std::abort();
  return 0;
}
