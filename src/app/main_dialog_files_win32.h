// The settings file chooser of the main dialog (main_dialog_files_win32.cpp).
#pragma once

// Settings file chooser: mode 0 open, 1 save. Nonzero when a file was confirmed; it is then
// in CurrentSettingsPath.
int ChooseSettingsFile(int mode);
