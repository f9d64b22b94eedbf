// The main dialog's controls and Settings: filling, storing on change, enabling
// (main_dialog_fill_win32.cpp).
#pragma once
#include <windows.h>

// Loads every control from Settings, then parses each edit once as typing would (readable
// forms, held numbers), and goes idle.
void FillDialog(HWND dialog);
// Enables the settings controls (idle) or disables them (running); "中止" gets the opposite.
void SetSettingsEditable(HWND dialog, bool enable);
// Fills the port list from the registry's serial ports and sets the text from PORT.
void FillPortList(HWND dialog);
// Stores the value of control id into Settings after a notification of the given code.
void HandleSettingControl(HWND dialog, int id, int code);
// Fills both code edits of a preset button; false when id is no preset.
bool ApplyPreset(HWND dialog, int id);
