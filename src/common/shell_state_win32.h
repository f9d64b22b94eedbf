// Window handles shared by the Win32 layer: the hidden main window, the main dialog (owner of
// message boxes and sub-dialogs, home of the input and output displays IDC_INPUT_DISPLAY and
// IDC_OUTPUT_DISPLAY) and the About dialog while it is open. All are null when the window does
// not exist (MainDialogWindow is cleared when the dialog is destroyed). No timer carries the
// data interval: the reader's bounded port wait decides it.
#pragma once
#include <windows.h>

extern HWND MainWindow;
extern HWND MainDialogWindow;
extern HWND AboutWindow;
extern HINSTANCE AppInstance;
// The tray's context menu while it is open: loaded at each right click on the tray icon and
// released once it has closed, so a click that arrives meanwhile opens no second one.
extern HMENU TrayMenu;

// Posted to MainDialogWindow when a state its caption and tray tip show changes: the device
// went missing or is back (SerialPort::DeviceMissing), the notice of a refused input comes or
// goes (reception_pipeline_win32.h), a log condition begins or ends (log_writer_win32.h).
inline constexpr UINT kPortStateMessage = WM_APP + 13;
