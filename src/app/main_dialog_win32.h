// The main settings dialog MainFormDlg: its procedure, its controls filled from Settings and
// stored back on change, and its settings file chooser (main_dialog_win32.cpp).
#pragma once
#include <windows.h>

INT_PTR CALLBACK MainFormDlgProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

// -1 pending (at process start), -2 start posted, 1 done: the automatic start happens once.
extern signed char AutoStartState;
// PORT when the dialog was initialised.
extern BYTE InitialPort;

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

// Settings file chooser: mode 0 open, 1 save. Nonzero when a file was confirmed; it is then
// in CurrentSettingsPath.
int ChooseSettingsFile(int mode);
