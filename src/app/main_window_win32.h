// The hidden top-level window that owns the tray icon and the splash dialog
// (main_window_win32.cpp).
#pragma once
#include <windows.h>

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
// Registers class "Tamblix" and creates the hidden MainWindow; false when either fails.
bool CreateMainWindow(HINSTANCE instance);
// Runs the About dialog if allowed (not while reception runs or while it is already open).
void OpenAboutDialog(HWND owner);
