// The program's text conversions with the system's code-page services, code page 932 named:
// received UTF-8 into Shift_JIS, and the frame pattern on code page 932 texts, to which a kanji
// or a half-width kana is one character that comes back as its own bytes.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framing/shift_jis_conversion.h"
#include "shaping/frame_shaper.h"
#include "shaping/pattern_presets.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Convert(const Bytes& src, int capacity = 4097) {
  std::vector<std::uint8_t> dst(static_cast<std::size_t>(capacity) + 16, 0xCC);  // canary after
  const int n = Utf8ToShiftJis(src.data(), static_cast<int>(src.size()), dst.data(), capacity);
  EXPECT_GE(n, 0);
  EXPECT_LT(n, capacity);
  EXPECT_EQ(dst[static_cast<std::size_t>(n)], 0) << "terminator";
  for (std::size_t i = static_cast<std::size_t>(capacity); i < dst.size(); ++i) {
    EXPECT_EQ(dst[i], 0xCC) << "written past the destination at " << i;
  }
  return Bytes(dst.begin(), dst.begin() + n);
}

// What code page 932 makes of U+FFFD, the character that broken UTF-8 becomes.
Bytes Replacement() {
  const wchar_t fffd[] = {0xFFFD};
  char out[8] = {};
  const int n = WideCharToMultiByte(932, 0, fffd, 1, out, sizeof out, nullptr, nullptr);
  return Bytes(out, out + (n > 0 ? n : 0));
}

TEST(Utf8ToShiftJis, AsciiPassesUnchangedWithTheSameCount) {
  const std::string text = "Tamblix 0123 ~!";
  const Bytes src(text.begin(), text.end());
  EXPECT_EQ(Convert(src), src);
}

TEST(Utf8ToShiftJis, AKanjiOfThreeBytesBecomesTwoShiftJisBytes) {
  EXPECT_EQ(Convert({0xE3, 0x81, 0x82}), (Bytes{0x82, 0xA0}));              // あ
  EXPECT_EQ(Convert({0xE4, 0xBA, 0x9C, 0x41}), (Bytes{0x88, 0x9F, 0x41}));  // 亜 A
}

TEST(Utf8ToShiftJis, HalfWidthKatakanaBecomesOneByte) {
  EXPECT_EQ(Convert({0xEF, 0xBD, 0xB1}), (Bytes{0xB1}));  // ｱ
}

// A sequence cut short, and a stray continuation byte, each become one replacement; the text
// around them is kept (a conversion that refused invalid input would lose the whole piece).
TEST(Utf8ToShiftJis, InvalidBytesBecomeReplacementsAndTheRestIsKept) {
  const Bytes repl = Replacement();
  ASSERT_FALSE(repl.empty());
  Bytes expected = {0x41};
  expected.insert(expected.end(), repl.begin(), repl.end());
  expected.push_back(0x42);
  EXPECT_EQ(Convert({0x41, 0xE3, 0x81, 0x42}), expected);
  EXPECT_EQ(Convert({0x41, 0x82, 0x42}), expected);
}

// U+1F600 (four bytes, a surrogate pair in UTF-16) comes out as U+0E01, which code page 932
// lacks too, does: as the code page's default character, once.
TEST(Utf8ToShiftJis, AFourByteCharacterIsLikeAnyCharacterTheCodePageLacks) {
  const Bytes lacking = Convert({0x41, 0xE0, 0xB8, 0x81, 0x42});
  ASSERT_EQ(lacking.size(), 3u);
  EXPECT_EQ(Convert({0x41, 0xF0, 0x9F, 0x98, 0x80, 0x42}), lacking);
}

TEST(Utf8ToShiftJis, NulBytesAreConvertedInPlaceAndTheRestIsKept) {
  EXPECT_EQ(Convert({0x41, 0x00, 0xE3, 0x81, 0x82}), (Bytes{0x41, 0x00, 0x82, 0xA0}));
}

// The largest piece the reader's blocks give: carried bytes and a full read, 2048 bytes.
TEST(Utf8ToShiftJis, AFullPieceIsConvertedWhole) {
  Bytes src;
  for (int i = 0; i < 682; ++i) src.insert(src.end(), {0xE3, 0x81, 0x82});  // 2046 bytes
  src.insert(src.end(), {0x41, 0x42});
  ASSERT_EQ(src.size(), static_cast<std::size_t>(kUtf8WorkUnits));
  const Bytes out = Convert(src);
  ASSERT_EQ(out.size(), 682u * 2 + 2);
  EXPECT_EQ(out[1362], 0x82);
  EXPECT_EQ(out[1363], 0xA0);
  EXPECT_EQ(out[1364], 0x41);
  EXPECT_EQ(out[1365], 0x42);
}

TEST(TextCodecWin32, PatternsSeeWholeCharactersAndGiveBackTheirBytes) {
  const struct {
    const char* pattern;
    const char* sample;
    const char* expected;
  } rows[] = {
      {"^.(.)", "亜表A", "表"},      // 表 ends in 0x5C, the byte of a backslash
      {"(\\d+)個", "合計12個", "12"},  // a kanji in the pattern
      {"^(.{2})", "ｱｲｳ", "ｱｲ"},
      {"[ぁ-ん]+", "カナかなカナ", "かな"},
  };
  char out[32];
  for (const auto& row : rows) {
    EXPECT_EQ(PreviewFramePattern(row.pattern, "", row.sample, kCp932Codec, out, sizeof out),
              PatternPreview::Result);
    EXPECT_STREQ(out, row.expected);
  }
}

}  // namespace
