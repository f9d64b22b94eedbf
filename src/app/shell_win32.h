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
void AddTrayIcon();
void RemoveTrayIcon();
// Changes the tray icon's tip (kept for the icon's next add).
void SetTrayTip(const char* text);
// Runs the About dialog if allowed (not while reception runs or while it is already open).
void OpenAboutDialog(HWND owner);
