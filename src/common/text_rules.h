// The small rules of reading a text, written once: which characters are blank, the value of a
// digit, and a number read from digits with an explicit range. Templates over the character
// type, so the same rule reads narrow texts and the UTF-16 units of a frame pattern.
#pragma once
#include <cstddef>

// Which characters a reader skips as blank.
enum class Blanks {
  Word,  // between the words of a command line or the entries of a list: space and tab
  Scan,  // where the C scan functions skip white space: space, tab, LF, VT, FF and CR
};

template <class C>
constexpr bool IsBlank(C c, Blanks set) {
  if (c == C(' ') || c == C('\t')) return true;
  return set == Blanks::Scan && c >= C('\n') && c <= C('\r');
}

// The value of a decimal digit, -1 for any other character.
template <class C>
constexpr int DecimalDigit(C c) {
  return c >= C('0') && c <= C('9') ? static_cast<int>(c - C('0')) : -1;
}

// The value of a hexadecimal digit (either case), -1 for any other character.
template <class C>
constexpr int HexDigit(C c) {
  if (c >= C('0') && c <= C('9')) return static_cast<int>(c - C('0'));
  if (c >= C('A') && c <= C('F')) return static_cast<int>(c - C('A')) + 10;
  if (c >= C('a') && c <= C('f')) return static_cast<int>(c - C('a')) + 10;
  return -1;
}

enum class NumberStatus {
  Number,    // at least one digit, the value at most `max`
  NoDigits,  // no digit after the optional sign; value 0
  TooLarge,  // more than `max`: value is held at max (the digits are still all read)
};

struct NumberRead {
  NumberStatus status = NumberStatus::NoDigits;
  long value = 0;         // the magnitude, 0..max; the sign is in `negative`
  bool negative = false;  // a "-" stood before the digits
  std::size_t used = 0;   // characters read: the sign and every digit of the run
};

// Whether a "+" or "-" may stand before the digits.
enum class Sign { None, Allowed };

// Reads the number at the start of text[0..length): an optional sign (when allowed), then the
// run of digits of `base` (10 or 16) up to the first other character or the end (a NUL ends
// the run too, so a terminated text may be given a larger length). The value never overflows:
// it is held at max (0 <= max, max * base within a long) once the digits pass it.
template <class C>
constexpr NumberRead ReadNumber(const C* text, std::size_t length, long max, Sign sign = Sign::None,
                                int base = 10) {
  NumberRead r;
  std::size_t i = 0;
  if (sign == Sign::Allowed && i < length && (text[i] == C('+') || text[i] == C('-'))) {
    r.negative = text[i++] == C('-');
  }
  bool digits = false;
  bool large = false;
  for (; i < length; ++i) {
    const int d = base == 16 ? HexDigit(text[i]) : DecimalDigit(text[i]);
    if (d < 0) break;
    digits = true;
    if (large) continue;
    r.value = r.value * base + d;
    if (r.value > max) {
      large = true;
      r.value = max;
    }
  }
  r.used = i;
  r.status = !digits ? NumberStatus::NoDigits : large ? NumberStatus::TooLarge : NumberStatus::Number;
  return r;
}

// A terminated text has no length to give: read it to its end.
inline constexpr std::size_t kToTheEnd = static_cast<std::size_t>(-1);
