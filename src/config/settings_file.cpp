#include "config/settings_file.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "common/two_byte_text.h"
#include "config/settings_fs.h"
#include "config/settings_keys.h"
#include "config/settings_line.h"

namespace {

// Removes the line end: an LF and a CR before it (or a CR alone at the end of a piece).
void StripLineEnd(char* line) {
  std::size_t n = std::strlen(line);
  if (n > 0 && line[n - 1] == '\n') line[--n] = 0;
  if (n > 0 && line[n - 1] == '\r') line[--n] = 0;
}

// A full piece of an over-long line ends at a character boundary: a first byte whose second
// byte lies in the next piece is dropped, so that no value keeps half a two-byte character.
void EndPieceAtCharacter(char* piece) {
  const std::size_t n = std::strlen(piece);
  if (n < static_cast<std::size_t>(kSettingsLineMax) || piece[n - 1] == '\n') return;
  std::size_t last = 0;
  for (std::size_t i = 0; piece[i] != 0; i += CharLength(piece, i)) last = i;
  if (last == n - 1 && IsTwoByteClass(static_cast<std::uint8_t>(piece[last]))) piece[last] = 0;
}

// Appends text to out[0..size) at *used, keeping the terminator; false when it does not fit.
bool Append(char* out, int size, int* used, const char* text) {
  const int n = static_cast<int>(std::strlen(text));
  if (*used + n + 1 > size) return false;
  std::memcpy(out + *used, text, static_cast<std::size_t>(n) + 1);
  *used += n;
  return true;
}

unsigned ElementValue(const SettingsRecord& s, const SettingDescriptor& row, int j) {
  const auto* field = reinterpret_cast<const unsigned char*>(&s) + row.offset;
  if (row.storage == 1) return field[j];
  if (row.storage == 2) {
    std::uint16_t v;
    std::memcpy(&v, field + sizeof(std::uint16_t) * static_cast<std::size_t>(j), sizeof v);
    return v;
  }
  std::int32_t v;
  std::memcpy(&v, field + sizeof(std::int32_t) * static_cast<std::size_t>(j), sizeof v);
  return static_cast<unsigned>(v) & 0xFFFFu;  // the file carries 16 bits
}

bool AppendRow(const SettingsRecord& s, const SettingDescriptor& row, char* out, int size, int* used) {
  if (!Append(out, size, used, row.key)) return false;
  if (IsTextRow(row)) {
    char text[kLogFolderSize];
    const char* field = reinterpret_cast<const char*>(&s) + row.offset;
    // Copy within the field so a field without its terminator cannot be overread.
    const auto room = static_cast<std::size_t>(row.max) - 1;
    const void* end = std::memchr(field, 0, room);
    const std::size_t n = end ? static_cast<std::size_t>(static_cast<const char*>(end) - field) : room;
    std::memcpy(text, field, n);
    text[n] = 0;
    if (!Append(out, size, used, text)) return false;
  } else {
    for (int j = 0; j < row.count; ++j) {
      char number[16];
      std::snprintf(number, sizeof number, row.format, ElementValue(s, row, j));
      if (!Append(out, size, used, number)) return false;
    }
  }
  return Append(out, size, used, "\r\n");
}

// Writes the record to a new file at path and closes it; true only when everything reached it.
bool WriteWholeFile(const char* path, const SettingsRecord& s) {
  std::FILE* f = std::fopen(path, "wb");
  if (f == nullptr) return false;
  const bool written = WriteSettingsStream(s, f);
  const bool closed = std::fclose(f) == 0;
  return written && closed;
}

}  // namespace

void ReadSettingsFile(SettingsRecord& s, const char* path) {
  SetDefaultSettings(s);
  if (path == nullptr || path[0] == 0) return;
  std::FILE* f = std::fopen(path, "rb");
  if (f == nullptr) return;
  ReadSettingsStream(s, f);
  std::fclose(f);
}

void ReadSettingsStream(SettingsRecord& s, std::FILE* f) {
  SetDefaultSettings(s);
  char line[kSettingsLineMax + 1];
  while (std::fgets(line, sizeof line, f) != nullptr) {
    EndPieceAtCharacter(line);
    StripLineEnd(line);
    ApplySettingsLine(s, line);
  }
}

bool WriteSettingsStream(const SettingsRecord& s, std::FILE* f) {
  char text[kSettingsTextSize];
  const int length = FormatSettingsText(s, text, sizeof text);
  const auto size = static_cast<std::size_t>(length);
  return std::fwrite(text, 1, size, f) == size;
}

int FormatSettingsText(const SettingsRecord& s, char* out, int size) {
  int used = 0;
  if (size <= 0) return 0;
  out[0] = 0;
  char header[64];
  std::snprintf(header, sizeof header, "[%s]%s", kProductVersion, "\r\n");
  if (!Append(out, size, &used, header)) return used;
  for (const SettingDescriptor* row = SettingDescriptors; row->key[0] != 0; ++row) {
    if (!AppendRow(s, *row, out, size, &used)) break;
  }
  return used;
}

bool WriteSettingsFile(const SettingsRecord& s, const char* path) {
  if (path == nullptr || path[0] == 0) return false;
  char temp[kSettingsPathSize + 8];
  if (std::snprintf(temp, sizeof temp, "%s.tmp", path) >= static_cast<int>(sizeof temp)) return false;
  if (!WriteWholeFile(temp, s) || !ReplaceFileWith(temp, path)) {
    std::remove(temp);  // the target was never touched
    return false;
  }
  return true;
}
