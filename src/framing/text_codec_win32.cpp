// The program's text conversions with the Windows code-page services, code page 932 named, not
// the thread's or the system's: the frames, the log and the Alt codes are Shift_JIS on every
// system, English Windows and the "Use Unicode UTF-8" option included. The UTF-8 conversion of
// received blocks (CONVCODE 1, Utf8ToShiftJis), and the conversion the frame pattern matches
// through (kCp932Codec).
#include <windows.h>

#include <cstring>

#include "common/wide_text_win32.h"
#include "framing/shift_jis_conversion.h"
#include "framing/text_codec.h"

// ---- UTF-8 to Shift_JIS

namespace {

// Code page 932 has no character outside the Basic Multilingual Plane, and the code page
// services give its default character once per UTF-16 unit, so twice for a four-byte UTF-8
// character. Each surrogate pair becomes one U+FFFD, which the code page lacks as well, so such
// a character comes out once, like every other character the code page lacks.
int CollapseSurrogatePairs(wchar_t* work, int units) {
  int out = 0;
  for (int i = 0; i < units; ++i) {
    if (IS_HIGH_SURROGATE(work[i]) && i + 1 < units && IS_LOW_SURROGATE(work[i + 1])) {
      work[out++] = 0xFFFD;
      ++i;
    } else {
      work[out++] = work[i];
    }
  }
  return out;
}

}  // namespace

constexpr UINT kShiftJis = 932;

// UTF-8 to UTF-16 in a work buffer that holds a whole piece of a block, then UTF-16 to code
// page 932.
int Utf8ToShiftJis(const std::uint8_t* src, int srcLength, std::uint8_t* dst, int dstCapacity) {
  if (dst == nullptr || dstCapacity <= 0) return 0;
  dst[0] = 0;
  if (src == nullptr || srcLength <= 0 || dstCapacity == 1) return 0;
  if (srcLength > kUtf8WorkUnits) srcLength = kUtf8WorkUnits;

  // UTF-8 never takes fewer bytes than UTF-16 units, so the work buffer always suffices.
  wchar_t work[kUtf8WorkUnits];
  int units = MultiByteToWideChar(CP_UTF8, 0, reinterpret_cast<const char*>(src), srcLength, work,
                                  kUtf8WorkUnits);
  if (units <= 0) return 0;
  units = CollapseSurrogatePairs(work, units);

  // The program's destination holds two bytes per source byte, more than any text needs; a
  // smaller one that cannot take the whole text gets nothing rather than a cut character.
  const int room = dstCapacity - 1;
  const int needed = WideCharToMultiByte(kShiftJis, 0, work, units, nullptr, 0, nullptr, nullptr);
  if (needed <= 0 || needed > room) return 0;

  int m = WideCharToMultiByte(kShiftJis, 0, work, units, reinterpret_cast<char*>(dst), room,
                              nullptr, nullptr);
  if (m < 0 || m > room) m = 0;
  dst[m] = 0;
  return m;
}

// ---- the frame pattern's conversion

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
