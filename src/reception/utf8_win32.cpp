// UTF-8 to Shift_JIS with the Windows code-page services: UTF-8 to UTF-16 in a work buffer
// that holds a whole block, then UTF-16 to the thread's ANSI code page.
#include <windows.h>

#include "reception/utf8_conversion.h"

namespace {

// Bytes the first `units` UTF-16 units need in the thread's ANSI code page.
int NeededBytes(const wchar_t* work, int units) {
  return WideCharToMultiByte(CP_THREAD_ACP, 0, work, units, nullptr, 0, nullptr, nullptr);
}

}  // namespace

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

  // A destination too small for the whole text takes as many whole characters as fit.
  const int room = dstCapacity - 1;
  int needed = NeededBytes(work, units);
  while (needed > room && units > 0) {
    --units;
    if (units > 0 && IS_HIGH_SURROGATE(work[units - 1])) --units;
    needed = units > 0 ? NeededBytes(work, units) : 0;
  }
  if (units <= 0 || needed <= 0) return 0;

  int m = WideCharToMultiByte(CP_THREAD_ACP, 0, work, units, reinterpret_cast<char*>(dst), room,
                              nullptr, nullptr);
  if (m < 0 || m > room) m = 0;
  dst[m] = 0;
  return m;
}
