// Code page 932 texts to and from UTF-16 for the wide-character window calls: 932 named, cut
// only at whole characters, never past the buffer.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/wide_text_win32.h"

namespace {

constexpr char kText[] = "A\x88\x9f\xb1\x88\x9f";  // A 亜 ｱ 亜

TEST(WideText, ConvertsWithCodePage932AndCutsAtWholeCharacters) {
  wchar_t out[8];
  EXPECT_EQ(Cp932ToWide(kText, out, 8), 4);
  EXPECT_EQ(std::wstring(out), std::wstring(L"A\u4E9C\uFF71\u4E9C"));
  wchar_t small[5];
  small[4] = L'#';
  EXPECT_EQ(Cp932ToWide(kText, small, 4), 3);  // room for three units and the terminator
  EXPECT_EQ(std::wstring(small), std::wstring(L"A\u4E9C\uFF71"));
  EXPECT_EQ(small[4], L'#') << "written past the buffer";
}

TEST(WideText, BackToCodePage932NeverHalfACharacter) {
  char out[16];
  WideToCp932(L"A\u4E9C\uFF71\u4E9C", out, sizeof out);
  EXPECT_STREQ(out, kText);
  char small[5] = {0, 0, 0, 0, '#'};
  WideToCp932(L"A\uFF71\u4E9C", small, 4);  // 亜 would need bytes 3 and 4
  EXPECT_STREQ(small, "A\xb1");
  EXPECT_EQ(small[4], '#') << "written past the buffer";
}

TEST(WideText, EditPositionsBecomeByteOffsets) {
  const wchar_t* text = L"A\u4E9C\uFF71\u4E9C";
  EXPECT_EQ(Cp932Length(text, 0), 0);
  EXPECT_EQ(Cp932Length(text, 2), 3);
  EXPECT_EQ(Cp932Length(text, 3), 4);
  EXPECT_EQ(Cp932Length(text, 99), 6);  // a position past the end stops at the terminator
}

}  // namespace
