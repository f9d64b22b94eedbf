// UTF-8 to Shift_JIS with the Windows code-page services: UTF-8 to UTF-16 in a work buffer
// that holds a whole piece of a block, then UTF-16 to the thread's ANSI code page.
#include <windows.h>

#include "reception/utf8_conversion.h"

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

  // The program's destination holds two bytes per source byte, more than any text needs; a
  // smaller one that cannot take the whole text gets nothing rather than a cut character.
  const int room = dstCapacity - 1;
  const int needed = WideCharToMultiByte(CP_THREAD_ACP, 0, work, units, nullptr, 0, nullptr, nullptr);
  if (needed <= 0 || needed > room) return 0;

  int m = WideCharToMultiByte(CP_THREAD_ACP, 0, work, units, reinterpret_cast<char*>(dst), room,
                              nullptr, nullptr);
  if (m < 0 || m > room) m = 0;
  dst[m] = 0;
  return m;
}
