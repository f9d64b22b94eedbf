// POSIX implementation of the settings file's platform calls; the Win32 build uses
// settings_fs_win32.cpp instead (CMake picks one by the file name's ending).
#include "config/settings_fs.h"

#include <sys/stat.h>

#include <cstdio>

bool ReplaceFileWith(const char* source, const char* target) { return std::rename(source, target) == 0; }

bool MakeDirectory(const char* path) { return mkdir(path, 0777) == 0; }
