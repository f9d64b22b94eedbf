// Code page 932 text as the whole program walks it: a byte in 0x80-0x9F or 0xE0-0xFF starts a
// two-byte character, and the byte after it belongs to that character, whatever its value (the
// second byte of 表 and ソ is 0x5C, the byte of a backslash). Texts are cut, and trailing
// backslashes dropped, only at character boundaries.
//
// Where bytes are turned into characters (typed, converted to UTF-16), the narrower rule of a
// real Shift_JIS character applies: a lead byte 0x81-0x9F or 0xE0-0xFC (the lead bytes code
// page 932 names) and a trail byte 0x40-0x7E or 0x80-0xFC.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

// The first byte of a character that occupies two bytes.
constexpr bool IsTwoByteClass(std::uint8_t b) { return (b >= 0x80 && b <= 0x9F) || b >= 0xE0; }
// A first byte that can start a real Shift_JIS character.
constexpr bool IsLeadByte(std::uint8_t b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
// A byte that can end a Shift_JIS character.
constexpr bool IsTrailByte(std::uint8_t b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }

// Length of the character that starts at text[i]: 2 for a two-byte character whose second byte
// is there, else 1.
inline std::size_t CharLength(const char* text, std::size_t i) {
  return IsTwoByteClass(static_cast<std::uint8_t>(text[i])) && text[i + 1] != 0 ? 2 : 1;
}

// The length of the longest start of `text` that has at most `room` bytes and ends at a
// character boundary.
inline std::size_t CutLength(const char* text, std::size_t room) {
  std::size_t n = 0;
  while (text[n] != 0) {
    const std::size_t next = n + CharLength(text, n);
    if (next > room) break;
    n = next;
  }
  return n;
}

// Copies as much of `text` as fits into `out` (`size` bytes with the terminator), never half a
// two-byte character. Does nothing when size is 0.
inline void CopyTextCut(char* out, std::size_t size, const char* text) {
  if (size == 0) return;
  const std::size_t n = CutLength(text, size - 1);
  std::memmove(out, text, n);
  out[n] = 0;
}

// Appends as much of `text` as fits at out[pos] (`size` bytes with the terminator, pos < size),
// never half a two-byte character; returns the new end.
inline std::size_t AppendCut(char* out, std::size_t size, std::size_t pos, const char* text) {
  CopyTextCut(out + pos, size - pos, text);
  return pos + std::strlen(out + pos);
}

// True when the last character of `text` is a backslash.
inline bool EndsWithBackslash(const char* text) {
  bool last = false;
  for (std::size_t i = 0; text[i] != 0; i += CharLength(text, i)) last = text[i] == '\\';
  return last;
}

// Removes one trailing backslash, if there is one.
inline void DropTrailingBackslash(char* text) {
  if (EndsWithBackslash(text)) text[std::strlen(text) - 1] = 0;
}
