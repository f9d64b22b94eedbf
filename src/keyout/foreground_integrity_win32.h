// The integrity levels of processes and windows, read from their access tokens, and whether the
// window in front is of a higher level than this process (keyout/integrity_level.h).
#pragma once
#include <windows.h>

#include <optional>

#include "keyout/integrity_level.h"

// The level of the process's primary token; none when it cannot be read.
std::optional<IntegrityLevel> ProcessIntegrityLevel(HANDLE process);
// The level of the process that created the window; none for no window or a process that
// cannot be opened or whose token cannot be read.
std::optional<IntegrityLevel> WindowIntegrityLevel(HWND window);
// The window's process is of a higher integrity level than this process, so the system drops
// our input to it.
bool WindowRefusesOurInput(HWND window);
// The same for the foreground window.
bool ForegroundOfHigherIntegrity();
