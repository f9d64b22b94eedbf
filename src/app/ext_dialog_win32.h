// The extended settings dialog ExtSettingDlg, "拡張設定" (ext_dialog_win32.cpp): edits the
// request, frame pattern and target window fields of a settings record that the caller hands
// in; the caller stores the result and saves it.
#pragma once
#include <windows.h>

#include "config/settings.h"

// Runs ExtSettingDlg modally, owned by owner, on `settings`. True when the user confirmed with
// OK: `settings` then holds every field of the dialog as entered. False for cancel: `settings`
// is unchanged. A refused OK (a number out of range, a pattern that cannot be used) keeps the
// dialog open with the focus on the refused control.
bool EditExtendedSettings(HWND owner, SettingsRecord& settings);
