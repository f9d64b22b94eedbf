// The settings file chooser of the main dialog.
#include "app/main_dialog_files_win32.h"

#include <windows.h>

#include "common/file_chooser_win32.h"
#include "common/shell_state_win32.h"
#include "common/two_byte_text.h"
#include "config/settings_location.h"

int ChooseSettingsFile(int mode) {
  char buffer[kChooserPathSize] = {};
  CopyTextCut(buffer, sizeof buffer, CurrentSettingsPath);
  static const char kFilter[] = "設定ファイル( *.ini )\0*.ini\0";
  if (!RunFileChooser(mode, MainDialogWindow, kFilter, "ini", buffer)) return 0;
  CopyTextCut(CurrentSettingsPath, sizeof CurrentSettingsPath, buffer);
  return 1;
}
