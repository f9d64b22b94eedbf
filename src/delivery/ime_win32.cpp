#include "delivery/ime_win32.h"

#include <windows.h>
#include <imm.h>

namespace {

// Every question to another thread has a time limit, so a hung target cannot hold the reader.
constexpr UINT kImeAnswerMs = 100;
constexpr UINT kRoundAnswerMs = 50;
constexpr UINT kAskFlags = SMTO_ABORTIFHUNG | SMTO_BLOCK;
// The WM_IME_CONTROL commands, with the values of the Windows SDK's imm.h (MinGW's lacks them).
constexpr WPARAM kImcGetOpenStatus = 0x0005;  // IMC_GETOPENSTATUS
constexpr WPARAM kImcSetOpenStatus = 0x0006;  // IMC_SETOPENSTATUS

HWND ImeWindowOf(ImeWindow window) { return reinterpret_cast<HWND>(window); }

}  // namespace

// The keyboard focus belongs to a window of the foreground thread, which GetGUIThreadInfo
// names; each window of a thread that uses an input method has the thread's default IME
// window (ImmGetDefaultIMEWnd), which answers WM_IME_CONTROL for the focus window's input
// context: IMC_GETOPENSTATUS and IMC_SETOPENSTATUS (Microsoft Learn, WM_IME_CONTROL).
ImeStatus Win32InputMethod::Look(ImeWindow& window) {
  window = 0;
  HWND front = GetForegroundWindow();
  if (front == nullptr) return ImeStatus::None;
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  HWND focus = front;
  if (GetGUIThreadInfo(GetWindowThreadProcessId(front, nullptr), &info) && info.hwndFocus != nullptr) {
    focus = info.hwndFocus;
  }
  HWND ime = ImmGetDefaultIMEWnd(focus);
  if (ime == nullptr) return ImeStatus::None;
  DWORD_PTR open = 0;
  if (!SendMessageTimeoutW(ime, WM_IME_CONTROL, kImcGetOpenStatus, 0, kAskFlags, kImeAnswerMs, &open)) {
    return ImeStatus::None;
  }
  window = reinterpret_cast<ImeWindow>(ime);
  return open != 0 ? ImeStatus::Open : ImeStatus::Closed;
}

void Win32InputMethod::SetOpen(ImeWindow window, bool open) {
  HWND ime = ImeWindowOf(window);
  if (ime == nullptr || !IsWindow(ime)) return;
  DWORD_PTR result = 0;
  SendMessageTimeoutW(ime, WM_IME_CONTROL, kImcSetOpenStatus, open ? 1 : 0, kAskFlags,
                      kImeAnswerMs, &result);
}

// WM_NULL does nothing; its answer says the thread came round to retrieving messages.
bool Win32InputMethod::Round() {
  HWND front = GetForegroundWindow();
  DWORD_PTR result = 0;
  return front != nullptr &&
         SendMessageTimeoutW(front, WM_NULL, 0, 0, kAskFlags, kRoundAnswerMs, &result) != 0;
}
