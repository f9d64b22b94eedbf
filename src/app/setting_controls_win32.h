// The controls of the settings dialogs and a settings record, row by row of their control
// tables (config/main_dialog_controls.h): setting a control from its field, reading it back.
// The main dialog reads each change into Settings at once; the extended settings dialog reads
// all of them into its copy on OK (setting_controls_win32.cpp).
#pragma once
#include <windows.h>

#include "config/dialog_controls.h"

// Sets the control of row from its field of s: the list's entries and selection, the check,
// the edit's limit and text, the hot key. A port row or a button row is left alone.
void ShowSetting(HWND dialog, const ControlBinding& row, const SettingsRecord& s);
// Reads the control of row into its field of s. A code or key edit is parsed as the notation
// says and its readable form shown in row.display. A number edit is checked against the row's
// range (raised where the row says, and then shown raised); false when its text is refused,
// which leaves the field as it was. A port row or a button row reads nothing.
bool ReadSetting(HWND dialog, const ControlBinding& row, SettingsRecord& s);
// Shows in row.display what the text of a code or key edit means, storing nothing.
void ShowCodeMeaning(HWND dialog, const ControlBinding& row);
