// The main settings dialog MainFormDlg.
#pragma once
#include <windows.h>

INT_PTR CALLBACK MainFormDlgProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
// True while reception runs (the last start opened the port and no stop has come since).
bool ReceptionRunning();
