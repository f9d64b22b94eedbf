// Any template must expand within its 49 characters, never leave a two-byte character cut in
// half, and the check must refuse exactly the names that hold a forbidden character or an
// ampersand without its code letter.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "datalog/log_writer.h"

namespace {

// Lead bytes as the program counts them: a trail byte may be a backslash or a bar, which must
// not count as such.
bool LeadByte(unsigned char c) { return (c >= 0x80 && c <= 0x9F) || c >= 0xE0; }

// Whether n is a character boundary of text (lead bytes pair with the byte after them).
bool IsBoundary(const char* text, std::size_t n) {
  std::size_t i = 0;
  while (i < n) i += LeadByte(static_cast<unsigned char>(text[i])) && text[i + 1] != 0 ? 2 : 1;
  return i == n;
}

// The check's rule, written independently: walked byte by byte, two-byte characters skipped.
int ExpectedCheck(const char* name) {
  for (const char* p = name; *p != 0; ++p) {
    const auto c = static_cast<unsigned char>(*p);
    if (LeadByte(c) && p[1] != 0) {
      ++p;
      continue;
    }
    if (std::strchr("\\$/:,;*?\"<>|", c) != nullptr) return -1;
    if (c == '&' && (p[1] == 0 || std::strchr("DMYhmy", p[1]) == nullptr)) return -1;
  }
  return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 4096) return 0;
  const std::string templ(reinterpret_cast<const char*>(data), size);
  const LocalTime time{2026, 12, 7, 9, 5, 3};
  char out[kLogNameSize + 8];
  std::memset(out, 0x5A, sizeof out);
  ExpandLogName(templ.c_str(), out, kLogNameSize, time);
  // Nothing past the room given, and the result is terminated within it.
  for (std::size_t i = kLogNameSize; i < sizeof out; ++i)
    if (out[i] != 0x5A) std::abort();
  if (std::memchr(out, 0, kLogNameSize) == nullptr) std::abort();
  // The short result is the start of the full expansion, cut between two characters.
  static char full[3 * 4096 + 1];
  ExpandLogName(templ.c_str(), full, sizeof full, time);
  const std::size_t n = std::strlen(out);
  if (std::strncmp(out, full, n) != 0) std::abort();
  if (n < std::strlen(full)) {
    if (!IsBoundary(full, n)) std::abort();  // cut inside a character
    // Cut only where the room is full or the next two-byte character no longer fits.
    const std::size_t room = kLogNameSize - 1;
    const bool nextIsPair = LeadByte(static_cast<unsigned char>(full[n])) && full[n + 1] != 0;
    if (n != room && !(nextIsPair && n + 2 > room)) std::abort();
  }
  if (CheckLogName(templ.c_str()) != ExpectedCheck(templ.c_str())) std::abort();
  return 0;
}
