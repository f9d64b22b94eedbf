// Win32 implementation of the settings file's platform calls and the shell's documents folder;
// native builds use settings_posix.cpp instead.
#include <windows.h>
#include <shlobj.h>

#include <cstring>

#include "config/settings.h"
#include "config/settings_location.h"

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

namespace {

class ShellFolder final : public DocumentsFolder {
 public:
  bool Path(char* out, std::size_t size) override {
    char path[MAX_PATH] = {};
    // CSIDL_PERSONAL without CSIDL_FLAG_CREATE: the folder is not created for us.
    if (SHGetFolderPathA(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, path) != S_OK) return false;
    std::size_t n = std::strlen(path);
    if (n + 1 > size) return false;
    std::memcpy(out, path, n + 1);
    return true;
  }
};

}  // namespace

DocumentsFolder& ShellDocumentsFolder() {
  static ShellFolder folder;
  return folder;
}
