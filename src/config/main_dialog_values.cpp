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

CheckedNumber CheckNumberText(const char* text, std::int16_t min, std::int16_t max, std::int16_t raiseTo) {
  long value = 0;
  for (const char* p = text; *p != 0; ++p) {
    if (*p < '0' || *p > '9') return {false, 0};
    value = value * 10 + (*p - '0');
    if (value > max) return {false, 0};  // also keeps a long run of digits from overflowing
  }
  if (value < min) return {false, 0};
  if (value > 0 && value < raiseTo) value = raiseTo;
  return {true, static_cast<std::int16_t>(value)};
}
