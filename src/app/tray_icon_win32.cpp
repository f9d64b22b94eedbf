// The notification-area icon of MainWindow.
#include "app/tray_icon_win32.h"

#include <windows.h>
#include <shellapi.h>

#include <cstring>
#include <iterator>

#include "common/dpi_win32.h"
#include "common/shell_state_win32.h"
#include "common/wide_text_win32.h"
#include "config/settings.h"

namespace {
// Kept from the add for the later delete and for adding the icon again.
NOTIFYICONDATAW TrayRecord;
bool TrayAdded = false;
TrayImage Image;
}  // namespace

HICON TrayImage::Load(int size) {
  Release();
  icon_ = static_cast<HICON>(LoadImageA(AppInstance, "TORVEX", IMAGE_ICON, size, size, 0));
  return icon_;
}

void TrayImage::Release() {
  if (icon_ != nullptr) DestroyIcon(icon_);
  icon_ = nullptr;
}

void AddTrayIcon() {
  std::memset(&TrayRecord, 0, sizeof TrayRecord);
  // The original record layout (152 bytes on 32-bit) is all the icon needs; the wide record
  // carries the tip whatever the system's ANSI code page.
  TrayRecord.cbSize = NOTIFYICONDATAW_V1_SIZE;
  TrayRecord.hWnd = MainWindow;
  TrayRecord.uID = 0;
  TrayRecord.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  TrayRecord.uCallbackMessage = TRAY_MESSAGE;
  // 32 x 32 at 96 DPI, grown with the system DPI: the shell makes its small icon from it.
  TrayRecord.hIcon = Image.Load(ScaleToDpi(32, SystemDpi()));
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
  Image.Release();
  TrayRecord.hIcon = nullptr;
}

void SetTrayTip(const char* text) {
  Cp932ToWide(text, TrayRecord.szTip, static_cast<int>(std::size(TrayRecord.szTip)));
  if (TrayAdded) Shell_NotifyIconW(NIM_MODIFY, &TrayRecord);
}

