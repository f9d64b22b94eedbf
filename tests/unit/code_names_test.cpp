#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "keyout/code_notation.h"

TEST(CharCodeNamesTable, PrintableCharactersAreThemselvesExceptTheParentheses) {
  EXPECT_STREQ(CharCodeNames[0x28], "( ");
  EXPECT_STREQ(CharCodeNames[0x29], " )");
  for (int c = 0x21; c <= 0x7E; ++c) {
    if (c == 0x28 || c == 0x29) continue;
    ASSERT_EQ(std::strlen(CharCodeNames[c]), 1u) << c;
    ASSERT_EQ(static_cast<unsigned char>(CharCodeNames[c][0]), c) << c;
  }
}

TEST(CharCodeNamesTable, HighBytesAreHexExceptTheHalfWidthKatakana) {
  for (int c = 0x80; c <= 0xFF; ++c) {
    if (c >= 0xA1 && c <= 0xDF) {
      ASSERT_EQ(std::strlen(CharCodeNames[c]), 1u) << c;
      ASSERT_EQ(static_cast<unsigned char>(CharCodeNames[c][0]), c) << c;
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "x%02X", c);
      ASSERT_STREQ(CharCodeNames[c], hex);
    }
  }
}

TEST(VirtualKeyNamesTable, ExactlyTheListedCodesHaveNames) {
  int named = 0;
  for (int c = 0; c < 256; ++c) named += VirtualKeyNames[c][0] != 0;
  EXPECT_EQ(named, 122);
  for (int c : {0x00, 0x05, 0x07, 0x0A, 0x0B, 0x0E, 0x0F, 0x16, 0x18, 0x1A, 0x1E, 0x1F, 0x3A, 0x40, 0x5E,
                0x88, 0x8F, 0x92, 0x9F, 0xA6, 0xFF}) {
    EXPECT_STREQ(VirtualKeyNames[c], "") << c;
  }
}

// The runs of keys whose names follow from their codes: digits, letters, keypad digits, F1-F24.
TEST(VirtualKeyNamesTable, NamedRunsFollowTheirCodes) {
  for (int i = 0; i <= 9; ++i) {
    EXPECT_EQ(std::string(VirtualKeyNames[0x30 + i]), std::string(1, static_cast<char>('0' + i)));
    EXPECT_EQ(std::string(VirtualKeyNames[0x60 + i]), "T" + std::to_string(i));
  }
  for (int i = 0; i < 26; ++i) EXPECT_EQ(std::string(VirtualKeyNames[0x41 + i]), std::string(1, static_cast<char>('A' + i)));
  for (int i = 1; i <= 24; ++i) EXPECT_EQ(std::string(VirtualKeyNames[0x6F + i]), "F" + std::to_string(i));
}
