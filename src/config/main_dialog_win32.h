// The main settings dialog MainFormDlg.
#pragma once
#include <windows.h>

#include <cstddef>

INT_PTR CALLBACK MainFormDlgProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
// True while reception runs (the last start opened the port and no stop has come since).
bool ReceptionRunning();

// -1 pending (at process start), -2 start posted, 1 done: the automatic start happens once.
extern signed char AutoStartState;
// PORT when the dialog was initialised.
extern BYTE InitialPort;

// Loads every control from Settings (each set text runs its change handler) and goes idle.
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
// General file chooser owned by the active window: mode 0 open, 1 save; filter is a list of
// description/pattern pairs ending with an empty string. path (size bytes) is the starting
// point and receives the choice; nonzero when a file was confirmed.
int ChooseFile(int mode, char* path, std::size_t size, const char* filter);
