// Received text into Shift_JIS: the JIS X 0208 arithmetic, and where the last complete UTF-8
// character of a read ends (what is held back for the next read).
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "framing/shift_jis_conversion.h"

namespace {

// ---- UTF-8 carry ------------------------------------------------------------------------------

struct Case {
  const char* what;
  std::vector<std::uint8_t> bytes;
  int complete;  // expected Utf8CompleteLength
};

const Case kCases[] = {
    {"nothing", {}, 0},
    {"ASCII", {0x41}, 1},
    {"a whole 3-byte character", {0x41, 0xE3, 0x81, 0x82}, 4},
    {"1 of 3 bytes", {0x41, 0xE3}, 1},
    {"2 of 3 bytes", {0x41, 0xE3, 0x81}, 1},
    {"1 of 2 bytes", {0xC3}, 0},
    {"a whole 2-byte character", {0xC3, 0xA9}, 2},
    {"1 of 4 bytes", {0xF0}, 0},
    {"2 of 4 bytes", {0xF0, 0x9F}, 0},
    {"3 of 4 bytes", {0x41, 0xF0, 0x9F, 0x98}, 1},
    {"a whole 4-byte character", {0xF0, 0x9F, 0x98, 0x80}, 4},
    {"a lead after a lead: only the second is held", {0xE3, 0xE3, 0x81}, 1},
    {"a stray continuation byte is not held", {0x41, 0x80}, 2},
    {"continuation bytes alone are not held", {0x80, 0x80, 0x80}, 3},
    {"one continuation too many is not held", {0xE3, 0x81, 0x82, 0x81}, 4},
    {"C0 never starts a character", {0x41, 0xC0}, 2},
    {"C1 never starts a character", {0xC1}, 1},
    {"F5 never starts a character", {0xF5}, 1},
    {"FF never starts a character", {0x41, 0xFF}, 2},
    {"E0 80 is overlong", {0xE0, 0x80}, 2},
    {"E0 A0 may still complete", {0xE0, 0xA0}, 0},
    {"ED A0 is a surrogate", {0xED, 0xA0}, 2},
    {"ED 9F may still complete", {0xED, 0x9F}, 0},
    {"F0 8F is overlong", {0xF0, 0x8F}, 2},
    {"F4 90 is above U+10FFFF", {0xF4, 0x90, 0x80}, 3},
    {"F4 8F may still complete", {0xF4, 0x8F, 0xBF}, 0},
    {"a NUL byte ends a held lead", {0xE3, 0x00}, 2},
    {"a NUL byte between lead and continuation", {0xE3, 0x00, 0x81}, 3},
    {"a NUL byte before a lead", {0x00, 0xE3, 0x81}, 1},
};

TEST(Utf8CompleteLength, HoldsBackOnlyACharacterThatMoreBytesCanComplete) {
  for (const Case& c : kCases) {
    EXPECT_EQ(Utf8CompleteLength(c.bytes.data(), static_cast<int>(c.bytes.size())), c.complete)
        << c.what;
  }
}

// ---- JIS X 0208 arithmetic --------------------------------------------------------------------

TEST(JisX0208, KnownCodes) {
  EXPECT_EQ(JisToShiftJis(0x21, 0x21), 0x8140);  // ideographic space
  EXPECT_EQ(JisToShiftJis(0x24, 0x22), 0x82A0);  // あ
  EXPECT_EQ(JisToShiftJis(0x30, 0x21), 0x889F);  // 亜
  EXPECT_EQ(JisToShiftJis(0x21, 0x60), 0x8180);  // odd row: the trail byte skips 0x7F
  EXPECT_EQ(JisToShiftJis(0x5E, 0x7E), 0x9FFC);
  EXPECT_EQ(JisToShiftJis(0x5F, 0x21), 0xE040);  // lead bytes skip the kana range
  EXPECT_EQ(JisToShiftJis(0x74, 0x26), 0xEAA4);  // 熙
  EXPECT_EQ(JisToShiftJis(0x7E, 0x7E), 0xEFFC);
}

TEST(JisX0208, OutsideTheRowCellRangeThereIsNoConversion) {
  for (unsigned x : {0x00u, 0x20u, 0x7Fu, 0x80u, 0xA1u}) {
    EXPECT_EQ(JisToShiftJis(static_cast<std::uint8_t>(x), 0x30), 0) << x;
    EXPECT_EQ(JisToShiftJis(0x30, static_cast<std::uint8_t>(x)), 0) << x;
  }
}

TEST(JisX0208, EveryCodeMapsToADistinctTwoByteShiftJisCode) {
  std::set<unsigned> seen;
  for (unsigned hi = 0x21; hi <= 0x7E; ++hi) {
    for (unsigned lo = 0x21; lo <= 0x7E; ++lo) {
      const unsigned sj = JisToShiftJis(static_cast<std::uint8_t>(hi), static_cast<std::uint8_t>(lo));
      const unsigned lead = sj >> 8, trail = sj & 0xFF;
      ASSERT_TRUE((lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xEF)) << std::hex << sj;
      ASSERT_TRUE(trail >= 0x40 && trail <= 0xFC && trail != 0x7F) << std::hex << sj;
      ASSERT_TRUE(seen.insert(sj).second) << std::hex << sj;
    }
  }
  EXPECT_EQ(seen.size(), 94u * 94u);
}

}  // namespace
