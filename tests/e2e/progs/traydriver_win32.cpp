// Drives a running Tamblix from outside, as the tray and the window manager would: finds the
// hidden "Tamblix" window and its dialogs, posts tray notifications and commands to it, and
// reports which windows are shown.
//
//   traydriver state             prints "main=<none|hidden|shown|minimized> about=0|1 splash=0|1
//                                window=0|1 tray=0|1"
//   traydriver post MSG WP LP    posts message MSG (decimal) to MainWindow; prints
//                                "posted <ms since 1970>" (the probe's clock)
//   traydriver minimize          minimises the main dialog as its minimise box does
//   traydriver about-ok          presses OK in the About dialog
//   traydriver about-esc         sends the Esc key's cancel command to the About dialog
//   traydriver hwnd              prints MainWindow's handle (decimal)
//   traydriver tray HWND         exit 0 when the tray still holds an icon of window HWND
//   traydriver menu              exit 0 when a pop-up menu is shown
//   traydriver delete-icon       deletes MainWindow's tray icon (id 0) as a restarting shell
//                                loses it; exit 0 when the tray had it
//   traydriver taskbar-created   broadcasts "TaskbarCreated", as a new shell does
//   traydriver caps              presses and releases Caps Lock, as the user does
//   traydriver hotkey HEX [MS]   presses the hot key of a hot-key control's value (virtual key in
//                                the low byte, HOTKEYF_* in the high byte) as the user does;
//                                prints "pressed <ms since 1970>"; with MS the modifiers stay
//                                down MS ms after the key's release (a user slow to let go),
//                                then "released <ms since 1970>"
//   traydriver hold HEX MS       holds the key of virtual-key code HEX down for MS ms (a user's
//                                finger on Ctrl), then releases it; prints "held <ms since 1970>"
//                                and "released <ms since 1970>"
//   traydriver clipset TEXT      puts the ASCII TEXT on the clipboard as Unicode text (the user's
//                                copy); prints "clipset 1" or "clipset 0"
//   traydriver clipget           prints "clip <text>" of the clipboard's Unicode text (ASCII),
//                                "clip-none" when it holds none
//   traydriver caption           prints "caption <text>" of the main dialog in UTF-8, read as
//                                UTF-16, whatever either program's ANSI code page
// Exit status 0 on success, 1 when MainWindow is not found, 2 on a usage error.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "driver_support_win32.h"

