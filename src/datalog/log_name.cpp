#include "datalog/log_name.h"

#include <cstdio>
#include <cstring>

#include "common/two_byte_text.h"

namespace {

// The number a code letter stands for, or -1 when the letter is no code.
int CodeValue(char letter, const LocalTime& t) {
  switch (letter) {
    case 'Y': return t.year;
    case 'y': return t.year % 100;
    case 'M': return t.month;
    case 'D': return t.day;
    case 'h': return t.hour;
    case 'm': return t.minute;
    case 's': return t.second;
    default: return -1;
  }
}

// Appends `text` at out[pos], never beyond `limit` characters; returns the new position.
int AppendCut(char* out, int pos, int limit, const char* text) {
  while (*text != 0 && pos < limit) out[pos++] = *text++;
  return pos;
}

}  // namespace

void ExpandLogName(const char* templ, char* out, int size, const LocalTime& time) {
  if (size <= 0) return;
  std::memset(out, 0, static_cast<std::size_t>(size));
  const int limit = size - 1;
  int pos = 0;
  for (const char* p = templ; *p != 0 && pos < limit; ++p) {
    if (IsTwoByteClass(static_cast<unsigned char>(*p)) && p[1] != 0) {
      if (pos + 2 > limit) break;  // a cut never leaves half a character behind
      out[pos++] = *p++;
      out[pos++] = *p;
      continue;
    }
    if (*p != '&') {
      out[pos++] = *p;
      continue;
    }
    const int value = CodeValue(p[1], time);
    if (value < 0) continue;  // stray ampersand: dropped, the next character is read as usual
    char number[16];
    std::snprintf(number, sizeof number, p[1] == 'Y' ? "%04d" : "%02d", value);
    pos = AppendCut(out, pos, limit, number);
    ++p;
  }
}

void ExpandLogName(const char* templ, char* out, int size, LogClock& clock) {
  const LocalTime now = clock.Now();
  ExpandLogName(templ, out, size, now);
}

int CheckLogName(const char* name) {
  static const char kForbidden[] = "\\$/:,;*?\"<>|";
  for (const char* p = name; *p != 0; ++p) {
    const unsigned char b = static_cast<unsigned char>(*p);
    if (IsTwoByteClass(b)) {
      if (p[1] == 0) break;
      ++p;  // the second byte of a two-byte character is part of that character
      continue;
    }
    if (std::strchr(kForbidden, *p) != nullptr) return -1;
    if (*p == '&') {
      if (p[1] == 0 || std::strchr("DMYhmy", p[1]) == nullptr) return -1;
      ++p;
    }
  }
  return 0;
}
