#include "keyout/keyboard_win32.h"

#include <windows.h>

#include "app/shell_state_win32.h"
#include "keyout/keystrokes.h"

namespace {
constexpr int kOutputDisplayId = 1027;  // the main dialog's output display
}

// Only the main dialog itself counts; its key code list dialog or a message box is typed into.
bool Win32Keyboard::MainDialogInFront() {
  return MainDialogWindow != nullptr && GetForegroundWindow() == MainDialogWindow;
}

// Looked up each time: the display belongs to the dialog's thread and is only posted to.
void Win32Keyboard::PostChar(std::uint8_t ch) {
  PostMessageA(GetDlgItem(MainDialogWindow, kOutputDisplayId), WM_CHAR, ch, 0);
}

void Win32Keyboard::KeybdEvent(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags) {
  keybd_event(vk, scan, flags, 0);
}

void Win32Keyboard::SendInput(const KeyRecord* records, int count) {
  INPUT inputs[kMaxGroupRecords] = {};
  if (count <= 0 || count > kMaxGroupRecords) return;
  for (int i = 0; i < count; ++i) {
    inputs[i].type = INPUT_KEYBOARD;
    inputs[i].ki.wVk = records[i].vk;
    inputs[i].ki.wScan = records[i].scan;
    inputs[i].ki.dwFlags = records[i].flags;
  }
  ::SendInput(static_cast<UINT>(count), inputs, sizeof(INPUT));
}

std::int16_t Win32Keyboard::VkKeyScanChar(std::uint8_t ch) {
  return static_cast<std::int16_t>(VkKeyScanA(static_cast<CHAR>(ch)));
}

unsigned Win32Keyboard::MapVkToScan(std::uint8_t vk) { return MapVirtualKeyA(vk, MAPVK_VK_TO_VSC); }

unsigned Win32Keyboard::MapVkToScanEx(std::uint8_t vk) {
  return MapVirtualKeyExA(vk, MAPVK_VK_TO_VSC, nullptr);
}

unsigned Win32Keyboard::AnsiCodePage() { return GetACP(); }

// GetKeyState answers from the keyboard state of the calling thread, which changes only as that
// thread reads key messages; the reader thread reads none. Attached for the moment of the read
// to the thread of the window in front, it shares that thread's keyboard state: Caps Lock as
// the application that receives the typing sees it. Without a window in front, or when the
// attachment is refused (another desktop, a process of higher integrity), its own state is read.
bool Win32Keyboard::CapsLockOn() {
  const DWORD self = GetCurrentThreadId();
  HWND front = GetForegroundWindow();
  const DWORD frontThread = front != nullptr ? GetWindowThreadProcessId(front, nullptr) : 0;
  const bool attached =
      frontThread != 0 && frontThread != self && AttachThreadInput(self, frontThread, TRUE);
  const bool on = (GetKeyState(VK_CAPITAL) & 1) != 0;
  if (attached) AttachThreadInput(self, frontThread, FALSE);
  return on;
}

void Win32Keyboard::Pause(unsigned ms) { Sleep(ms); }
