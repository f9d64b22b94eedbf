#include "source/thread_wait_win32.h"

namespace {
// The GUI thread's wait for the reader looks at its messages this often.
constexpr DWORD kJoinTurnMs = 20;
}  // namespace

void DispatchMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

bool JoinReader(HANDLE thread, const std::atomic<bool>& ended, void (*cancelIo)(void*),
                void* context) {
  const DWORD started = GetTickCount();
  bool cancelled = false;
  for (;;) {
    if (ended.load()) return true;
    const DWORD r = MsgWaitForMultipleObjects(1, &thread, FALSE, kJoinTurnMs, QS_ALLINPUT);
    if (r == WAIT_OBJECT_0 || r == WAIT_FAILED) return true;
    DispatchMessages();
    const DWORD waited = GetTickCount() - started;
    if (!cancelled && waited >= kCancelGraceMs) {
      cancelIo(context);
      cancelled = true;
    }
    if (waited >= kJoinDeadlineMs) return ended.load();
  }
}
