// Message boxes and window placement shared by the dialogs.
#include "common/messages_win32.h"

#include <cwchar>

#include "common/shell_state_win32.h"
#include "common/wide_text_win32.h"

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
