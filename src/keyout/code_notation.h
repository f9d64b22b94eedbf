// The code notation: the text form in which codes and keys are edited ("x1B x24 x42",
// "v11+v43 v0D"), its parser with the display string that shows what a text means, and the
// canonical text written back from stored lists.
#pragma once
#include <cstddef>
#include <cstdint>

#include "keyout/key_item.h"

enum class NotationMode {
  Bytes,  // up to 5 codes, blank-separated, no V tokens
  Keys,   // up to 10 items, blank or "+" separated, V tokens accepted
};

inline constexpr int kNotationDisplaySize = 100;  // 99 characters and the terminator

struct CodeNotation {
  KeyItem items[kMaxKeyItems];  // slot i holds token i, 0 for an error or no token
  char display[kNotationDisplaySize];
};

struct ByteCodes {
  std::uint8_t bytes[kMaxCodeBytes];
  char display[kNotationDisplaySize];
};

// Never fails as a whole: a bad token leaves its slot 0 and shows "Err". In byte mode only
// the first 5 slots can be set.
CodeNotation ParseCodeNotation(const char* text, NotationMode mode);

// Byte mode, with each slot packed into one byte.
ByteCodes ParseByteCodes(const char* text);

// Canonical text of a byte list (reads at most 5 bytes, up to the first 0) or of a key list
// (at most 10 items, up to the first 0). out gets at most size - 1 characters; 100 is always
// enough.
void FormatCodeNotation(const std::uint8_t* bytes, char* out, std::size_t size);
void FormatCodeNotation(const KeyItem* items, char* out, std::size_t size);
