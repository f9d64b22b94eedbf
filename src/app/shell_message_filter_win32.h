// Messages of the shell that must reach the program's windows when it runs elevated
// (shell_message_filter_win32.cpp).
#pragma once
#include <windows.h>

// ChangeWindowMessageFilterEx of user32 (Windows 7 and later); tests put a recorder in its
// place.
using ChangeMessageFilterFunction = BOOL(WINAPI*)(HWND, UINT, DWORD, PCHANGEFILTERSTRUCT);
extern ChangeMessageFilterFunction ChangeMessageFilter;

// Lets `message` reach `window` from processes of lower integrity, such as the shell of an
// elevated program's desktop. A failure is ignored: the window then only misses the message.
void AllowMessageFromShell(HWND window, UINT message);
