// The DPI a window is drawn at, and sizes made for 96 DPI in pixels scaled to it. The program is
// per-monitor DPI aware (its manifest), so the system scales nothing of it: dialog units follow
// the DPI by themselves, what is sized in pixels is scaled here.
#pragma once
#include <windows.h>

// USER_DEFAULT_SCREEN_DPI: the DPI the pixel sizes of the program are made for.
inline constexpr UINT kDesignDpi = 96;

// The message a dialog posts itself on WM_DPICHANGED, with the new DPI as wparam, so that it
// sizes its pixels anew once the dialog manager has laid it out at that DPI.
inline constexpr UINT kAfterDpiChangeMessage = WM_APP + 14;

// The window's DPI: GetDpiForWindow where user32 has it (Windows 10, version 1607 and later),
// else the screen's (before, a process has one DPI, the system's).
UINT WindowDpi(HWND window);
// The system DPI: that of the taskbar's notification area.
UINT SystemDpi();
// pixels at 96 DPI as pixels at dpi, rounded down, so that scaled parts never outgrow a
// control sized in dialog units.
int ScaleToDpi(int pixels, UINT dpi);
// The answer to WM_DPICHANGED of a dialog that draws pixels: posts kAfterDpiChangeMessage with
// the new DPI (the low word of wparam) and leaves the message itself to the dialog manager,
// which in Per Monitor v2 scales the dialog, its controls and their fonts.
INT_PTR PostAfterDpiChange(HWND dialog, WPARAM wparam);
