#include <windows.h>

#include "config/settings_fs.h"

bool ReplaceFileWith(const char* source, const char* target) {
  // A read-only target is never replaced: a rename only needs the folder to be writable on some
  // file systems (Wine's on Linux among them), so the attribute is checked here, as writing the
  // file in place would have honoured it.
  const DWORD attributes = GetFileAttributesA(target);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    return false;
  }
  // MOVEFILE_WRITE_THROUGH: the call returns once the replacement is on disk.
  return MoveFileExA(source, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool MakeDirectory(const char* path) { return CreateDirectoryA(path, nullptr) != 0; }
