// The rules by which the main dialog turns what its controls hold into settings and back,
// free of any window: the port text and the number edits. The Win32 dialog applies them.
#pragma once
#include <cstddef>
#include <cstdint>

// The range of the number edits (DATADELAY, DATAWAIT, SENDDELAY), in milliseconds.
inline constexpr std::int16_t kIntervalMin = 1;
inline constexpr std::int16_t kIntervalMax = 2000;

// PORT from a port text: the number after the first "COM", low 8 bits, minus one (0 for 0).
// False when the text holds no "COM" (PORT then stays as it was).
bool PortFromText(const char* text, std::uint8_t* port);

// The port text shown for PORT: "COM" and PORT + 1. out gets at most size - 1 characters.
void FormatPortText(std::uint8_t port, char* out, std::size_t size);

// What a number edit stores for its text: the number at its start ("%d" as atoi reads it,
// 0 for none) held to kIntervalMin..kIntervalMax. `replace` is set when the value was held,
// so that the edit shows the stored value instead of its text.
struct HeldNumber {
  std::int16_t value;
  bool replace;
};
HeldNumber HoldIntervalText(const char* text);
