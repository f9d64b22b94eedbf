// Code page 932 text as the whole program walks it: a byte in 0x80-0x9F or 0xE0-0xFF starts a
// two-byte character, and the byte after it belongs to that character, whatever its value (the
// second byte of 表 and ソ is 0x5C, the byte of a backslash). Texts are cut, and trailing
// backslashes dropped, only at character boundaries.
#pragma once
#include <cstddef>
#include <cstdint>

// The first byte of a character that occupies two bytes.
constexpr bool IsTwoByteClass(std::uint8_t b) { return (b >= 0x80 && b <= 0x9F) || b >= 0xE0; }

// Length of the character that starts at text[i]: 2 for a two-byte character whose second byte
// is there, else 1.
inline std::size_t CharLength(const char* text, std::size_t i) {
  return IsTwoByteClass(static_cast<std::uint8_t>(text[i])) && text[i + 1] != 0 ? 2 : 1;
}

// The length of the longest start of `text` that has at most `room` bytes and ends at a
// character boundary.
std::size_t CutLength(const char* text, std::size_t room);
// Copies as much of `text` as fits into `out` (`size` bytes with the terminator), never half a
// two-byte character. Does nothing when size is 0.
void CopyTextCut(char* out, std::size_t size, const char* text);
// True when the last character of `text` is a backslash.
bool EndsWithBackslash(const char* text);
// Removes one trailing backslash, if there is one.
void DropTrailingBackslash(char* text);
