// The frame pattern on code page 932 texts with the system's conversion (932 named): a kanji
// or a half-width kana is one character to the pattern and comes back as its own bytes.
#include <gtest/gtest.h>

#include "reception/frame_text_shaping.h"
#include "reception/text_codec_win32.h"

namespace {

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
    EXPECT_EQ(PreviewFramePattern(row.pattern, row.sample, kCp932Codec, out, sizeof out),
              PatternPreview::Result);
    EXPECT_STREQ(out, row.expected);
  }
}

}  // namespace
