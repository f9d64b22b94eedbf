#include <windows.h>
#include <shlobj.h>

#include <cstring>

#include "config/documents_folder.h"

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
