// The file chooser of the log settings dialog (log_file_chooser_win32.cpp).
#pragma once
#include <cstddef>

// Chooser owned by the active window: mode 0 open, 1 save; filter is a list of
// description/pattern pairs ending with an empty string. path (size bytes) is the starting
// point and receives the choice; nonzero when a file was confirmed.
int ChooseFile(int mode, char* path, std::size_t size, const char* filter);
