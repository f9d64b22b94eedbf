// The file choosers of the main dialog (settings files) and of the log settings dialog.
#include <windows.h>
#include <commdlg.h>

#include <cstring>

#include "app/shell_state_win32.h"
#include "config/main_dialog_win32.h"
#include "config/settings_location.h"
#include "datalog/log_dialog_text.h"
#include "keyout/two_byte_text.h"

namespace {

constexpr std::size_t kChooserPathSize = 1024;  // room for 1023 characters

int RunChooser(int mode, HWND owner, const char* filter, const char* defaultExt, char* buffer) {
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

}  // namespace

int ChooseSettingsFile(int mode) {
  char buffer[kChooserPathSize] = {};
  CopyTextCut(buffer, sizeof buffer, CurrentSettingsPath);
  static const char kFilter[] = "設定ファイル( *.ini )\0*.ini\0";
  if (!RunChooser(mode, MainDialogWindow, kFilter, "ini", buffer)) return 0;
  CopyTextCut(CurrentSettingsPath, sizeof CurrentSettingsPath, buffer);
  return 1;
}

int ChooseFile(int mode, char* path, std::size_t size, const char* filter) {
  char buffer[kChooserPathSize] = {};
  ChooserStartPath(path, buffer, sizeof buffer);
  // The default extension is that of the first pattern ("*.log" gives "log").
  const char* pattern = filter + std::strlen(filter) + 1;
  const char* dot = std::strrchr(pattern, '.');
  const char* ext = dot ? dot + 1 : nullptr;
  if (!RunChooser(mode, GetActiveWindow(), filter, ext, buffer)) return 0;
  CopyTextCut(path, size, buffer);
  return 1;
}
