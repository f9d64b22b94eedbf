// Works a dialog of the running program as a user would, from the command line, so that shell
// scenarios can drive it. The dialog is found by its caption (default: the main dialog).
//
//   dlgdriver [/caption TEXT] COMMAND ARGS... [COMMAND ARGS...]...
//     wait-window SECS           until the dialog exists (prints "window FOUND" or fails)
//     wait-shown SECS            until a visible dialog of that caption exists and works on it
//                                (prints "window SHOWN"); tells apart two running programs
//                                when one of them has hidden its dialog in the tray
//     settext ID TEXT            WM_SETTEXT on control ID (its change handler runs)
//     gettext ID                 prints "text ID <text>" (code page 932 bytes)
//     hextext ID                 prints "hex ID <text as hexadecimal bytes>" (line breaks kept)
//     items ID                   prints "item ID <entry>" for each entry of combo box ID, in
//                                list order
//     states                     prints "state ID 0|1" (enabled) for every control of the dialog
//                                that has an id, in tab order
//     click ID                   BM_CLICK, posted (a click that opens a box does not block)
//     command ID                 posts WM_COMMAND ID to the dialog itself
//     close                      posts WM_CLOSE to the dialog (its close box)
//     select ID TEXT             selects the entry TEXT of combo box ID, as a user choosing it
//     enabled ID                 prints "enabled ID 0|1"
//     checked ID                 prints "checked ID 0|1"
//     visible                    prints "visible 0|1" for the dialog
//     front SECS                 brings the dialog to the foreground and waits until it is there
//     wait-text ID TEXT SECS     until control ID shows TEXT exactly
//     wait-enabled ID 0|1 SECS   until control ID has that enabled state
//     wait-box SECS              until a message box (#32770 "Tamblix") owned by the dialog
//                                appears; prints "box <its text>"
//     close-box                  presses OK in that message box
//     box-front SECS             brings that message box to the foreground and waits until it
//                                is there
//     boxes                      prints "boxes N": the message boxes the dialog owns now
//     foreground                 prints "foreground <class> <caption>" of the window in front
//     box-title                  prints "box-title <caption>" of that box
//     box-controls               prints "control ID CLASS <text>" for each control of the box
//     box-settext ID TEXT        WM_SETTEXT on control ID of the box
//     box-gettext ID             prints "box-text ID <text>" of control ID of the box
//     box-command ID             posts WM_COMMAND ID to the box (1 OK, 2 cancel)
//     setcheck ID 0|1            BM_SETCHECK on control ID (no notification)
//     sethotkey ID HEX           HKM_SETHOTKEY on hot key control ID: virtual key in the low
//                                byte, HOTKEYF_* flags in the high byte (no notification)
//     focus                      prints "focus ID" of the control that has the keyboard focus
//                                in the dialog's thread ("focus none" when it is elsewhere)
//     wait-gone SECS             until the dialog no longer exists
//     answer MS                  sends WM_NULL to the dialog and waits at most MS for its answer;
//                                prints "answer <ms it took>", fails when it did not answer
//     hold MS                    keeps the dialog's thread from running for MS (suspended), as a
//                                dialog busy with something else; prints "holding", then "held"
//     inject DLL                 loads the library DLL (a Windows path) into the dialog's
//                                process (LoadLibraryW on a thread started there), e.g. a
//                                shim of tests/e2e/shim/; prints "injected pid PID"
//     sleep MS
//     clock                      prints "clock <ms since 1970>" (the probe's clock), e.g. at once
//                                after a click, to time what follows it
// Exit status 0 when every command succeeded, 1 at the first failure.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "driver_support_win32.h"

