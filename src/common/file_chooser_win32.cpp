#include "common/file_chooser_win32.h"

#include <commdlg.h>

#include <cstring>

#include "common/wide_text_win32.h"

namespace {

// The filter's description/pattern strings in UTF-16, the double terminator kept; a filter too
// long for `out` keeps its whole pairs that fit.
void WidenFilter(const char* filter, wchar_t* out, int capacity) {
  int used = 0;
  for (const char* part = filter; *part != '\0'; part += std::strlen(part) + 1) {
    const int n = Cp932ToWide(part, out + used, capacity - used - 1);
    if (n == 0 || used + n + 2 > capacity) break;
    used += n + 1;
  }
  out[used] = L'\0';
  if (used + 1 < capacity) out[used + 1] = L'\0';
}

}  // namespace

// The dialog's texts (filter descriptions) are code page 932 and go through the wide dialog;
// the path is kept in the ANSI code page, which the program's file calls take.
int RunFileChooser(int mode, HWND owner, const char* filter, const char* defaultExt, char* buffer) {
  wchar_t wideFilter[256];
  WidenFilter(filter, wideFilter, 256);
  wchar_t wideExt[16] = {};
  if (defaultExt != nullptr) MultiByteToWideChar(CP_ACP, 0, defaultExt, -1, wideExt, 16);
  wchar_t path[kChooserPathSize] = {};
  MultiByteToWideChar(CP_ACP, 0, buffer, -1, path, static_cast<int>(kChooserPathSize));
  OPENFILENAMEW ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = wideFilter;
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = path;
  ofn.nMaxFile = kChooserPathSize;
  ofn.lpstrInitialDir = path;
  ofn.lpstrDefExt = defaultExt != nullptr ? wideExt : nullptr;
  ofn.Flags = OFN_HIDEREADONLY |
              (mode == 0 ? OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST : OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT);
  const BOOL chosen = mode == 0 ? GetOpenFileNameW(&ofn) : GetSaveFileNameW(&ofn);
  if (!chosen) return 0;
  // A path the ANSI code page cannot hold could not be opened by the file calls either.
  // (UTF-8 as the ANSI code page holds every path and takes no default-character flag.)
  BOOL lost = FALSE;
  const int n = WideCharToMultiByte(CP_ACP, 0, path, -1, buffer, static_cast<int>(kChooserPathSize),
                                    nullptr, GetACP() == CP_UTF8 ? nullptr : &lost);
  if (n <= 0 || lost) {
    buffer[0] = '\0';
    return 0;
  }
  return 1;
}
