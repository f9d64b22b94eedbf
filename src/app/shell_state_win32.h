// Window handles shared by the Win32 layer: the hidden main window, the main dialog (owner of
// message boxes, home of displays 1026/1027, carrier of timer 521) and the About dialog while
// it is open. All are null when the window does not exist.
#pragma once
#include <windows.h>

extern HWND MainWindow;
extern HWND MainDialogWindow;
extern HWND AboutWindow;
extern HINSTANCE AppInstance;
// The tray's context menu once loaded; while set, SplashAboutProc acts as the About dialog.
extern HMENU TrayMenu;