namespace {

const char* Caption = "Tamblix( TM ) Ver.2.5.2";
HWND Dialog = nullptr;
HWND Box = nullptr;

HWND Control(const char* id) { return GetDlgItem(Dialog, std::atoi(id)); }

bool WaitWindow(int secs) { return WaitForDialog(Caption, secs, true, Dialog); }

struct BoxSearch {
  HWND owner;
  HWND found;
};

BOOL CALLBACK FindBox(HWND w, LPARAM p) {
  auto* s = reinterpret_cast<BoxSearch*>(p);
  char cls[32] = {};
  GetClassNameA(w, cls, sizeof cls);
  if (std::strcmp(cls, "#32770") == 0 && w != s->owner && IsWindowVisible(w) &&
      GetWindow(w, GW_OWNER) == s->owner) {
    s->found = w;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK CountBox(HWND w, LPARAM p) {
  BoxSearch s{Dialog, nullptr};
  FindBox(w, reinterpret_cast<LPARAM>(&s));
  if (s.found != nullptr) ++*reinterpret_cast<int*>(p);
  return TRUE;
}

// Until window is the foreground window, asking for it every 100 ms, at most secs.
bool BringToFront(HWND window, int secs) {
  for (int t = 0; t < secs * 10; ++t) {
    if (GetForegroundWindow() == window) return true;
    SetForegroundWindow(window);
    Sleep(100);
  }
  return false;
}

bool WaitBox(int secs) {
  for (int i = 0; i < secs * 10; ++i) {
    BoxSearch s{Dialog, nullptr};
    EnumWindows(FindBox, reinterpret_cast<LPARAM>(&s));
    if (s.found) {
      Box = s.found;
      char text[512];
      ReadWindowText(GetDlgItem(Box, 0xFFFF), text, sizeof text);
      std::printf("box %s\n", text);
      return true;
    }
    Sleep(100);
  }
  return false;
}

struct ShownSearch {
  HWND found;
};

BOOL CALLBACK FindShown(HWND w, LPARAM p) {
  char cls[32] = {};
  char title[256] = {};
  GetClassNameA(w, cls, sizeof cls);
  GetWindowTextA(w, title, sizeof title);
  if (std::strcmp(cls, "#32770") == 0 && std::strcmp(title, Caption) == 0 && IsWindowVisible(w)) {
    reinterpret_cast<ShownSearch*>(p)->found = w;
    return FALSE;
  }
  return TRUE;
}

bool WaitShown(int secs) {
  for (int i = 0; i < secs * 10; ++i) {
    ShownSearch s{nullptr};
    EnumWindows(FindShown, reinterpret_cast<LPARAM>(&s));
    if (s.found) {
      Dialog = s.found;
      return true;
    }
    Sleep(100);
  }
  return false;
}

bool SelectEntry(HWND combo, const char* text) {
  const LRESULT i = SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text));
  if (i == CB_ERR) return false;
  SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
  const int id = GetDlgCtrlID(combo);
  SendMessageA(Dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
  return true;
}

BOOL CALLBACK PrintControl(HWND w, LPARAM) {
  char cls[64] = {};
  char text[512];
  GetClassNameA(w, cls, sizeof cls);
  ReadWindowText(w, text, sizeof text);
  std::printf("control %d %s %s\n", GetDlgCtrlID(w), cls, text);
  return TRUE;
}

BOOL CALLBACK PrintState(HWND w, LPARAM) {
  const int id = GetDlgCtrlID(w);
  // Direct children only: the edit inside a combo box has an id of its own.
  if (GetParent(w) == Dialog && id > 0 && id < 0xFFFF) std::printf("state %d %d\n", id, IsWindowEnabled(w) ? 1 : 0);
  return TRUE;
}

// Read as UTF-16: Wine passes the entries of another process's combo box to an ANSI CB_GETLBTEXT
// in their wide form, which then shows as the first character only.
void PrintItems(HWND combo, const char* id) {
  const LRESULT n = SendMessageW(combo, CB_GETCOUNT, 0, 0);
  wchar_t wide[256];
  char text[512];
  for (LRESULT i = 0; i < n && SendMessageW(combo, CB_GETLBTEXTLEN, i, 0) < 256; ++i) {
    wide[0] = 0;
    SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(wide));
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    std::printf("item %s %s\n", id, text);
  }
}

void PrintHex(const char* id, const char* text) {
  std::printf("hex %s ", id);
  for (const char* p = text; *p; ++p) std::printf("%02X", static_cast<unsigned char>(*p));
  std::printf("\n");
}

// The commands on the box that wait-box found; returns the arguments consumed or -1.
int RunBoxCommand(int argc, char** argv, int i) {
  const char* c = argv[i];
  char text[4096];
  if (!Box) { std::printf("error no box\n"); return -1; }
  if (!std::strcmp(c, "box-title")) {
    ReadWindowText(Box, text, sizeof text);
    std::printf("box-title %s\n", text);
    return 0;
  }
  if (!std::strcmp(c, "box-controls")) {
    EnumChildWindows(Box, PrintControl, 0);
    return 0;
  }
  if (!NeedArgs(argc, i, 1)) return -1;
  HWND w = GetDlgItem(Box, std::atoi(argv[i + 1]));
  if (!std::strcmp(c, "box-command")) {
    return PostMessageA(Box, WM_COMMAND, static_cast<WPARAM>(std::atoi(argv[i + 1])), 0) ? 1 : -1;
  }
  if (!w) { std::printf("error the box has no control %s\n", argv[i + 1]); return -1; }
  if (!std::strcmp(c, "box-gettext")) {
    ReadWindowText(w, text, sizeof text);
    std::printf("box-text %s %s\n", argv[i + 1], text);
    return 1;
  }
  if (!NeedArgs(argc, i, 2)) return -1;
  SendMessageTimeoutA(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[i + 2]), SMTO_ABORTIFHUNG,
                      5000, nullptr);
  return 2;
}

