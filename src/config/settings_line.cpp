#include "config/settings_line.h"

#include <cstdint>
#include <cstring>

#include "common/two_byte_text.h"
#include "config/settings_keys.h"

namespace {

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Reads one element at text as the scan formats do: leading white space skipped, an optional
// sign, then decimal digits ("%d") or at most `digits` hexadecimal digits, the sign counting
// toward the width. False when no digit is found. Values are clamped far outside every row's
// range, so a long run of digits cannot overflow.
bool ReadElement(const char* text, bool hex, int digits, long& value) {
  while (IsSpace(*text)) ++text;
  int left = hex ? digits : 1 << 30;
  bool negative = false;
  if ((*text == '+' || *text == '-') && left > 1) {
    negative = *text == '-';
    ++text;
    --left;
  }
  long v = 0;
  int n = 0;
  for (; left > 0; --left, ++text) {
    const int d = hex ? HexDigit(*text) : (*text >= '0' && *text <= '9' ? *text - '0' : -1);
    if (d < 0) break;
    v = v * (hex ? 16 : 10) + d;
    if (v > 1000000) v = 1000000;
    ++n;
  }
  if (n == 0) return false;
  value = negative ? -v : v;
  return true;
}

void StoreElement(SettingsRecord& s, const SettingDescriptor& row, int j, long value) {
  auto* field = reinterpret_cast<unsigned char*>(&s) + row.offset;
  if (row.storage == 1) {
    field[j] = static_cast<std::uint8_t>(value);
  } else if (row.storage == 2) {
    const auto v = static_cast<std::uint16_t>(value);
    std::memcpy(field + sizeof(std::uint16_t) * static_cast<std::size_t>(j), &v, sizeof v);
  } else {
    const auto v = static_cast<std::int32_t>(value);
    std::memcpy(field + sizeof(std::int32_t) * static_cast<std::size_t>(j), &v, sizeof v);
  }
}

void ApplyText(SettingsRecord& s, const SettingDescriptor& row, const char* value) {
  if (*value == 0) return;  // an empty value leaves the field as it is
  // An over-long value is cut to the field, never inside a two-byte character.
  CopyTextCut(reinterpret_cast<char*>(&s) + row.offset, static_cast<std::size_t>(row.max), value);
}

// Element j starts at 2j or 4j and is read while that offset is inside the value. An element
// out of range, or not a number, ends the line; the elements before it stay.
void ApplyNumbers(SettingsRecord& s, const SettingDescriptor& row, const char* value) {
  const std::size_t length = std::strlen(value);
  const bool hex = row.format[1] != 'd';
  const int digits = row.width * 2;
  for (int j = 0; j < row.count; ++j) {
    const std::size_t at = static_cast<std::size_t>(j) * row.width * 2;
    if (at >= length) return;
    long v = 0;
    if (!ReadElement(value + at, hex, digits, v)) return;
    if (v < row.min || v > row.max) return;
    StoreElement(s, row, j, v);
  }
}

}  // namespace

void ApplySettingsLine(SettingsRecord& s, const char* line) {
  for (const SettingDescriptor* row = SettingDescriptors; row->key[0] != 0; ++row) {
    if (row->key[0] != line[0]) continue;  // spares most rows the full comparison
    const std::size_t keyLength = std::strlen(row->key);
    if (std::strncmp(line, row->key, keyLength) != 0) continue;
    const char* value = line + keyLength;
    if (IsTextRow(*row)) {
      ApplyText(s, *row, value);
    } else {
      ApplyNumbers(s, *row, value);
    }
    return;  // every key ends in "=", so no other row can match
  }
}
