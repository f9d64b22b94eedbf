// The notification-area icon of MainWindow (tray_icon_win32.cpp).
#pragma once
#include <windows.h>

// The message the icon sends to MainWindow.
inline constexpr UINT TRAY_MESSAGE = 100;

// Loads the icon (32 x 32 "TORVEX") and adds it to the notification area for MainWindow.
void AddTrayIcon();
// Adds the icon again with the kept record, when it was added and not removed since: the
// shell's new notification area ("TaskbarCreated") has forgotten it.
void ReAddTrayIcon();
// Deletes the icon and releases its image.
void RemoveTrayIcon();
// Changes the tray icon's tip (kept for the icon's next add).
void SetTrayTip(const char* text);

// The icon image the tray record holds, which belongs to the tray code: loading another releases
// the one held, and so does Release (the icon removed).
class TrayImage {
 public:
  // Releases the held image and loads "TORVEX" at size x size pixels; nullptr when it fails.
  HICON Load(int size);
  void Release();

 private:
  HICON icon_ = nullptr;
};