void PrintFocus() {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  const DWORD thread = GetWindowThreadProcessId(Dialog, nullptr);
  if (GetGUIThreadInfo(thread, &info) && info.hwndFocus && IsChild(Dialog, info.hwndFocus)) {
    std::printf("focus %d\n", GetDlgCtrlID(info.hwndFocus));
  } else {
    std::printf("focus none\n");
  }
}

DWORD ProcessOfDialog() {
  DWORD pid = 0;
  GetWindowThreadProcessId(Dialog, &pid);
  return pid;
}

// kernel32 is at the same address in every process of a session, so LoadLibraryW found here is
// the one of the program's process too; its result (the module, cut to 32 bits) is the
// thread's exit code, 0 when the library was not loaded.
bool Inject(const char* path) {
  wchar_t wide[MAX_PATH];
  if (MultiByteToWideChar(CP_ACP, 0, path, -1, wide, MAX_PATH) == 0) return false;
  RemoteBlock block(Dialog);
  if (!block.Ok() || !block.Write(0, wide, (lstrlenW(wide) + 1) * sizeof(wchar_t))) return false;
  HANDLE process = OpenProcess(PROCESS_CREATE_THREAD | PROCESS_QUERY_INFORMATION, FALSE,
                               ProcessOfDialog());
  if (process == nullptr) return false;
  auto* load = reinterpret_cast<LPTHREAD_START_ROUTINE>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "LoadLibraryW")));
  HANDLE thread = CreateRemoteThread(process, nullptr, 0, load, block.At(0), 0, nullptr);
  DWORD loaded = 0;
  if (thread != nullptr) {
    WaitForSingleObject(thread, 10000);
    GetExitCodeThread(thread, &loaded);
    CloseHandle(thread);
  }
  CloseHandle(process);
  return loaded != 0 && loaded != STILL_ACTIVE;
}