namespace {
struct Found {
  HWND mainDialog = nullptr;
  HWND about = nullptr;
  HWND splash = nullptr;
};

BOOL CALLBACK CollectDialog(HWND window, LPARAM data) {
  auto* found = reinterpret_cast<Found*>(data);
  char className[64] = {};
  char title[128] = {};
  GetClassNameA(window, className, sizeof className);
  if (std::strcmp(className, "#32770") != 0) return TRUE;
  GetWindowTextA(window, title, sizeof title);
  if (std::strncmp(title, "Tamblix( TM ) Ver.", 18) == 0) {
    found->mainDialog = window;
  } else if (std::strcmp(title, "About") == 0) {
    found->about = window;
  } else if (title[0] == '\0' && IsWindowVisible(window) &&
             GetDlgItem(window, 1058) != nullptr) {
    found->splash = window;
  }
  return TRUE;
}

Found FindDialogs(HWND mainWindow) {
  Found found;
  DWORD thread = GetWindowThreadProcessId(mainWindow, nullptr);
  EnumThreadWindows(thread, &CollectDialog, reinterpret_cast<LPARAM>(&found));
  return found;
}

// The tray icon (owner MainWindow, id 0) exists when the tray accepts a modification of it.
bool TrayIconExists(HWND mainWindow) {
  NOTIFYICONDATAA record{};
  record.cbSize = NOTIFYICONDATAA_V1_SIZE;
  record.hWnd = mainWindow;
  record.uID = 0;
  record.uFlags = NIF_TIP;
  std::strcpy(record.szTip, "Tamblix( TM ) Ver.2.5.2");
  return Shell_NotifyIconA(NIM_MODIFY, &record) != FALSE;
}

const char* MainState(HWND dialog) {
  if (dialog == nullptr) return "none";
  // A dialog hidden on minimising stays iconic, so visibility is asked first.
  if (!IsWindowVisible(dialog)) return "hidden";
  return IsIconic(dialog) ? "minimized" : "shown";
}

int PrintState(HWND mainWindow) {
  if (mainWindow == nullptr) {
    std::printf("main=none about=0 splash=0 window=0 tray=0\n");
    return 1;
  }
  Found found = FindDialogs(mainWindow);
  std::printf("main=%s about=%d splash=%d window=1 tray=%d\n", MainState(found.mainDialog),
              found.about != nullptr, found.splash != nullptr, TrayIconExists(mainWindow));
  return 0;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  HWND mainWindow = FindWindowA("Tamblix", nullptr);
  const char* command = argv[1];
  if (std::strcmp(command, "state") == 0) return PrintState(mainWindow);
  if (std::strcmp(command, "tray") == 0 && argc == 3) {
    HWND owner = reinterpret_cast<HWND>(static_cast<INT_PTR>(std::strtoll(argv[2], nullptr, 10)));
    return TrayIconExists(owner) ? 0 : 1;
  }
  if (std::strcmp(command, "taskbar-created") == 0) {
    const UINT message = RegisterWindowMessageA("TaskbarCreated");
    return message != 0 && PostMessageA(HWND_BROADCAST, message, 0, 0) ? 0 : 1;
  }
  if (std::strcmp(command, "caps") == 0) {
    INPUT keys[2] = {};
    keys[0].type = keys[1].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = keys[1].ki.wVk = VK_CAPITAL;
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    return SendInput(2, keys, sizeof(INPUT)) == 2 ? 0 : 1;
  }
  if (std::strcmp(command, "hotkey") == 0 && (argc == 3 || argc == 4)) {
    const unsigned value = static_cast<unsigned>(std::strtoul(argv[2], nullptr, 16));
    const BYTE flags = static_cast<BYTE>(value >> 8);
    BYTE order[4] = {};
    int n = 0;
    if (flags & HOTKEYF_CONTROL) order[n++] = VK_CONTROL;
    if (flags & HOTKEYF_SHIFT) order[n++] = VK_SHIFT;
    if (flags & HOTKEYF_ALT) order[n++] = VK_MENU;
    order[n++] = static_cast<BYTE>(value & 0xFF);
    INPUT keys[8] = {};
    for (int i = 0; i < n; ++i) {  // down in order, up in reverse
      keys[i].type = keys[2 * n - 1 - i].type = INPUT_KEYBOARD;
      keys[i].ki.wVk = keys[2 * n - 1 - i].ki.wVk = order[i];
      keys[2 * n - 1 - i].ki.dwFlags = KEYEVENTF_KEYUP;
    }
    // Held: the modifiers' releases (the first n - 1 of the ups) come after the pause.
    const UINT first = argc == 4 ? static_cast<UINT>(n + 1) : static_cast<UINT>(2 * n);
    std::printf("pressed %llu\n", WallClockMs());
    std::fflush(stdout);
    if (SendInput(first, keys, sizeof(INPUT)) != first) return 1;
    if (argc == 3) return 0;
    Sleep(static_cast<DWORD>(std::atoi(argv[3])));
    std::printf("released %llu\n", WallClockMs());
    const UINT rest = static_cast<UINT>(2 * n) - first;
    return SendInput(rest, keys + first, sizeof(INPUT)) == rest ? 0 : 1;
  }
  if (std::strcmp(command, "hold") == 0 && argc == 4) {
    INPUT key{};
    key.type = INPUT_KEYBOARD;
    key.ki.wVk = static_cast<WORD>(std::strtoul(argv[2], nullptr, 16));
    if (SendInput(1, &key, sizeof(INPUT)) != 1) return 1;
    std::printf("held %llu\n", WallClockMs());
    std::fflush(stdout);
    Sleep(static_cast<DWORD>(std::atoi(argv[3])));
    key.ki.dwFlags = KEYEVENTF_KEYUP;
    std::printf("released %llu\n", WallClockMs());
    return SendInput(1, &key, sizeof(INPUT)) == 1 ? 0 : 1;
  }
  if (std::strcmp(command, "clipset") == 0 && argc == 3) {
    const size_t n = std::strlen(argv[2]);
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, (n + 1) * sizeof(WCHAR));
    auto* to = static_cast<WCHAR*>(GlobalLock(h));
    for (size_t i = 0; i <= n; ++i) to[i] = static_cast<unsigned char>(argv[2][i]);
    GlobalUnlock(h);
    const bool set = OpenClipboard(nullptr) && EmptyClipboard() && SetClipboardData(CF_UNICODETEXT, h);
    CloseClipboard();
    std::printf("clipset %d\n", set ? 1 : 0);
    return set ? 0 : 1;
  }
  if (std::strcmp(command, "clipget") == 0) {
    HANDLE data = OpenClipboard(nullptr) ? GetClipboardData(CF_UNICODETEXT) : nullptr;
    const auto* text = data != nullptr ? static_cast<const WCHAR*>(GlobalLock(data)) : nullptr;
    if (text == nullptr) std::printf("clip-none\n");
    else {
      std::printf("clip ");
      for (const WCHAR* p = text; *p != 0; ++p) std::putchar(*p < 0x80 ? static_cast<char>(*p) : '?');
      std::printf("\n");
      GlobalUnlock(data);
    }
    CloseClipboard();
    return 0;
  }
  if (std::strcmp(command, "menu") == 0) {
    HWND menu = FindWindowA("#32768", nullptr);
    return menu != nullptr && IsWindowVisible(menu) ? 0 : 1;
  }
  if (mainWindow == nullptr) {
    std::fprintf(stderr, "traydriver: no Tamblix window\n");
    return 1;
  }
  if (std::strcmp(command, "post") == 0 && argc == 5) {
    const UINT message = static_cast<UINT>(std::strtoul(argv[2], nullptr, 10));
    const WPARAM wparam = std::strtoull(argv[3], nullptr, 10);
    const LPARAM lparam = static_cast<LPARAM>(std::strtoll(argv[4], nullptr, 10));
    if (!PostMessageA(mainWindow, message, wparam, lparam)) return 1;
    std::printf("posted %llu\n", WallClockMs());
    return 0;
  }
  if (std::strcmp(command, "delete-icon") == 0) {
    NOTIFYICONDATAA record{};
    record.cbSize = NOTIFYICONDATAA_V1_SIZE;
    record.hWnd = mainWindow;
    record.uID = 0;
    return Shell_NotifyIconA(NIM_DELETE, &record) ? 0 : 1;
  }
  if (std::strcmp(command, "hwnd") == 0) {
    std::printf("%lld\n", static_cast<long long>(reinterpret_cast<INT_PTR>(mainWindow)));
    return 0;
  }
  Found found = FindDialogs(mainWindow);
  if (std::strcmp(command, "minimize") == 0 && found.mainDialog != nullptr) {
    return PostMessageA(found.mainDialog, WM_SYSCOMMAND, SC_MINIMIZE, 0) ? 0 : 1;
  }
  if (std::strcmp(command, "caption") == 0 && found.mainDialog != nullptr) {
    wchar_t wide[128] = {};
    char text[512] = {};
    GetWindowTextW(found.mainDialog, wide, 128);
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    std::printf("caption %s\n", text);
    return 0;
  }
  if (std::strcmp(command, "about-ok") == 0 && found.about != nullptr) {
    return PostMessageA(found.about, WM_COMMAND, IDOK, 0) ? 0 : 1;
  }
  if (std::strcmp(command, "about-esc") == 0 && found.about != nullptr) {
    return PostMessageA(found.about, WM_COMMAND, IDCANCEL, 0) ? 0 : 1;
  }
  return 2;
}
