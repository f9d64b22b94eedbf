#include "datalog/log_dialog_text.h"

#include <cstring>

namespace {

// Position of the last single-byte backslash, or -1 when there is none.
long LastBackslash(const char* text) {
  long last = -1;
  for (std::size_t i = 0; text[i] != 0; i += CharLength(text, i)) {
    if (text[i] == '\\') last = static_cast<long>(i);
  }
  return last;
}

// Appends as much of `text` as fits at out[pos] (never half a character); returns the end.
std::size_t AppendCut(char* out, std::size_t size, std::size_t pos, const char* text) {
  CopyTextCut(out + pos, size - pos, text);
  return pos + std::strlen(out + pos);
}

}  // namespace

void BuildLogChooserPath(const char* folder, const char* name, char* out, std::size_t size) {
  if (size == 0) return;
  std::size_t pos = AppendCut(out, size, 0, folder);
  if (pos > 0 && !EndsWithBackslash(out)) pos = AppendCut(out, size, pos, "\\");
  pos = AppendCut(out, size, pos, name);
  if (EndsWithBackslash(out)) AppendCut(out, size, pos, "*.log");
}

void ChooserStartPath(const char* path, char* out, std::size_t size) {
  CopyTextCut(out, size, path);
  if (size > 0) DropTrailingBackslash(out);
}

void SplitLogChooserPath(const char* path, char* folder, std::size_t folderSize, char* name,
                         std::size_t nameSize) {
  const long cut = LastBackslash(path);
  if (cut < 0) {
    CopyTextCut(folder, folderSize, "");
    CopyTextCut(name, nameSize, path);
    return;
  }
  const std::size_t before = static_cast<std::size_t>(cut);
  if (folderSize > 0) {
    // The folder part is the path up to the backslash, cut to its buffer as a whole text.
    const std::size_t n = CutLength(path, before < folderSize - 1 ? before : folderSize - 1);
    std::memcpy(folder, path, n);
    folder[n] = 0;
  }
  CopyTextCut(name, nameSize, path + before + 1);
}
