// The main settings dialog MainFormDlg (main_dialog_win32.cpp).
#pragma once
#include <windows.h>

INT_PTR CALLBACK MainFormDlgProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
// True while reception runs (the last start opened the port and no stop has come since).
bool ReceptionRunning();

// -1 pending (at process start), -2 start posted, 1 done: the automatic start happens once.
extern signed char AutoStartState;
// PORT when the dialog was initialised.
extern BYTE InitialPort;
