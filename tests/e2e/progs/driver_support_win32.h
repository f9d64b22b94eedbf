// What the GUI drivers of the scenarios share: argument checks, finding a dialog by its
// caption, reading a window's text without hanging on a busy program, and the wall clock.
#pragma once
#include <windows.h>

#include <cstdio>

// True when argv holds n arguments after position i; otherwise says so.
inline bool NeedArgs(int argc, int i, int n) {
  if (i + n < argc) return true;
  std::printf("error missing arguments\n");
  return false;
}

// Waits up to secs seconds until a dialog with this caption exists (present) or no longer
// does; dialog is the one found (nullptr once gone).
inline bool WaitForDialog(const char* caption, int secs, bool present, HWND& dialog) {
  for (int i = 0; i < secs * 10; ++i) {
    dialog = FindWindowA("#32770", caption);
    if ((dialog != nullptr) == present) return true;
    Sleep(100);
  }
  return false;
}

// The window's text (code page 932 bytes); empty when the program does not answer in 5 s.
inline void ReadWindowText(HWND w, char* out, int size) {
  out[0] = 0;
  SendMessageTimeoutA(w, WM_GETTEXT, static_cast<WPARAM>(size), reinterpret_cast<LPARAM>(out),
                      SMTO_ABORTIFHUNG, 5000, nullptr);
}

// Milliseconds since 1970 (UTC), the clock the keyboard probe stamps its key events with.
inline unsigned long long WallClockMs() {
  FILETIME ft;
  GetSystemTimeAsFileTime(&ft);
  const unsigned long long ticks =
      (static_cast<unsigned long long>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  return ticks / 10000ULL - 11644473600000ULL;
}
