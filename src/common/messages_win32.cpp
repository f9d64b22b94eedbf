// Message boxes and window placement shared by the dialogs and the reader thread.
#include "common/messages_win32.h"

#include "common/shell_state_win32.h"
#include "common/wide_text_win32.h"

void ShowNotice(const char* text) {
  // The reader thread calls this and waits here until the user dismisses the box.
  MessageBox932(MainDialogWindow, text, "Tamblix( TM )", MB_OK);
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
