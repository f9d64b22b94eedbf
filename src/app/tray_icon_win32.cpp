// The notification-area icon of MainWindow.
#include "app/tray_icon_win32.h"

#include <windows.h>
#include <shellapi.h>

#include <cstring>
#include <iterator>

#include "common/dpi_win32.h"
#include "common/shell_state_win32.h"
#include "common/wide_text_win32.h"
#include "config/settings_file.h"

namespace {
// Kept from the add for the later delete and for adding the icon again.
NOTIFYICONDATAW TrayRecord;
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
  // The original record layout (152 bytes on 32-bit) is all the icon needs; the wide record
  // carries the tip whatever the system's ANSI code page.
  TrayRecord.cbSize = NOTIFYICONDATAW_V1_SIZE;
  TrayRecord.hWnd = MainWindow;
  TrayRecord.uID = 0;
  TrayRecord.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  TrayRecord.uCallbackMessage = TRAY_MESSAGE;
  // 32 x 32 at 96 DPI, grown with the system DPI: the shell makes its small icon from it.
  const int size = ScaleToDpi(32, SystemDpi());
  TrayRecord.hIcon = static_cast<HICON>(LoadImageA(AppInstance, "TORVEX", IMAGE_ICON, size, size, 0));
  Cp932ToWide(kProductVersion, TrayRecord.szTip, static_cast<int>(std::size(TrayRecord.szTip)));
  Shell_NotifyIconW(NIM_ADD, &TrayRecord);
  TrayAdded = true;
}

void ReAddTrayIcon() {
  if (TrayAdded) Shell_NotifyIconW(NIM_ADD, &TrayRecord);
}

void RemoveTrayIcon() {
  Shell_NotifyIconW(NIM_DELETE, &TrayRecord);
  TrayAdded = false;
  ReleaseTrayIconImage();
}

void SetTrayTip(const char* text) {
  Cp932ToWide(text, TrayRecord.szTip, static_cast<int>(std::size(TrayRecord.szTip)));
  if (TrayAdded) Shell_NotifyIconW(NIM_MODIFY, &TrayRecord);
}

HICON TrayIconImage() { return TrayRecord.hIcon; }
