// The bytes of a UTF-8 character that a read ended inside of. A device sends its characters
// whole, but the reader takes whatever has arrived, so a read may end after the first one,
// two or three bytes of a character; those bytes wait here and are converted together with
// the rest of the character from the next read. Portable; nothing here allocates.
#pragma once
#include <cstdint>

// The longest incomplete sequence: three bytes of a four-byte character.
inline constexpr int kUtf8CarryBytes = 3;

struct Utf8Carry {
  std::uint8_t Bytes[kUtf8CarryBytes] = {};
  std::int32_t Count = 0;  // 0..kUtf8CarryBytes
};

// Length of the part of bytes[0, n) that ends with no incomplete character: n, or the index
// of the lead byte of a trailing sequence that more continuation bytes could still complete
// (at most kUtf8CarryBytes bytes before n). Bytes that no continuation can make valid (stray
// continuation bytes, C0, C1, F5-FF, a second byte out of its lead's range) are never held back:
// the conversion turns them into replacement characters as it does with all invalid input.
int Utf8CompleteLength(const std::uint8_t* bytes, int n);
