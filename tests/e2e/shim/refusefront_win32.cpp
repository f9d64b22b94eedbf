// Stands in for Windows refusing a background program the foreground: once loaded into the
// running program (dlgdriver's "inject"), its calls of SetForegroundWindow fail while a file
// named like this library with ".refuse" added exists, as Windows makes them fail for a process
// that did not receive the last input event, which Wine never does; otherwise they go on to the
// real one. Its calls of FlashWindowEx go on to the real one, which under Wine does nothing for
// another process's window. Each refusal and each flash is written as a line to the file named
// like this library with ".log" added (UTF-8): "refused TITLE" and "flash TITLE flags=HEX
// count=N" with the title of the window asked for.
//
// Both are replaced in the program's import address table, so only the program's own calls
// are affected; nothing in the shipped program knows of this library.
#include <windows.h>

#include <cstdio>

namespace {

using FlashFn = BOOL(WINAPI*)(PFLASHWINFO);

using FrontFn = BOOL(WINAPI*)(HWND);

wchar_t LogPath[MAX_PATH + 8] = {};
wchar_t SwitchPath[MAX_PATH + 8] = {};
FlashFn RealFlash = nullptr;
FrontFn RealFront = nullptr;

void LogLine(const char* what, HWND window, const char* rest) {
  wchar_t title[256] = {};
  GetWindowTextW(window, title, 256);
  char utf8[1024] = {};
  WideCharToMultiByte(CP_UTF8, 0, title, -1, utf8, sizeof utf8, nullptr, nullptr);
  char line[1200];
  const int n = std::snprintf(line, sizeof line, "%s %s%s\n", what, utf8, rest);
  HANDLE file = CreateFileW(LogPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, line, static_cast<DWORD>(n), &written, nullptr);
  CloseHandle(file);
}

BOOL WINAPI RefusedSetForegroundWindow(HWND window) {
  if (GetFileAttributesW(SwitchPath) == INVALID_FILE_ATTRIBUTES) return RealFront(window);
  LogLine("refused", window, "");
  SetLastError(ERROR_ACCESS_DENIED);
  return FALSE;
}

BOOL WINAPI LoggedFlashWindowEx(PFLASHWINFO info) {
  char rest[64];
  std::snprintf(rest, sizeof rest, " flags=%lX count=%u", static_cast<unsigned long>(info->dwFlags),
                info->uCount);
  LogLine("flash", info->hwnd, rest);
  return RealFlash != nullptr ? RealFlash(info) : FALSE;
}

// Every slot of the main module's import address table that holds `real` gets `hook`; answers
// how many did.
int Replace(void* real, void* hook) {
  int replaced = 0;
  auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
  const auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (dir.VirtualAddress == 0) return 0;
  for (auto* imp = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
       imp->Name != 0; ++imp) {
    for (auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->FirstThunk);
         slot->u1.Function != 0; ++slot) {
      if (reinterpret_cast<void*>(slot->u1.Function) != real) continue;
      DWORD old = 0;
      VirtualProtect(&slot->u1.Function, sizeof(void*), PAGE_READWRITE, &old);
      slot->u1.Function = reinterpret_cast<ULONG_PTR>(hook);
      VirtualProtect(&slot->u1.Function, sizeof(void*), old, &old);
      ++replaced;
    }
  }
  return replaced;
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  const DWORD n = GetModuleFileNameW(self, LogPath, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return FALSE;
  lstrcpyW(SwitchPath, LogPath);
  lstrcatW(LogPath, L".log");
  lstrcatW(SwitchPath, L".refuse");
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  if (user32 == nullptr) return FALSE;
  RealFlash = reinterpret_cast<FlashFn>(
      reinterpret_cast<void*>(GetProcAddress(user32, "FlashWindowEx")));
  RealFront = reinterpret_cast<FrontFn>(
      reinterpret_cast<void*>(GetProcAddress(user32, "SetForegroundWindow")));
  // A program that imports neither is not the one meant: the library refuses to load.
  const int front = Replace(reinterpret_cast<void*>(RealFront),
                            reinterpret_cast<void*>(&RefusedSetForegroundWindow));
  const int flash = Replace(reinterpret_cast<void*>(RealFlash), reinterpret_cast<void*>(&LoggedFlashWindowEx));
  return front > 0 && flash > 0;
}
