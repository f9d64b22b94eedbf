#include "keyout/two_byte_text.h"

#include <cstring>

std::size_t CutLength(const char* text, std::size_t room) {
  std::size_t n = 0;
  while (text[n] != 0) {
    const std::size_t next = n + CharLength(text, n);
    if (next > room) break;
    n = next;
  }
  return n;
}

void CopyTextCut(char* out, std::size_t size, const char* text) {
  if (size == 0) return;
  const std::size_t n = CutLength(text, size - 1);
  std::memmove(out, text, n);
  out[n] = 0;
}

bool EndsWithBackslash(const char* text) {
  bool last = false;
  for (std::size_t i = 0; text[i] != 0; i += CharLength(text, i)) last = text[i] == '\\';
  return last;
}

void DropTrailingBackslash(char* text) {
  if (EndsWithBackslash(text)) text[std::strlen(text) - 1] = 0;
}
