// The code page 932 stand-in the shaping fuzz targets share: bytes become units one for one;
// units become bytes by the target's own rule (`narrow`), so each target keeps the counts it
// checks.
#pragma once
#include <cstdint>

#include "framing/text_codec.h"

inline int StandInToUtf16(const char* text, char16_t* out, int capacity) {
  int n = 0;
  while (text[n] != 0 && n < capacity - 1) {
    out[n] = static_cast<std::uint8_t>(text[n]);
    ++n;
  }
  out[n] = 0;
  return n;
}

inline int StandInToCp932(const char16_t* text, char* out, int size, char (*narrow)(char16_t)) {
  int n = 0;
  while (text[n] != 0 && n < size - 1) {
    out[n] = narrow(text[n]);
    ++n;
  }
  out[n] = 0;
  return n;
}
