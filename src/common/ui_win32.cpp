#include "common/ui_win32.h"

#include <commdlg.h>

#include <cstring>
#include <cwchar>

#include "common/wide_text_win32.h"

// ---- window handles -----------------------------------------------------------------------------

HWND MainWindow = nullptr;
HWND MainDialogWindow = nullptr;
HWND AboutWindow = nullptr;

// A window of this program in front other than the dialog (a notice or warning box, a
// sub-dialog, the tray's menu) counts as the dialog: typing into it would press its buttons (a
// box's Enter closes it unread), and the program never types into itself.
bool MainDialogInFront() {
  if (MainDialogWindow == nullptr) return false;
  HWND front = GetForegroundWindow();
  if (front == MainDialogWindow) return true;
  DWORD process = 0;
  return front != nullptr && GetWindowThreadProcessId(front, &process) != 0 &&
         process == GetCurrentProcessId();
}
HINSTANCE AppInstance = nullptr;
HMENU TrayMenu = nullptr;

namespace {
bool Running = false;
}  // namespace

bool ReceptionRunning() { return Running; }
void SetReceptionRunning(bool running) { Running = running; }

// ---- message boxes and placement ----------------------------------------------------------------

namespace {

constexpr char kNoticeTitle[] = "Tamblix( TM )";

// A notice box: a dialog box of this thread owned by the main dialog, with the notice title.
BOOL CALLBACK CloseNoticeBox(HWND window, LPARAM) {
  wchar_t title[32] = {};
  wchar_t wanted[32] = {};
  wchar_t windowClass[16] = {};
  GetClassNameW(window, windowClass, 16);
  GetWindowTextW(window, title, 32);
  Cp932ToWide(kNoticeTitle, wanted, 32);
  if (std::wcscmp(windowClass, L"#32770") == 0 && std::wcscmp(title, wanted) == 0 &&
      GetWindow(window, GW_OWNER) == MainDialogWindow) {
    PostMessageW(window, WM_COMMAND, IDOK, 0);
  }
  return TRUE;
}

}  // namespace

void ShowNotice(const char* text) { MessageBox932(MainDialogWindow, text, kNoticeTitle, MB_OK); }

void CloseNoticeBoxes() {
  if (MainDialogWindow != nullptr) EnumThreadWindows(GetCurrentThreadId(), CloseNoticeBox, 0);
}

void ShowWarning(HWND owner, const char* text) {
  MessageBox932(owner, text, "Tamblix", MB_OK | MB_ICONWARNING | MB_TOPMOST);
}

const char* PortErrorText(int code) {
  switch (code) {
    case -101:
    case -102: return "指定されたポートのオープンに失敗しました";
    case -103: return "スキャナ等の準備ができていません";
    case -104: return "指定されたポートが通信設定（ボーレート・データビット・パリティ・ストップビット）を受け付けませんでした";
    case -105: return "ポートのドライバーが前回の受信の要求を終えていないため、ポートを開けません。機器を挿し直すか、Windows を再起動してください。";
    case -110: return "TCP の待ち受けを始められません。ホストにこの PC のアドレスか 127.0.0.1 を、ポートに他で使われていない番号を指定してください（拡張設定の「接続」）。";
    case -111: return "TCP サーバーは、接続を許可するアドレスがないと開始できません。拡張設定の「接続」で許可するアドレスを指定してください。";
    default: return nullptr;
  }
}

void ShowPortError(int code, HWND owner) {
  const char* text = PortErrorText(code);
  if (text != nullptr) ShowWarning(owner, text);
}

void CenterOnDesktop(HWND window) {
  RECT desktop{};
  RECT own{};
  GetWindowRect(GetDesktopWindow(), &desktop);
  GetWindowRect(window, &own);
  const int width = own.right - own.left;
  const int height = own.bottom - own.top;
  // Integer division truncates towards zero, also for a window wider than the desktop.
  SetWindowPos(window, HWND_TOP, (desktop.right - width) / 2, (desktop.bottom - height) / 2, 0, 0,
               SWP_NOSIZE | SWP_SHOWWINDOW);
}

// ---- the common file dialog ---------------------------------------------------------------------

namespace {

// The filter's description/pattern strings in UTF-16, the double terminator kept; a filter too
// long for `out` keeps its whole pairs that fit.
void WidenFilter(const char* filter, wchar_t* out, int capacity) {
  int used = 0;
  for (const char* part = filter; *part != '\0'; part += std::strlen(part) + 1) {
    const int n = Cp932ToWide(part, out + used, capacity - used - 1);
    if (n == 0 || used + n + 2 > capacity) break;
    used += n + 1;
  }
  out[used] = L'\0';
  if (used + 1 < capacity) out[used + 1] = L'\0';
}

}  // namespace

// The dialog's texts (filter descriptions) are code page 932 and go through the wide dialog;
// the path is kept in the ANSI code page, which the program's file calls take.
int RunFileChooser(int mode, HWND owner, const char* filter, const char* defaultExt, char* buffer) {
  wchar_t wideFilter[256];
  WidenFilter(filter, wideFilter, 256);
  wchar_t wideExt[16] = {};
  if (defaultExt != nullptr) MultiByteToWideChar(CP_ACP, 0, defaultExt, -1, wideExt, 16);
  wchar_t path[kChooserPathSize] = {};
  MultiByteToWideChar(CP_ACP, 0, buffer, -1, path, static_cast<int>(kChooserPathSize));
  OPENFILENAMEW ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = wideFilter;
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = path;
  ofn.nMaxFile = kChooserPathSize;
  ofn.lpstrInitialDir = path;
  ofn.lpstrDefExt = defaultExt != nullptr ? wideExt : nullptr;
  ofn.Flags = OFN_HIDEREADONLY |
              (mode == 0 ? OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST : OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT);
  const BOOL chosen = mode == 0 ? GetOpenFileNameW(&ofn) : GetSaveFileNameW(&ofn);
  if (!chosen) return 0;
  // A path the ANSI code page cannot hold could not be opened by the file calls either.
  // (UTF-8 as the ANSI code page holds every path and takes no default-character flag.)
  BOOL lost = FALSE;
  const int n = WideCharToMultiByte(CP_ACP, 0, path, -1, buffer, static_cast<int>(kChooserPathSize),
                                    nullptr, GetACP() == CP_UTF8 ? nullptr : &lost);
  if (n <= 0 || lost) {
    buffer[0] = '\0';
    return 0;
  }
  return 1;
}

// ---- DPI ----------------------------------------------------------------------------------------

namespace {
using GetDpiForWindowCall = UINT(WINAPI*)(HWND);

// Looked up at run time: Windows 7 to 10, version 1511 lack it, and a static import would keep
// the program from starting there.
GetDpiForWindowCall GetDpiForWindowOfUser32() {
  static const auto call = reinterpret_cast<GetDpiForWindowCall>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
  return call;
}
}  // namespace

UINT WindowDpi(HWND window) {
  if (const auto call = GetDpiForWindowOfUser32()) {
    if (const UINT dpi = call(window)) return dpi;
  }
  return SystemDpi();
}

// GetDeviceCaps LOGPIXELSX of the screen: the same for all monitors, the system DPI.
UINT SystemDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : kDesignDpi;
}

int ScaleToDpi(int pixels, UINT dpi) { return static_cast<int>(static_cast<long long>(pixels) * dpi / kDesignDpi); }

INT_PTR PostAfterDpiChange(HWND dialog, WPARAM wparam) {
  PostMessageA(dialog, kAfterDpiChangeMessage, LOWORD(wparam), 0);
  return FALSE;
}
