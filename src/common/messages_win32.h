// Message boxes and window placement shared by the dialogs and the reader thread
// (messages_win32.cpp).
#pragma once
#include <windows.h>

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
