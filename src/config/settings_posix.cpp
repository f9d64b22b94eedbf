// POSIX implementation of the settings file's platform calls; the Win32 build uses
// settings_win32.cpp instead (CMake picks one by the file name's ending). Native builds have
// no documents folder of the shell: tests set one (SetDocumentsFolder).
#include <sys/stat.h>

#include <cstdio>

#include "config/settings.h"

bool ReplaceFileWith(const char* source, const char* target) { return std::rename(source, target) == 0; }

bool MakeDirectory(const char* path) { return mkdir(path, 0777) == 0; }
