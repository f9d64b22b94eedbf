#include "reception/reader_join_win32.h"

namespace {

constexpr DWORD kTurnMs = 20;

BOOL CALLBACK CloseThreadBox(HWND window, LPARAM) {
  // The reader's only windows are the notice boxes it shows; OK lets it go on.
  PostMessageA(window, WM_COMMAND, IDOK, 0);
  return TRUE;
}

void DispatchQueued() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // Kept for the modal loop that runs once the stop is over.
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

}  // namespace

void JoinReader(HANDLE thread, DWORD threadId, void (*cancelIo)(void*), void* context) {
  const DWORD started = GetTickCount();
  bool cancelled = false;
  for (;;) {
    const DWORD r = MsgWaitForMultipleObjects(1, &thread, FALSE, kTurnMs, QS_ALLINPUT);
    if (r == WAIT_OBJECT_0 || r == WAIT_FAILED) return;
    DispatchQueued();
    const DWORD waited = GetTickCount() - started;
    if (!cancelled && waited >= kCancelGraceMs) {
      cancelIo(context);
      cancelled = true;
    }
    if (waited >= kBoxGraceMs) EnumThreadWindows(threadId, CloseThreadBox, 0);
  }
}
