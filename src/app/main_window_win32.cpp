// MainWindowProc (tray notifications, the tray menu's commands, the close request from outside),
// the notification-area icon and the message filter that lets the shell's messages through.
#include "app/main_window_win32.h"

#include <windows.h>
#include <shellapi.h>

#include <cstring>
#include <iterator>

#include "app/about_dialog_win32.h"
#include "common/ui_win32.h"
#include "common/wide_text_win32.h"
#include "config/settings.h"
#include "config/settings_location.h"
#include "ids_shell.h"
#include "source/device_request_win32.h"
#include "source/serial_port_win32.h"

namespace {
POINT LastClick{};
// Tries to put the tray icon in (below, with the icon).
void TryTrayIcon();

void ShowMainDialog() {
  if (MainDialogWindow == nullptr) return;
  ShowWindow(MainDialogWindow, SW_SHOWNORMAL);
  SetForegroundWindow(MainDialogWindow);
}

// The message the shell broadcasts when it has made a new notification area (Explorer
// restarted); registered when MainWindow is created.
UINT TaskbarCreated = 0;

// Explorer broadcasts its restart from a lower integrity than an elevated Tamblix, so the
// window lets that one message through its filter.
void ListenForNewShell(HWND window) {
  TaskbarCreated = RegisterWindowMessageA("TaskbarCreated");
  AllowMessageFromShell(window, TaskbarCreated);
}

void ShowTrayMenu(HWND window) {
  // A click that arrives while the menu is open (inside its own loop) opens no second one.
  if (TrayMenu != nullptr) return;
  // The menu is loaded anew at each right click and released once it has closed: the chosen
  // command has been posted to the window by then.
  TrayMenu = LoadMenuA(AppInstance, "NOTIFYICONPOPMENU");
  if (TrayMenu == nullptr) return;
  // The device request is there to send only while receiving with request bytes set.
  const bool requests = ReceptionRunning() && Settings.REQCODE[0] != 0;
  EnableMenuItem(TrayMenu, IDM_REQUEST, MF_BYCOMMAND | (requests ? MF_ENABLED : MF_GRAYED));
  GetCursorPos(&LastClick);
  SetForegroundWindow(window);
  TrackPopupMenu(GetSubMenu(TrayMenu, 0), TPM_RIGHTALIGN | TPM_BOTTOMALIGN, LastClick.x,
                 LastClick.y, 0, window, nullptr);
  // Lets the menu close when the user clicks elsewhere.
  PostMessageA(window, WM_NULL, 0, 0);
  // A close request inside the menu's loop may have released it already.
  if (TrayMenu != nullptr) DestroyMenu(TrayMenu);
  TrayMenu = nullptr;
}

void OnTray(HWND window, LPARAM event) {
  if (AboutWindow != nullptr) return;
  if (event == WM_LBUTTONDBLCLK) {
    ShowMainDialog();
  } else if (event == WM_RBUTTONDOWN) {
    ShowTrayMenu(window);
  }
}

void OnCommand(WORD id) {
  switch (id) {
    case IDM_SHOW:
      ShowMainDialog();
      break;
    case IDM_REQUEST:
      AskDeviceRequest();
      break;
    case IDM_EXIT:
      if (MainDialogWindow != nullptr) SendMessageA(MainDialogWindow, WM_CLOSE, 0, 0);
      break;
    case IDM_ABOUT: {
      const bool visible = MainDialogWindow != nullptr && IsWindowVisible(MainDialogWindow);
      OpenAboutDialog(visible ? MainDialogWindow : MainWindow);
      break;
    }
    default:
      break;
  }
}

void OnCloseRequest(HWND window) {
  ClosePort();  // reception stops first: removing the tray icon can take the shell a while
  UnregisterRequestHotKey(MainWindow);
  RemoveTrayIcon();
  if (TrayMenu != nullptr) DestroyMenu(TrayMenu);
  TrayMenu = nullptr;
  // The main dialog's modal loop would otherwise keep the process alive without its owner of
  // the tray; ending it with 2 lets start-up finish normally.
  if (MainDialogWindow != nullptr) EndDialog(MainDialogWindow, 2);
  DestroyWindow(window);
}
}  // namespace

