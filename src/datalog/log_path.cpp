#include "datalog/log_path.h"

#include <sys/stat.h>
#include <sys/types.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "common/two_byte_text.h"

namespace {

bool IsTrailingSeparator(char c) {
#ifdef _WIN32
  return c == '\\';
#else
  return c == '\\' || c == '/';
#endif
}

// Length of `folder` without its one trailing separator. The text is walked character by
// character so that the second byte of a two-byte character (0x5C in 表) is not cut off.
std::size_t FolderLengthWithoutSeparator(const char* folder) {
  std::size_t length = 0;
  std::size_t lastCharStart = 0;
  bool lastIsSingle = false;
  while (folder[length] != 0) {
    lastCharStart = length;
    const bool twoByte =
        IsTwoByteClass(static_cast<unsigned char>(folder[length])) && folder[length + 1] != 0;
    lastIsSingle = !twoByte;
    length += twoByte ? 2 : 1;
  }
  if (length > 0 && lastIsSingle && IsTrailingSeparator(folder[lastCharStart])) return lastCharStart;
  return length;
}

// The file status through the narrow CRT call (code page 932 paths, not converted by the
// standard library); false when the path cannot be examined.
struct PathStatus {
  bool isFolder;
  std::int64_t size;
};

bool QueryPath(const char* path, PathStatus& status) {
#ifdef _WIN32
  // The Microsoft runtime refuses a folder path ending in a backslash ("C:\logs\", which an
  // empty file name gives); the file system's attributes do not. Query it without that
  // backslash, except for a root ("\", "C:\"), which needs it.
  char trimmed[kLogPathSize + 64];
  const std::size_t length = std::strlen(path);
  const std::size_t kept = FolderLengthWithoutSeparator(path);
  const bool isRoot = kept == 0 || (kept == 2 && path[1] == ':');
  if (kept < length && !isRoot && kept < sizeof trimmed) {
    std::memcpy(trimmed, path, kept);
    trimmed[kept] = 0;
    path = trimmed;
  }
  struct _stati64 st;
  if (_stati64(path, &st) != 0) return false;
  status.isFolder = (st.st_mode & _S_IFMT) == _S_IFDIR;
#else
  struct stat st;
  if (stat(path, &st) != 0) return false;
  status.isFolder = S_ISDIR(st.st_mode);
#endif
  status.size = static_cast<std::int64_t>(st.st_size);
  return true;
}

}  // namespace

void BuildLogPath(const char* folder, const char* name, char* out) {
  const int folderLength = static_cast<int>(FolderLengthWithoutSeparator(folder));
  std::snprintf(out, kLogPathSize, "%.*s%c%s", folderLength, folder, kLogPathSeparator, name);
}

int CheckNotFolder(const char* path) {
  PathStatus st{};
  if (!QueryPath(path, st)) return -1;
  return st.isFolder ? 0 : 1;
}

int FileSizeMB(const char* path) {
  PathStatus st{};
  if (!QueryPath(path, st) || st.isFolder) return -1;
  const std::int64_t mb = st.size / 1048576;
  return mb > INT_MAX ? INT_MAX : static_cast<int>(mb);
}
