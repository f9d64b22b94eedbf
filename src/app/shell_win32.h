// Shell routines shared by the dialogs and the reader thread.
#pragma once
#include <windows.h>

inline constexpr UINT TRAY_MESSAGE = 100;

// Log writer notices: box owned by MainDialogWindow, "Tamblix( TM )", OK only, no icon.
void ShowNotice(const char* text);
// Port-open error box (-101/-102, -103, -104 settings refused), owned by owner, "Tamblix",
// warning icon, topmost.
void ShowPortError(int code, HWND owner);
// The text of that box for code; nullptr when the code has no message.
const char* PortErrorText(int code);
// "Tamblix" box with the warning icon, topmost, owned by owner (the main dialog's messages).
void ShowWarning(HWND owner, const char* text);
// Centres the window on the desktop, brings it to the top and shows it.
void CenterOnDesktop(HWND window);
// Loads the icon (32 x 32 "TORVEX") and adds it to the notification area for MainWindow.
void AddTrayIcon();
// Adds the icon again with the kept record, when it was added and not removed since: the
// shell's new notification area ("TaskbarCreated") has forgotten it.
void ReAddTrayIcon();
// Deletes the icon and releases its image.
void RemoveTrayIcon();
// Changes the tray icon's tip (kept for the icon's next add).
void SetTrayTip(const char* text);
// The image of the kept record; none before the first add and after a removal.
HICON TrayIconImage();
// Runs the About dialog if allowed (not while reception runs or while it is already open).
void OpenAboutDialog(HWND owner);
