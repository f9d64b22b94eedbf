// The echo of received bytes from the reader thread to the main dialog's input code display:
// posted once per block through a fixed ring of slots (echo_ring.h), so reception never waits
// for the dialog's thread.
#pragma once
#include <windows.h>

// Posted to MainDialogWindow with the index of a filled slot in wparam.
inline constexpr UINT kEchoMessage = WM_APP + 22;

// Reader thread: hands the text on to the main dialog; dropped when the dialog is more than
// kEchoSlots blocks behind.
void PostEcho(const char* text, int length);
// GUI thread, on kEchoMessage: appends the slot's text to the input code display (after a
// blank when the display holds text) and gives the slot back.
void AppendPostedEcho(HWND display, WPARAM slot);
