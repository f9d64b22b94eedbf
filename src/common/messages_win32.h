// Message boxes and window placement shared by the dialogs (messages_win32.cpp). Every box is
// shown by the GUI thread; the reader thread posts what it has to say.
#pragma once
#include <windows.h>

// Log writer notices: box owned by MainDialogWindow, "Tamblix( TM )", OK only, no icon.
// Returns when it is closed.
void ShowNotice(const char* text);
// Closes the notice boxes this thread shows (the program is ending: the main dialog's modal
// loop cannot end while a box's own loop runs above it).
void CloseNoticeBoxes();
// Port-open error box (-101/-102, -103, -104 settings refused, -105 a request of the last
// reception still held by the port's driver), owned by owner, "Tamblix", warning icon, topmost.
void ShowPortError(int code, HWND owner);
// The text of that box for code; nullptr when the code has no message.
const char* PortErrorText(int code);
// "Tamblix" box with the warning icon, topmost, owned by owner (the main dialog's messages).
void ShowWarning(HWND owner, const char* text);
// Centres the window on the desktop, brings it to the top and shows it.
void CenterOnDesktop(HWND window);
