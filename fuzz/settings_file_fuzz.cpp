// Any file must read without harm, and the record read from it must save and read back to the
// same record: what the program writes it can always read again unchanged.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "config/settings_file.h"

namespace {

struct Paths {
  char input[64] = "/tmp/tamblix-fuzz-in.XXXXXX";
  char saved[80] = {};
  Paths() {
    const int fd = mkstemp(input);
    if (fd < 0) std::abort();
    close(fd);
    std::snprintf(saved, sizeof saved, "%s.saved", input);
  }
  ~Paths() {
    std::remove(input);
    std::remove(saved);
  }
};

Paths& TempPaths() {
  static Paths paths;
  return paths;
}

void WriteInput(const char* path, const std::uint8_t* data, std::size_t size) {
  std::FILE* f = std::fopen(path, "wb");
  if (f == nullptr) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, f) != size) std::abort();
  std::fclose(f);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 64 * 1024) return 0;
  Paths& paths = TempPaths();
  WriteInput(paths.input, data, size);

  SettingsRecord first;
  ReadSettingsFile(first, paths.input);
  char firstText[kSettingsTextSize];
  const int firstLength = FormatSettingsText(first, firstText, sizeof firstText);
  if (firstLength <= 0 || firstLength >= kSettingsTextSize) std::abort();
  // The whole record fits: the text ends with the last row's line end.
  if (std::strcmp(firstText + firstLength - 2, "\r\n") != 0) std::abort();

  if (!WriteSettingsFile(first, paths.saved)) std::abort();
  SettingsRecord again;
  ReadSettingsFile(again, paths.saved);
  char againText[kSettingsTextSize];
  const int againLength = FormatSettingsText(again, againText, sizeof againText);
  if (againLength != firstLength || std::memcmp(firstText, againText, firstLength) != 0) std::abort();
  return 0;
}
