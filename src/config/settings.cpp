#include "config/settings.h"

#include <cstring>
#include <type_traits>

#include "common/text_rules.h"
#include "common/two_byte_text.h"

SettingsRecord Settings;

void SetDefaultSettings(SettingsRecord& s) {
  std::memset(&s, 0, sizeof s);
  s.BITS = 1;
  s.DATADELAY = 50;
  s.DATAWAIT = 10;
  s.SENDDELAY = 10;
  s.LOGOPENMD = 1;
  s.LOGFLSIZE = 10;
  s.LOGDSPMSG = 1;
  s.LOGABORT = 1;
  s.LOGNAME = 1;
  s.LOGADDENT = 1;
  s.TARGETWAIT = 30;
  s.IMEOFF = 1;
  s.TCPPORT = 4001;
}

namespace {

// ---- the field of a row, by its member's type ------------------------------------------------

template <class T>
constexpr bool kIsText = std::is_array_v<T> && std::is_same_v<std::remove_extent_t<T>, char>;

// Calls text(chars, size) for a text field, else numbers(elements, count) with the field's
// number elements (the terminator of an array is not among them).
template <class Record, class Text, class Numbers>
void VisitField(Record& s, const SettingField& row, Text text, Numbers numbers) {
  std::visit(
      [&](auto member) {
        auto& field = s.*member;
        using T = std::remove_cvref_t<decltype(field)>;
        if constexpr (kIsText<T>) {
          text(field, sizeof field);
        } else if constexpr (std::is_array_v<T>) {
          numbers(field, static_cast<int>(std::extent_v<T>) - 1);
        } else {
          numbers(&field, 1);
        }
      },
      row.member);
}

// Digits of one element in hexadecimal: two per byte, of at most 16 bits (a 32-bit field, the
// log size limit, is carried as one 16-bit element).
template <class E>
constexpr int kHexDigits = sizeof(E) == 1 ? 2 : 4;

// ---- reading -------------------------------------------------------------------------------

// Reads one element at text as the scan formats do: leading white space skipped, an optional
// sign, then decimal digits ("%d") or at most `digits` hexadecimal digits, the sign counting
// toward the width. False when no digit is found. Values are held far outside every row's
// range, so a long run of digits cannot overflow.
bool ReadElement(const char* text, bool hex, int digits, long& value) {
  while (IsBlank(*text, Blanks::Scan)) ++text;
  const std::size_t width = hex ? static_cast<std::size_t>(digits) : kToTheEnd;
  const NumberRead r = ReadNumber(text, width, 1000000, Sign::Allowed, hex ? 16 : 10);
  if (r.status == NumberStatus::NoDigits) return false;
  value = r.negative ? -r.value : r.value;
  return true;
}

// Element j starts at its number of digits times j and is read while that offset is inside the
// value. An element out of range, or not a number, ends the line; the elements before it stay.
template <class E>
void ApplyNumbers(const SettingField& row, const char* value, E* elements, int count) {
  const std::size_t length = std::strlen(value);
  const bool hex = row.notation == Notation::Hex;
  for (int j = 0; j < count; ++j) {
    const std::size_t at = static_cast<std::size_t>(j) * kHexDigits<E>;
    if (at >= length) return;
    long v = 0;
    if (!ReadElement(value + at, hex, kHexDigits<E>, v)) return;
    if (v < row.min || v > row.max) return;
    elements[j] = static_cast<E>(v);
  }
}

void ApplyText(char* field, std::size_t size, const char* value) {
  if (*value == 0) return;  // an empty value leaves the field as it is
  // An over-long value is cut to the field, never inside a two-byte character.
  CopyTextCut(field, size, value);
}

// Removes the line end: an LF and a CR before it (or a CR alone at the end of a piece).
void StripLineEnd(char* line) {
  std::size_t n = std::strlen(line);
  if (n > 0 && line[n - 1] == '\n') line[--n] = 0;
  if (n > 0 && line[n - 1] == '\r') line[--n] = 0;
}

consteval bool EveryKeyFitsItsRoom() {
  for (const SettingField& row : kSettingFields) {
    int n = 0;
    while (row.key[n] != 0) ++n;
    if (n > kSettingsKeyMax) return false;
  }
  return true;
}
static_assert(EveryKeyFitsItsRoom(), "a line must hold every key with the longest value");

// Reads one line, its LF included, into line (kSettingsLineMax + 1 bytes): at most
// kSettingsLineMax characters of it, the rest skipped. A line is never cut inside a value's
// room, so a value is cut to its field only, at a character boundary. False at the end of the
// file.
bool ReadSettingsLine(std::FILE* f, char* line) {
  int n = 0;
  int c = std::getc(f);
  if (c == EOF) return false;
  for (; c != EOF; c = std::getc(f)) {
    if (n < kSettingsLineMax) line[n++] = static_cast<char>(c);
    if (c == '\n') break;
  }
  line[n] = 0;
  return true;
}

// ---- writing -------------------------------------------------------------------------------

// Appends text to out[0..size) at *used, keeping the terminator; false when it does not fit.
bool Append(char* out, int size, int* used, const char* text) {
  const int n = static_cast<int>(std::strlen(text));
  if (*used + n + 1 > size) return false;
  std::memcpy(out + *used, text, static_cast<std::size_t>(n) + 1);
  *used += n;
  return true;
}

// The value the file carries for an element: its low 8 or 16 bits, without sign.
template <class E>
unsigned FileValue(E element) {
  const auto bits = static_cast<unsigned>(static_cast<std::make_unsigned_t<E>>(element));
  return bits & (sizeof(E) == 1 ? 0xFFu : 0xFFFFu);
}

bool AppendRow(const SettingsRecord& s, const SettingField& row, char* out, int size, int* used) {
  if (!Append(out, size, used, row.key)) return false;
  bool fits = true;
  VisitField(
      s, row,
      [&](const char* field, std::size_t fieldSize) {
        // Copy within the field so a field without its terminator cannot be overread.
        char text[kLogFolderSize];
        const std::size_t room = fieldSize - 1;
        const void* end = std::memchr(field, 0, room);
        const std::size_t n = end ? static_cast<std::size_t>(static_cast<const char*>(end) - field) : room;
        std::memcpy(text, field, n);
        text[n] = 0;
        fits = Append(out, size, used, text);
      },
      [&](const auto* elements, int count) {
        using E = std::remove_cvref_t<decltype(*elements)>;
        for (int j = 0; j < count && fits; ++j) {
          char number[16];
          if (row.notation == Notation::Hex) {
            std::snprintf(number, sizeof number, "%0*X", kHexDigits<E>, FileValue(elements[j]));
          } else {
            std::snprintf(number, sizeof number, "%u", FileValue(elements[j]));
          }
          fits = Append(out, size, used, number);
        }
      });
  return fits && Append(out, size, used, "\r\n");
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

void ApplySettingsLine(SettingsRecord& s, const char* line) {
  for (const SettingField& row : kSettingFields) {
    if (row.key[0] != line[0]) continue;  // spares most rows the full comparison
    const std::size_t keyLength = std::strlen(row.key);
    if (std::strncmp(line, row.key, keyLength) != 0) continue;
    const char* value = line + keyLength;
    VisitField(
        s, row, [value](char* field, std::size_t size) { ApplyText(field, size, value); },
        [&row, value](auto* elements, int count) { ApplyNumbers(row, value, elements, count); });
    return;  // every key ends in "=", so no other row can match
  }
}

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
  while (ReadSettingsLine(f, line)) {
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
  for (const SettingField& row : kSettingFields) {
    if (!AppendRow(s, row, out, size, &used)) break;
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
