// One element of a key list: bits 0-7 the code, KEYITEM_VKEY marks a virtual-key code (else a
// character byte), KEYITEM_HOLD marks a key held down together with the next item. 0 is an
// empty slot and ends a list.
#pragma once
#include <cstdint>

using KeyItem = std::uint16_t;

inline constexpr KeyItem KEYITEM_VKEY = 0x100;
inline constexpr KeyItem KEYITEM_HOLD = 0x200;

inline constexpr int kMaxKeyItems = 10;  // items of a key list (PRECODE, POSTCODE)
inline constexpr int kMaxCodeBytes = 5;  // bytes of a byte list (RCVSTA, KANJIIN, ...)
inline constexpr int kMaxRequestBytes = 20;  // bytes of the request sent to the device (REQCODE)
