// Stands in for a shell that is still starting: a notification area ("Shell_TrayWnd", in front
// of the real one, which Shell_NotifyIcon then finds first) that refuses the first N icon adds
// and every other icon request meanwhile, printing "refused add K" for each add, then goes away
// (prints "gone") so that the real notification area answers from then on.
//
//   trayrefuse.exe N
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>

namespace {
int Refusals = 0;
int Adds = 0;

LRESULT CALLBACK TrayProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_COPYDATA) {
    // Wine's Shell_NotifyIcon sends the NIM_ code as the data's dwData.
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lparam);
    if (data != nullptr && data->dwData == NIM_ADD) {
      std::printf("refused add %d\n", ++Adds);
      std::fflush(stdout);
      if (Adds >= Refusals) PostMessageW(window, WM_CLOSE, 0, 0);
    }
    return FALSE;
  }
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}
}  // namespace

int main(int argc, char** argv) {
  Refusals = argc > 1 ? std::atoi(argv[1]) : 0;
  if (Refusals <= 0) {
    std::printf("error usage: trayrefuse.exe N\n");
    return 1;
  }
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = &TrayProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"Shell_TrayWnd";
  if (RegisterClassW(&windowClass) == 0) return 1;
  // Topmost and newest: first in the order FindWindow looks in; never shown.
  HWND window = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"Shell_TrayWnd", L"", WS_POPUP,
                                0, 0, 1, 1, nullptr, nullptr, windowClass.hInstance, nullptr);
  if (window == nullptr) return 1;
  SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  std::printf("ready %s\n", FindWindowW(L"Shell_TrayWnd", nullptr) == window ? "first" : "behind");
  std::fflush(stdout);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  std::printf("gone\n");
  return 0;
}
