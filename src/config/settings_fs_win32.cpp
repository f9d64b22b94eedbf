#include <windows.h>

#include "config/settings_fs.h"

bool ReplaceFileWith(const char* source, const char* target) {
  // MOVEFILE_WRITE_THROUGH: the call returns once the replacement is on disk.
  return MoveFileExA(source, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool MakeDirectory(const char* path) { return CreateDirectoryA(path, nullptr) != 0; }
