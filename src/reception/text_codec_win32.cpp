#include "reception/text_codec_win32.h"

#include <cstring>

#include "common/wide_text_win32.h"

namespace {

// UTF-16 units are wchar_t on Windows.
static_assert(sizeof(wchar_t) == sizeof(char16_t), "wchar_t holds UTF-16 units");

int ToUtf16(const char* text, char16_t* out, int capacity) {
  return Cp932ToWide(text, reinterpret_cast<wchar_t*>(out), capacity);
}

int ToCp932(const char16_t* text, char* out, int size) {
  if (size <= 0) return 0;
  WideToCp932(reinterpret_cast<const wchar_t*>(text), out, size);
  return static_cast<int>(std::strlen(out));
}

}  // namespace

const TextCodec kCp932Codec = {ToUtf16, ToCp932};
