// Paths of the log file: how the writer joins folder and name, and the two probes of the file
// system it and the log settings dialog use. Paths are narrow code page 932 strings.
#pragma once

#include "datalog/log_name.h"

// The full path: a folder of 1024 characters, a separator, a name of 49, and the terminator.
inline constexpr int kLogPathSize = 1024 + 1 + (kLogNameSize - 1) + 1;

// The separator the writer puts between folder and name. The program (Windows) uses the
// backslash. Elsewhere the core is only built for its unit tests, where a backslash would be
// an ordinary file name character, so '/' is used there.
#ifdef _WIN32
inline constexpr char kLogPathSeparator = '\\';
#else
inline constexpr char kLogPathSeparator = '/';
#endif

// Writes folder + separator + name into `out` (kLogPathSize bytes, cut to fit). One trailing
// separator of the folder is dropped first, so "C:\logs\" and "C:\logs" give the same path;
// an empty folder gives the separator and the name. On Windows only a backslash counts as
// trailing separator (and a 0x5C that is the second byte of a two-byte character does not);
// elsewhere a backslash and '/' both do.
void BuildLogPath(const char* folder, const char* name, char* out);

// 0 when the path names an existing folder, 1 when it names something else that exists, -1
// when it cannot be examined (it does not exist). Does not open the file.
int CheckNotFolder(const char* path);

// The size of an existing file in whole megabytes of 1048576 bytes, rounded down, from its
// 64-bit size (files of 2 GiB and more included; capped at the largest int); -1 when the path
// does not exist or names a folder.
int FileSizeMB(const char* path);