void OpenAboutDialog(HWND owner) {
  if (ReceptionRunning() || AboutWindow != nullptr) return;
  DialogBoxParamW(AppInstance, L"AboutDlg", owner, &SplashAboutProc, 0);
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      LoadSettings(nullptr);
      ListenForNewShell(window);
      LastClick = POINT{};
      TrayMenu = nullptr;
      AboutWindow = nullptr;
      return 0;
    case WM_DESTROY:
      MainWindow = nullptr;
      PostQuitMessage(0);
      return 0;
    case WM_CLOSE:
      OnCloseRequest(window);
      return 0;
    case TRAY_MESSAGE:
      OnTray(window, lparam);
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wparam));
      return 0;
    case WM_HOTKEY:
      if (wparam == kRequestHotKeyId) AskDeviceRequest();
      return 0;
    case WM_TIMER:
      if (wparam == kTrayRetryTimer) TryTrayIcon();
      return 0;
    default:
      if (message == kRequestNowMessage) {
        AskDeviceRequest();
        return 0;
      }
      if (message == TaskbarCreated && TaskbarCreated != 0) {
        ReAddTrayIcon();
        return 0;
      }
      return DefWindowProcA(window, message, wparam, lparam);
  }
}

bool CreateMainWindow(HINSTANCE instance) {
  WNDCLASSA windowClass{};
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = &MainWindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.lpszClassName = "Tamblix";
  if (RegisterClassA(&windowClass) == 0) return false;
  // MainWindow is set from the return value; WM_CREATE does not need it.
  MainWindow = CreateWindowExA(0, "Tamblix", "", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 2, 2,
                               GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                               nullptr, nullptr, instance, nullptr);
  return MainWindow != nullptr;
}

// ---- the notification-area icon ----
NotifyIconFunction NotifyIcon = &Shell_NotifyIconW;

namespace {
// Kept from the add for the later delete and for adding the icon again.
NOTIFYICONDATAW TrayRecord;
bool TrayAdded = false;  // added and not removed since: the icon is wanted
bool TrayIn = false;     // the shell has taken it
int TrayTriesLeft = 0;
TrayImage Image;

void SetTrayIn(bool in) {
  if (TrayIn == in) return;
  TrayIn = in;
  if (MainDialogWindow != nullptr) PostMessageA(MainDialogWindow, kTrayStateMessage, 0, 0);
}

// One try. Shell_NotifyIcon fails while the shell is starting, and its error code says nothing
// reliable (Microsoft Learn, Shell_NotifyIcon); an add that timed out may have got through,
// which a modify of the icon then finds.
void TryTrayIcon() {
  if (!TrayAdded || TrayIn || TrayTriesLeft <= 0) {
    KillTimer(MainWindow, kTrayRetryTimer);
    return;
  }
  --TrayTriesLeft;
  if (NotifyIcon(NIM_ADD, &TrayRecord) || NotifyIcon(NIM_MODIFY, &TrayRecord)) {
    KillTimer(MainWindow, kTrayRetryTimer);
    SetTrayIn(true);
  } else if (TrayTriesLeft > 0) {
    SetTimer(MainWindow, kTrayRetryTimer, kTrayRetryMs, nullptr);
  }
}
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
  TrayAdded = true;
  TrayIn = false;
  TrayTriesLeft = 1 + kTrayRetries;
  TryTrayIcon();
}

void ReAddTrayIcon() {
  if (!TrayAdded) return;
  SetTrayIn(false);
  TrayTriesLeft = 1 + kTrayRetries;
  TryTrayIcon();
}

void RemoveTrayIcon() {
  KillTimer(MainWindow, kTrayRetryTimer);
  NotifyIcon(NIM_DELETE, &TrayRecord);
  TrayAdded = false;
  TrayIn = false;
  Image.Release();
  TrayRecord.hIcon = nullptr;
}

void SetTrayTip(const char* text) {
  Cp932ToWide(text, TrayRecord.szTip, static_cast<int>(std::size(TrayRecord.szTip)));
  if (TrayIn) NotifyIcon(NIM_MODIFY, &TrayRecord);
}

bool TrayIconIn() { return TrayIn; }

// ---- the message filter ----
ChangeMessageFilterFunction ChangeMessageFilter = &ChangeWindowMessageFilterEx;

// User Interface Privilege Isolation blocks messages above WM_USER, registered ones included,
// that a process of lower integrity sends to an elevated one, unless the window's filter
// allows them (Microsoft Learn: ChangeWindowMessageFilter, ChangeWindowMessageFilterEx).
// Wine has no such filter.
void AllowMessageFromShell(HWND window, UINT message) {
  if (window == nullptr || message == 0) return;
  ChangeMessageFilter(window, message, MSGFLT_ALLOW, nullptr);
}
