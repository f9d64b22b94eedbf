// The keys that control bytes of the received data type: the plain key (no modifier) that
// produces the byte, or nothing.
//
// The layout's own answer (VkKeyScanA) is no use for these bytes: its tables give most of them
// as Ctrl shortcuts (LF is Ctrl+Enter, ESC Ctrl+[, DEL Ctrl+Backspace, 0x01 Ctrl+A, ETX the
// Break key), which send a message, fill a selection or break a page in the application in
// front instead of typing data. Only CR, TAB, BS and ESC have a key of their own.
#pragma once
#include <cstdint>

// The answer for a control byte that types nothing.
inline constexpr std::uint8_t kNoPlainKey = 0;

// The bytes the table answers for: 0x00-0x1F and DEL (0x7F).
constexpr bool IsAsciiControl(std::uint8_t b) { return b < 0x20 || b == 0x7F; }

// The virtual key that types control byte `b` without a modifier, or kNoPlainKey (also for a
// byte outside IsAsciiControl).
std::uint8_t ControlByteKey(std::uint8_t b);
