// The log settings dialog LogSettingDlg (log_dialog_win32.cpp): edits the log fields of a
// settings record that the caller hands in; the caller stores the result and saves it.
#pragma once
#include <windows.h>

#include "config/settings.h"

// Runs LogSettingDlg modally, owned by owner, on `settings`, whose log fields fill the dialog.
// True when the user confirmed with OK: `settings` then holds every log field as entered.
// False for cancel: a refused OK before it has stored "キー送信しない" (LOGNOSEND) into
// `settings`, and it stays there; nothing else is changed.
bool EditLogSettings(HWND owner, SettingsRecord& settings);
