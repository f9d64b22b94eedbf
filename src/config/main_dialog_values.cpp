#include "config/main_dialog_values.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

bool PortFromText(const char* text, std::uint8_t* port) {
  const char* com = std::strstr(text, "COM");
  if (com == nullptr) return false;
  unsigned number = 0;
  // Only the low 8 bits are kept, so the digits can be folded in without overflow.
  for (const char* p = com + 3; *p >= '0' && *p <= '9'; ++p) number = (number * 10 + (*p - '0')) & 0xFF;
  *port = static_cast<std::uint8_t>(number == 0 ? 0 : number - 1);
  return true;
}

void FormatPortText(std::uint8_t port, char* out, std::size_t size) {
  std::snprintf(out, size, "COM%d", port + 1);
}

// strtol rather than atoi: a text of more digits than an int holds is held, not undefined.
HeldNumber HoldIntervalText(const char* text) {
  const long value = std::strtol(text, nullptr, 10);
  if (value < kIntervalMin) return {kIntervalMin, true};
  if (value > kIntervalMax) return {kIntervalMax, true};
  return {static_cast<std::int16_t>(value), false};
}
