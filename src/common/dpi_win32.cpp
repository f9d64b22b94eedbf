// DPI of windows and scaling of pixel sizes.
#include "common/dpi_win32.h"

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
