// The log settings dialog LogSettingDlg: edits the log fields of Settings and, on OK, saves the
// settings file (log_dialog_win32.cpp).
#pragma once
#include <windows.h>

#include <cstddef>

enum class LogControlsMode { AllOff, RecordingOff, RecordingOn };

// Runs LogSettingDlg modally, owned by owner.
void OpenLogSettingDialog(HWND owner);
INT_PTR CALLBACK LogDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
// Loads every control from Settings.
void FillLogDialog(HWND dialog);
// All off: every button and setting disabled. Recording off: OK, cancel and the two recording
// buttons enabled, the other settings disabled. Recording on: all enabled. The read-only folder
// box and the labels are never changed.
void EnableLogControls(HWND dialog, LogControlsMode mode);
// Stores the controls into Settings; 0, or the id of the refused box (IDC_LOG_FOLDER or
// IDC_LOG_FILE).
int ReadLogDialog(HWND dialog);
// The shell's folder browser, starting at `path` (size bytes); 1 and the chosen folder (one
// trailing backslash dropped) in `path`, or 0 with `path` unchanged.
int BrowseFolder(char* path, std::size_t size);
