// The rules by which the settings dialogs turn what their controls hold into settings and back,
// free of any window: the port text and the number edits. The Win32 dialogs apply them.
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

// What a number edit of the extended settings dialog stores for its text, checked when the
// dialog is confirmed: an empty text is 0; a text of anything but digits, or a number outside
// min..max, is refused; a number from 1 to below raiseTo becomes raiseTo (0 raises nothing).
struct CheckedNumber {
  bool accepted;
  std::int16_t value;
};
CheckedNumber CheckNumberText(const char* text, std::int16_t min, std::int16_t max, std::int16_t raiseTo);
