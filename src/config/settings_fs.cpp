// POSIX implementation; the Win32 build uses settings_fs_win32.cpp instead.
#ifndef _WIN32
#include "config/settings_fs.h"

#include <sys/stat.h>

#include <cstdio>

bool ReplaceFileWith(const char* source, const char* target) { return std::rename(source, target) == 0; }

bool MakeDirectory(const char* path) { return mkdir(path, 0777) == 0; }
#endif
