#include <gtest/gtest.h>

#include "common/text_rules.h"

namespace {

// The shared number reader's edges: no digits, the range's last value and one past it (held at
// max, every digit still read), the sign, the length, a NUL, the base; then the blank sets.
TEST(ReadNumber, EdgesOfTheRange) {
  struct Row { const char* text; std::size_t length; long max; Sign sign; int base; NumberStatus status; long value; bool negative; std::size_t used; };
  using N = NumberStatus;
  const std::size_t E = kToTheEnd;
  const Sign A = Sign::Allowed, O = Sign::None;
  const Row rows[] = {
      {"", E, 9, O, 10, N::NoDigits, 0, false, 0},   {"+", E, 9, A, 10, N::NoDigits, 0, false, 1},
      {"-7x", E, 9, A, 10, N::Number, 7, true, 2},   {"-7", E, 9, O, 10, N::NoDigits, 0, false, 0},
      {"2000", E, 2000, O, 10, N::Number, 2000, false, 4}, {"2001", E, 2000, O, 10, N::TooLarge, 2000, false, 4},
      {"99999999999999999999", E, 5, O, 10, N::TooLarge, 5, false, 20}, {"fF", E, 255, O, 16, N::Number, 255, false, 2},
      {"1G", E, 255, O, 16, N::Number, 1, false, 1}, {"123", 2, 999, O, 10, N::Number, 12, false, 2},
  };
  for (const Row& r : rows) {
    const NumberRead n = ReadNumber(r.text, r.length, r.max, r.sign, r.base);
    EXPECT_TRUE(n.status == r.status && n.value == r.value && n.negative == r.negative && n.used == r.used) << r.text;
  }
  EXPECT_TRUE(IsBlank('\t', Blanks::Word) && !IsBlank('\n', Blanks::Word) && IsBlank('\r', Blanks::Scan));
  EXPECT_TRUE(!IsBlank('\x0E', Blanks::Scan) && HexDigit(u'f') == 15 && HexDigit('g') < 0 && DecimalDigit('/') < 0);
}

}  // namespace
