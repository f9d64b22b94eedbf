#include "datalog/log_dialog_text.h"

#include <cstdint>
#include <cstring>

#include "keyout/keystrokes_bytes.h"

namespace {

// Length of the character that starts at text[i]: 2 for a two-byte character whose second
// byte is there, else 1.
std::size_t CharLength(const char* text, std::size_t i) {
  return IsTwoByteClass(static_cast<std::uint8_t>(text[i])) && text[i + 1] != 0 ? 2 : 1;
}

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
  for (std::size_t i = 0; text[i] != 0;) {
    const std::size_t n = CharLength(text, i);
    if (pos + n + 1 > size) break;
    std::memcpy(out + pos, text + i, n);
    pos += n;
    i += n;
  }
  out[pos] = 0;
  return pos;
}

}  // namespace

bool EndsWithBackslash(const char* text) {
  std::size_t i = 0;
  bool last = false;
  while (text[i] != 0) {
    last = text[i] == '\\';
    i += CharLength(text, i);
  }
  return last;
}

void DropTrailingBackslash(char* text) {
  if (EndsWithBackslash(text)) text[std::strlen(text) - 1] = 0;
}

void CopyTextCut(char* out, std::size_t size, const char* text) {
  if (size == 0) return;
  AppendCut(out, size, 0, text);
}

void BuildLogChooserPath(const char* folder, const char* name, char* out, std::size_t size) {
  if (size == 0) return;
  std::size_t pos = AppendCut(out, size, 0, folder);
  if (pos > 0 && !EndsWithBackslash(out)) pos = AppendCut(out, size, pos, "\\");
  pos = AppendCut(out, size, pos, name);
  if (EndsWithBackslash(out)) AppendCut(out, size, pos, "*.log");
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
    char* end = folder;
    std::size_t i = 0;
    while (i < before) {
      const std::size_t n = CharLength(path, i);
      if (static_cast<std::size_t>(end - folder) + n + 1 > folderSize) break;
      std::memcpy(end, path + i, n);
      end += n;
      i += n;
    }
    *end = 0;
  }
  CopyTextCut(name, nameSize, path + before + 1);
}
