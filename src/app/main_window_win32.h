// The hidden top-level window MainWindow: it owns the splash dialog and the notification-area
// icon, answers the tray menu and the shell's messages (main_window_win32.cpp).
#pragma once
#include <windows.h>
#include <shellapi.h>

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
// Registers class "Tamblix" and creates the hidden MainWindow; false when either fails.
bool CreateMainWindow(HINSTANCE instance);
// Runs the About dialog if allowed (not while reception runs or while it is already open).
void OpenAboutDialog(HWND owner);

// ---- the notification-area icon ----
// The message the icon sends to MainWindow.
inline constexpr UINT TRAY_MESSAGE = 100;

// Loads the icon (32 x 32 "TORVEX") and adds it to the notification area for MainWindow. A
// shell that is still starting (a program started with Windows) often refuses the add: it is
// then tried again every kTrayRetryMs on a timer of MainWindow, at most kTrayRetries times.
void AddTrayIcon();
// Adds the icon again with the kept record, when it was added and not removed since: the
// shell's new notification area ("TaskbarCreated") has forgotten it. Retried as the first add.
void ReAddTrayIcon();
// Deletes the icon and releases its image; no add is tried any more.
void RemoveTrayIcon();
// Changes the tray icon's tip (kept for the icon's next add).
void SetTrayTip(const char* text);
// The shell holds the icon: only then may the main dialog hide (it is the only way back).
bool TrayIconIn();

inline constexpr UINT_PTR kTrayRetryTimer = 523;
inline constexpr UINT kTrayRetryMs = 2000;
inline constexpr int kTrayRetries = 60;  // two minutes
// Posted to MainDialogWindow when the shell has taken the icon or lost it (TrayIconIn).
inline constexpr UINT kTrayStateMessage = WM_APP + 41;

// Shell_NotifyIconW of shell32; tests put a shell that refuses in its place.
using NotifyIconFunction = BOOL(WINAPI*)(DWORD, PNOTIFYICONDATAW);
extern NotifyIconFunction NotifyIcon;

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

// ---- messages of the shell that must reach the window when the program runs elevated ----
// ChangeWindowMessageFilterEx of user32 (Windows 7 and later); tests put a recorder in its
// place.
using ChangeMessageFilterFunction = BOOL(WINAPI*)(HWND, UINT, DWORD, PCHANGEFILTERSTRUCT);
extern ChangeMessageFilterFunction ChangeMessageFilter;

// Lets `message` reach `window` from processes of lower integrity, such as the shell of an
// elevated program's desktop. A failure is ignored: the window then only misses the message.
void AllowMessageFromShell(HWND window, UINT message);
