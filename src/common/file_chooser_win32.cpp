#include "common/file_chooser_win32.h"

#include <commdlg.h>

int RunFileChooser(int mode, HWND owner, const char* filter, const char* defaultExt, char* buffer) {
  OPENFILENAMEA ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter;
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = buffer;
  ofn.nMaxFile = kChooserPathSize;
  ofn.lpstrInitialDir = buffer;
  ofn.lpstrDefExt = defaultExt;
  ofn.Flags = OFN_HIDEREADONLY |
              (mode == 0 ? OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST : OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT);
  return mode == 0 ? GetOpenFileNameA(&ofn) : GetSaveFileNameA(&ofn);
}
