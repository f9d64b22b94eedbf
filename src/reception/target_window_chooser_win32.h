// The "選択..." action beside the TARGET edit: the open windows a frame could be typed into, as
// a menu at the cursor; the chosen window's program file name is the entry to add.
#pragma once
#include <windows.h>

// Shows a menu of the user windows that have a title ("title — PROGRAM.EXE", most recently
// active first; windows of this program are not listed) owned by `owner`. On a choice writes
// the window's program file name in code page 932 to `entry` (`size` bytes with the
// terminator, never half a two-byte character) and returns true; false when the menu was
// dismissed or no window was there to choose.
bool ChooseTargetEntry(HWND owner, char* entry, int size);
