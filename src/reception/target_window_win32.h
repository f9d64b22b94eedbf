// The windows that TARGET entries are matched against, as the system shows them: the program
// file name and the title of a window, the top-level windows a user can switch to, the most
// recently active one an entry names, and bringing a window to the front.
#pragma once
#include <windows.h>

// A program file name: the file name part of the image path, at most 255 UTF-16 units.
inline constexpr int kProgramNameUnits = 256;
// A window title as far as it is read; longer titles are cut.
inline constexpr int kWindowTitleUnits = 512;

// What an entry is matched against, in code page 932 (two bytes per UTF-16 unit at most).
struct WindowIdentity {
  char program[kProgramNameUnits * 2];
  char title[kWindowTitleUnits * 2];
};

// The file name part ("EXCEL.EXE") of the image of the process that owns `window`; false (and
// an empty text) when it cannot be read, e.g. for a protected process.
bool ReadProgramName(HWND window, wchar_t* out, int capacity);
// The window's title; empty when it has none. A window of this process is asked with a time
// limit, so that a busy dialog thread does not hold the caller.
void ReadWindowTitle(HWND window, wchar_t* out, int capacity);
void ReadWindowIdentity(HWND window, WindowIdentity& out);
bool WindowIsTarget(HWND window, const char* targets);

// A top-level window a user can switch to: visible, not a tool window, not cloaked (a window
// of a suspended app, or of another virtual desktop), and not one of this program's.
bool IsUserWindow(HWND window);
// The first user window in z-order that an entry names, which is the most recently active one;
// null when none is open.
HWND FindTargetWindow(const char* targets);
// Restores `window` when it is minimised and asks for it to become the foreground window; true
// once it is in front, not minimised. Windows may refuse (SetForegroundWindow's rules); then
// false, at once or after kBringWaitMs. A set `stopEvent` ends the wait.
inline constexpr DWORD kBringWaitMs = 500;
bool BringToFront(HWND window, HANDLE stopEvent);