// Runs the command at argv[i]; returns the number of arguments consumed, or -1 on failure.
int Run(int argc, char** argv, int i) {
  const char* c = argv[i];
  char text[4096];
  if (!std::strcmp(c, "wait-window")) {
    if (!NeedArgs(argc, i, 1) || !WaitWindow(std::atoi(argv[i + 1]))) return -1;
    std::printf("window FOUND\n");
    return 1;
  }
  if (!std::strcmp(c, "wait-shown")) {
    if (!NeedArgs(argc, i, 1) || !WaitShown(std::atoi(argv[i + 1]))) return -1;
    std::printf("window SHOWN\n");
    return 1;
  }
  if (!Dialog && !WaitWindow(10)) { std::printf("error no dialog \"%s\"\n", Caption); return -1; }
  if (!std::strcmp(c, "settext")) {
    if (!NeedArgs(argc, i, 2)) return -1;
    SendMessageTimeoutA(Control(argv[i + 1]), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[i + 2]),
                        SMTO_ABORTIFHUNG, 5000, nullptr);
    return 2;
  }
  if (!std::strcmp(c, "gettext")) {
    if (!NeedArgs(argc, i, 1)) return -1;
    ReadWindowText(Control(argv[i + 1]), text, sizeof text);
    std::printf("text %s %s\n", argv[i + 1], text);
    return 1;
  }
  if (!std::strcmp(c, "hextext") || !std::strcmp(c, "items")) {
    if (!NeedArgs(argc, i, 1)) return -1;
    ReadWindowText(Control(argv[i + 1]), text, sizeof text);
    if (c[0] == 'h') PrintHex(argv[i + 1], text);
    else PrintItems(Control(argv[i + 1]), argv[i + 1]);
    return 1;
  }
  if (!std::strcmp(c, "states")) {
    EnumChildWindows(Dialog, PrintState, 0);
    return 0;
  }
  if (!std::strcmp(c, "click")) {
    if (!NeedArgs(argc, i, 1)) return -1;
    return PostMessageA(Control(argv[i + 1]), BM_CLICK, 0, 0) ? 1 : -1;
  }
  if (!std::strcmp(c, "command")) {
    if (!NeedArgs(argc, i, 1)) return -1;
    return PostMessageA(Dialog, WM_COMMAND, static_cast<WPARAM>(std::atoi(argv[i + 1])), 0) ? 1 : -1;
  }
  if (!std::strcmp(c, "close")) {
    return PostMessageA(Dialog, WM_CLOSE, 0, 0) ? 0 : -1;
  }
  if (!std::strcmp(c, "select")) {
    if (!NeedArgs(argc, i, 2)) return -1;
    return SelectEntry(Control(argv[i + 1]), argv[i + 2]) ? 2 : -1;
  }
  if (!std::strcmp(c, "enabled") || !std::strcmp(c, "checked")) {
    if (!NeedArgs(argc, i, 1)) return -1;
    HWND w = Control(argv[i + 1]);
    const int v = c[0] == 'e' ? (IsWindowEnabled(w) ? 1 : 0)
                              : (SendMessageA(w, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0);
    std::printf("%s %s %d\n", c, argv[i + 1], v);
    return 1;
  }
  if (!std::strcmp(c, "front")) {
    if (!NeedArgs(argc, i, 1)) return -1;
    if (BringToFront(Dialog, std::atoi(argv[i + 1]))) return 1;
    std::printf("error the dialog is not in front\n");
    return -1;
  }
  if (!std::strcmp(c, "visible")) {
    std::printf("visible %d\n", IsWindowVisible(Dialog) ? 1 : 0);
    return 0;
  }
  if (!std::strcmp(c, "wait-text") || !std::strcmp(c, "wait-enabled")) {
    if (!NeedArgs(argc, i, 3)) return -1;
    HWND w = Control(argv[i + 1]);
    for (int t = 0; t < std::atoi(argv[i + 3]) * 10; ++t) {
      if (c[5] == 't') {
        ReadWindowText(w, text, sizeof text);
        if (!std::strcmp(text, argv[i + 2])) return 3;
      } else if ((IsWindowEnabled(w) ? 1 : 0) == std::atoi(argv[i + 2])) {
        return 3;
      }
      Sleep(100);
    }
    ReadWindowText(w, text, sizeof text);
    std::printf("error %s %s timed out (text \"%s\")\n", c, argv[i + 1], text);
    return -1;
  }
  if (!std::strcmp(c, "box-front")) {
    if (!NeedArgs(argc, i, 1) || !Box) return -1;
    if (BringToFront(Box, std::atoi(argv[i + 1]))) return 1;
    std::printf("error the box is not in front\n");
    return -1;
  }
  if (!std::strcmp(c, "wait-box")) {
    if (!NeedArgs(argc, i, 1) || !WaitBox(std::atoi(argv[i + 1]))) { std::printf("error no box\n"); return -1; }
    return 1;
  }
  if (!std::strcmp(c, "foreground")) {
    HWND front = GetForegroundWindow();
    char cls[64] = {};
    if (front != nullptr) GetClassNameA(front, cls, sizeof cls);
    ReadWindowText(front, text, sizeof text);
    std::printf("foreground %s %s\n", front != nullptr ? cls : "none", text);
    return 0;
  }
  if (!std::strcmp(c, "boxes")) {
    int n = 0;
    EnumWindows(CountBox, reinterpret_cast<LPARAM>(&n));
    std::printf("boxes %d\n", n);
    return 0;
  }
  if (!std::strcmp(c, "close-box")) {
    if (!Box) return -1;
    PostMessageA(Box, WM_COMMAND, IDOK, 0);
    Box = nullptr;
    return 0;
  }
  if (!std::strcmp(c, "box-title") || !std::strcmp(c, "box-controls") ||
      !std::strcmp(c, "box-settext") || !std::strcmp(c, "box-gettext") ||
      !std::strcmp(c, "box-command")) {
    return RunBoxCommand(argc, argv, i);
  }
  if (!std::strcmp(c, "sethotkey")) {
    if (!NeedArgs(argc, i, 2)) return -1;
    SendMessageTimeoutA(Control(argv[i + 1]), HKM_SETHOTKEY, std::strtoul(argv[i + 2], nullptr, 16), 0,
                        SMTO_ABORTIFHUNG, 5000, nullptr);
    return 2;
  }
  if (!std::strcmp(c, "setcheck")) {
    if (!NeedArgs(argc, i, 2)) return -1;
    SendMessageTimeoutA(Control(argv[i + 1]), BM_SETCHECK,
                        std::atoi(argv[i + 2]) ? BST_CHECKED : BST_UNCHECKED, 0, SMTO_ABORTIFHUNG,
                        5000, nullptr);
    return 2;
  }
  if (!std::strcmp(c, "focus")) {
    PrintFocus();
    return 0;
  }
  if (!std::strcmp(c, "wait-gone")) {
    if (!NeedArgs(argc, i, 1)) return -1;
    for (int t = 0; t < std::atoi(argv[i + 1]) * 10; ++t) {
      if (!IsWindow(Dialog)) return 1;
      Sleep(100);
    }
    std::printf("error the dialog is still there\n");
    return -1;
  }
  if (!std::strcmp(c, "answer")) {
    if (!NeedArgs(argc, i, 1)) return -1;
    const DWORD started = GetTickCount();
    DWORD_PTR unused = 0;
    if (!SendMessageTimeoutA(Dialog, WM_NULL, 0, 0, SMTO_NORMAL,
                             static_cast<UINT>(std::atoi(argv[i + 1])), &unused)) {
      std::printf("error the dialog did not answer within %s ms\n", argv[i + 1]);
      return -1;
    }
    std::printf("answer %lu\n", static_cast<unsigned long>(GetTickCount() - started));
    return 1;
  }
  if (!std::strcmp(c, "hold")) {
    if (!NeedArgs(argc, i, 1)) return -1;
    HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, GetWindowThreadProcessId(Dialog, nullptr));
    if (thread == nullptr || SuspendThread(thread) == static_cast<DWORD>(-1)) {
      std::printf("error the dialog's thread cannot be held\n");
      if (thread != nullptr) CloseHandle(thread);
      return -1;
    }
    std::printf("holding\n");
    Sleep(static_cast<DWORD>(std::atoi(argv[i + 1])));
    ResumeThread(thread);
    CloseHandle(thread);
    std::printf("held\n");
    return 1;
  }
  if (!std::strcmp(c, "inject")) {
    if (!NeedArgs(argc, i, 1)) return -1;
    if (Inject(argv[i + 1])) { std::printf("injected pid %lu\n", ProcessOfDialog()); return 1; }
    std::printf("error %s was not loaded into the program\n", argv[i + 1]);
    return -1;
  }
  if (!std::strcmp(c, "clock")) {
    std::printf("clock %llu\n", WallClockMs());
    return 0;
  }
  if (!std::strcmp(c, "sleep")) {
    if (!NeedArgs(argc, i, 1)) return -1;
    Sleep(static_cast<DWORD>(std::atoi(argv[i + 1])));
    return 1;
  }
  std::printf("error unknown command %s\n", c);
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  const int first = TakeCaption(argc, argv, Caption);
  return RunCommands(argc, argv, first, Run);
}
