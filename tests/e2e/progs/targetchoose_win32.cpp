// Runs the program's target window chooser (ChooseTargetEntry) as the "選択..." button does, and
// works its menu as a user would, for the target scenario.
//
//   targetchoose.exe OUTFILE PICK
//
// A second thread waits for the chooser's menu, writes each item to OUTFILE ("item <text>",
// UTF-8), and picks the first item that contains PICK (UTF-8) with the arrow keys and Enter, or
// closes the menu with Esc when none does. Then OUTFILE gets "chosen <entry>" (the entry in
// UTF-8) or "chosen-none". Exit status 0 when something was chosen.
#include <windows.h>

#include <cstdio>
#include <cwchar>

#include "delivery/target_window_win32.h"

namespace {

constexpr int kMenuWaitMs = 10000;

FILE* Out = nullptr;
wchar_t Pick[256];

void WriteUtf8(const char* tag, const wchar_t* text) {
  char utf8[1024];
  WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, nullptr, nullptr);
  std::fprintf(Out, "%s %s\n", tag, utf8);
  std::fflush(Out);
}

void PressKey(HWND menuWindow, WPARAM key) {
  PostMessageW(menuWindow, WM_KEYDOWN, key, 0);
  PostMessageW(menuWindow, WM_KEYUP, key, 0xC0000000);
}

// The chooser's menu: lists its items and picks one.
DWORD WINAPI WorkMenu(LPVOID) {
  HWND menuWindow = nullptr;
  for (int waited = 0; waited < kMenuWaitMs && menuWindow == nullptr; waited += 50) {
    Sleep(50);
    menuWindow = FindWindowW(L"#32768", nullptr);
    if (menuWindow != nullptr && !IsWindowVisible(menuWindow)) menuWindow = nullptr;
  }
  if (menuWindow == nullptr) return 1;
  const auto menu = reinterpret_cast<HMENU>(SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
  const int count = menu != nullptr ? GetMenuItemCount(menu) : 0;
  int chosen = -1;
  for (int i = 0; i < count; ++i) {
    wchar_t text[512] = {};
    GetMenuStringW(menu, static_cast<UINT>(i), text, 512, MF_BYPOSITION);
    WriteUtf8("item", text);
    if (chosen < 0 && std::wcsstr(text, Pick) != nullptr) chosen = i;
  }
  if (chosen < 0) {
    PressKey(menuWindow, VK_ESCAPE);
    return 0;
  }
  // The first arrow key selects the first item.
  for (int i = 0; i <= chosen; ++i) PressKey(menuWindow, VK_DOWN);
  PressKey(menuWindow, VK_RETURN);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: targetchoose OUTFILE PICK\n");
    return 2;
  }
  Out = std::fopen(argv[1], "w");
  if (Out == nullptr) return 2;
  MultiByteToWideChar(CP_ACP, 0, argv[2], -1, Pick, 256);
  HWND owner = CreateWindowExW(0, L"STATIC", L"targetchoose", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                               600, 400, 200, 100, nullptr, nullptr, nullptr, nullptr);
  SetForegroundWindow(owner);
  HANDLE worker = CreateThread(nullptr, 0, WorkMenu, nullptr, 0, nullptr);
  char entry[256] = {};
  const bool chosen = ChooseTargetEntry(owner, entry, sizeof entry);
  if (worker != nullptr) {
    WaitForSingleObject(worker, kMenuWaitMs);
    CloseHandle(worker);
  }
  if (chosen) {
    wchar_t wide[256] = {};
    MultiByteToWideChar(932, 0, entry, -1, wide, 256);
    WriteUtf8("chosen", wide);
  } else {
    std::fprintf(Out, "chosen-none\n");
  }
  std::fclose(Out);
  DestroyWindow(owner);
  return chosen ? 0 : 1;
}
