#include "keyout/code_insertion.h"

#include <cstdio>

namespace {

int Clamp(int position, int length) {
  if (position < 0) return 0;
  return position > length ? length : position;
}

}  // namespace

void BuildCodeInsertion(const char* text, int length, int selStart, int selEnd,
                        const char* token, char* out, std::size_t size) {
  if (size == 0) return;
  if (length < 0) length = 0;
  const int start = Clamp(selStart, length);
  const int end = Clamp(selEnd, length);
  const bool blankBefore = start > 0 && text[start - 1] != ' ';
  const bool blankAfter = end < length && text[end] != ' ';
  std::snprintf(out, size, "%s%s%s", blankBefore ? " " : "", token, blankAfter ? " " : "");
}
