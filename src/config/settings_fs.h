// The two file-system calls the settings file needs beyond the C library, implemented for
// Win32 in settings_fs_win32.cpp and for POSIX systems in settings_fs.cpp.
#pragma once

// Replaces target by source in one step (the source name disappears). False on failure, in
// which case target is untouched.
bool ReplaceFileWith(const char* source, const char* target);

// Creates the folder path (its parent must exist). False when it could not be created,
// including when it exists already.
bool MakeDirectory(const char* path);
