// The common file dialog, open or save (file_chooser_win32.cpp).
#pragma once
#include <windows.h>

#include <cstddef>

// The chooser's path buffer: room for 1023 characters and the terminator.
inline constexpr std::size_t kChooserPathSize = 1024;

// Runs the open (mode 0) or save (mode 1) dialog owned by owner. filter is a list of
// description/pattern pairs ending with an empty string; defaultExt may be null. buffer
// (kChooserPathSize bytes) is the starting point and receives the choice; nonzero when a file
// was confirmed.
int RunFileChooser(int mode, HWND owner, const char* filter, const char* defaultExt, char* buffer);
