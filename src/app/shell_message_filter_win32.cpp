#include "app/shell_message_filter_win32.h"

ChangeMessageFilterFunction ChangeMessageFilter = &ChangeWindowMessageFilterEx;

// User Interface Privilege Isolation blocks messages above WM_USER, registered ones included,
// that a process of lower integrity sends to an elevated one, unless the window's filter
// allows them (Microsoft Learn: ChangeWindowMessageFilter, ChangeWindowMessageFilterEx).
// Wine has no such filter.
void AllowMessageFromShell(HWND window, UINT message) {
  if (window == nullptr || message == 0) return;
  ChangeMessageFilter(window, message, MSGFLT_ALLOW, nullptr);
}
