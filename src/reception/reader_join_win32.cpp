#include "reception/reader_join_win32.h"

namespace {

constexpr DWORD kTurnMs = 20;

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

bool JoinReader(HANDLE thread, const std::atomic<bool>& ended, void (*cancelIo)(void*),
                void* context) {
  const DWORD started = GetTickCount();
  bool cancelled = false;
  for (;;) {
    if (ended.load()) return true;
    const DWORD r = MsgWaitForMultipleObjects(1, &thread, FALSE, kTurnMs, QS_ALLINPUT);
    if (r == WAIT_OBJECT_0 || r == WAIT_FAILED) return true;
    DispatchQueued();
    const DWORD waited = GetTickCount() - started;
    if (!cancelled && waited >= kCancelGraceMs) {
      cancelIo(context);
      cancelled = true;
    }
    if (waited >= kJoinDeadlineMs) return ended.load();
  }
}
