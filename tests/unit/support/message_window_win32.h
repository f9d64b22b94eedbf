// A message-only window of the test process, destroyed with the object (or earlier by
// Destroy): a window handle the Win32 tests can give the program without a display.
#pragma once
#include <windows.h>

class MessageWindow {
 public:
  explicit MessageWindow(const wchar_t* title = L"")
      : handle(CreateWindowExW(0, L"STATIC", title, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                               nullptr)) {}
  ~MessageWindow() { Destroy(); }
  MessageWindow(const MessageWindow&) = delete;
  MessageWindow& operator=(const MessageWindow&) = delete;
  void Destroy() {
    if (handle != nullptr) DestroyWindow(handle);
    handle = nullptr;
  }
  HWND handle;
};
