// The notification-area icon of MainWindow.
#include "app/tray_icon_win32.h"

#include <windows.h>
#include <shellapi.h>

#include <cstring>

#include "common/dpi_win32.h"
#include "common/shell_state_win32.h"
#include "config/settings_file.h"

namespace {
// Kept from the add for the later delete and for adding the icon again.
NOTIFYICONDATAA TrayRecord;
bool TrayAdded = false;

// The icon handle of the record belongs to the tray code: it is released when the record no
// longer needs it.
void ReleaseTrayIconImage() {
  if (TrayRecord.hIcon != nullptr) DestroyIcon(TrayRecord.hIcon);
  TrayRecord.hIcon = nullptr;
}
}  // namespace

void AddTrayIcon() {
  ReleaseTrayIconImage();
  std::memset(&TrayRecord, 0, sizeof TrayRecord);
  // The original record layout (88 bytes on 32-bit) is all the icon needs.
  TrayRecord.cbSize = NOTIFYICONDATAA_V1_SIZE;
  TrayRecord.hWnd = MainWindow;
  TrayRecord.uID = 0;
  TrayRecord.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  TrayRecord.uCallbackMessage = TRAY_MESSAGE;
  // 32 x 32 at 96 DPI, grown with the system DPI: the shell makes its small icon from it.
  const int size = ScaleToDpi(32, SystemDpi());
  TrayRecord.hIcon = static_cast<HICON>(LoadImageA(AppInstance, "TORVEX", IMAGE_ICON, size, size, 0));
  std::strncpy(TrayRecord.szTip, kProductVersion, sizeof TrayRecord.szTip - 1);
  Shell_NotifyIconA(NIM_ADD, &TrayRecord);
  TrayAdded = true;
}

void ReAddTrayIcon() {
  if (TrayAdded) Shell_NotifyIconA(NIM_ADD, &TrayRecord);
}

void RemoveTrayIcon() {
  Shell_NotifyIconA(NIM_DELETE, &TrayRecord);
  TrayAdded = false;
  ReleaseTrayIconImage();
}

void SetTrayTip(const char* text) {
  std::strncpy(TrayRecord.szTip, text, sizeof TrayRecord.szTip - 1);
  if (TrayAdded) Shell_NotifyIconA(NIM_MODIFY, &TrayRecord);
}

HICON TrayIconImage() { return TrayRecord.hIcon; }
