#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "datalog/log_writer.h"
#include "log_test_support.h"

namespace {

const LocalTime kMarch14{2008, 3, 14, 9, 30, 5};

std::string Expand(const char* templ, const LocalTime& t = kMarch14) {
  char out[kLogNameSize];
  ExpandLogName(templ, out, kLogNameSize, t);
  return out;
}

}  // namespace

// ---- expansion ------------------------------------------------------------------------------

TEST(LogNameExpand, DayTemplateGivesTheDateOfTheDay) {
  EXPECT_EQ(Expand("LOG_&Y&M&D.log"), "LOG_20080314.log");
}

TEST(LogNameExpand, MinuteTemplateUsesTwoDigitYearHourAndMinute) {
  EXPECT_EQ(Expand("LOG_&y&M&D_&h&m.log"), "LOG_080314_0930.log");
}

TEST(LogNameExpand, SecondsAndLetterCaseAreDistinguished) {
  EXPECT_EQ(Expand("&s"), "05");
  EXPECT_EQ(Expand("&M-&m"), "03-30");
  EXPECT_EQ(Expand("&Y-&y"), "2008-08");
}

TEST(LogNameExpand, TwoDigitYearOf2005IsZeroFive) {
  const LocalTime t{2005, 12, 1, 23, 0, 0};
  EXPECT_EQ(Expand("&y", t), "05");
  EXPECT_EQ(Expand("&Y&M&D&h", t), "2005120123");
}

TEST(LogNameExpand, NameWithoutCodesAndEmptyTemplateStayAsTheyAre) {
  EXPECT_EQ(Expand("data.log"), "data.log");
  EXPECT_EQ(Expand(""), "");
}

TEST(LogNameExpand, StrayAmpersandsAreDropped) {
  EXPECT_EQ(Expand("LOG&"), "LOG");
  EXPECT_EQ(Expand("&"), "");
  EXPECT_EQ(Expand("&&Y"), "2008");
  EXPECT_EQ(Expand("a&xb"), "axb");
  EXPECT_EQ(Expand("&&&"), "");
}

TEST(LogNameExpand, FillsTheWholeBufferWithZerosFirst) {
  char out[kLogNameSize];
  std::memset(out, 'X', sizeof out);
  ExpandLogName("ab", out, kLogNameSize, kMarch14);
  EXPECT_STREQ(out, "ab");
  for (int i = 2; i < kLogNameSize; ++i) EXPECT_EQ(out[i], 0) << i;
}

TEST(LogNameExpand, LongExpansionIsCutAt49CharactersWithoutOverrun) {
  // 25 year codes in a 50-character template grow to 100 characters.
  std::string templ;
  for (int i = 0; i < 25; ++i) templ += "&Y";
  char out[kLogNameSize + 16];
  std::memset(out, 'G', sizeof out);
  ExpandLogName(templ.c_str(), out, kLogNameSize, kMarch14);
  std::string full;
  for (int i = 0; i < 25; ++i) full += "2008";
  EXPECT_EQ(std::string(out), full.substr(0, kLogNameSize - 1));
  for (int i = kLogNameSize; i < kLogNameSize + 16; ++i) EXPECT_EQ(out[i], 'G') << i;
}

TEST(LogNameExpand, CutNeverSplitsATwoByteCharacter) {
  const std::string templ = std::string(48, 'A') + "表";  // 48 + 2 bytes: one too many
  EXPECT_EQ(Expand(templ.c_str()), std::string(48, 'A'));
  const std::string fits = std::string(47, 'A') + "表";
  EXPECT_EQ(Expand(fits.c_str()), fits);
}

TEST(LogNameExpand, SmallBuffersAreRespected) {
  char out[4] = {'X', 'X', 'X', 'X'};
  ExpandLogName("&Y", out, 3, kMarch14);
  EXPECT_STREQ(out, "20");
  EXPECT_EQ(out[3], 'X');
  ExpandLogName("&Y", out, 1, kMarch14);
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(out[1], '0');  // untouched from the call before
  ExpandLogName("&Y", out, 0, kMarch14);
  EXPECT_EQ(out[1], '0');
}

TEST(LogNameExpand, ClockVersionReadsTheTimeOnce) {
  FixedLogClock clock;
  char out[kLogNameSize];
  ExpandLogName("&Y&M&D&h&m&s", out, kLogNameSize, clock);
  EXPECT_STREQ(out, "20080314093005");
  EXPECT_EQ(clock.calls, 1);
}

// ---- check of the dialog ----------------------------------------------------------------

TEST(LogNameCheck, AcceptsPlainNamesTheSixCodesAndEmpty) {
  EXPECT_EQ(CheckLogName("LOG_&Y&M&D.log"), 0);
  EXPECT_EQ(CheckLogName("&y&M&D_&h&m"), 0);
  EXPECT_EQ(CheckLogName("data.txt"), 0);
  EXPECT_EQ(CheckLogName(""), 0);
}

TEST(LogNameCheck, RejectsEachForbiddenCharacterAnywhere) {
  for (const char c : std::string("\\$/:,;*?\"<>|")) {
    const std::string ch(1, c);
    EXPECT_EQ(CheckLogName((ch + "log").c_str()), -1) << c;
    EXPECT_EQ(CheckLogName(("lo" + ch + "g").c_str()), -1) << c;
    EXPECT_EQ(CheckLogName(("log" + ch).c_str()), -1) << c;
  }
  EXPECT_EQ(CheckLogName("C:\\logs\\a.log"), -1);
}

TEST(LogNameCheck, RejectsUnknownAndStrayAmpersands) {
  EXPECT_EQ(CheckLogName("&&Y"), -1);
  EXPECT_EQ(CheckLogName("LOG_&s"), -1);
  EXPECT_EQ(CheckLogName("LOG&"), -1);
  EXPECT_EQ(CheckLogName("&d"), -1);
  EXPECT_EQ(CheckLogName("&Y&"), -1);
}

TEST(LogNameCheck, SearchGoesOnAfterACodeLetter) {
  // "&M" consumes the M; the next & must again be followed by a code letter.
  EXPECT_EQ(CheckLogName("&M&x"), -1);
  EXPECT_EQ(CheckLogName("&M&m"), 0);
}

TEST(LogNameCheck, SecondByteOfATwoByteCharacterIsNoBackslash) {
  // 表 and ソ end in 0x5C in code page 932; they are valid in file names.
  EXPECT_EQ(CheckLogName("表.log"), 0);
  EXPECT_EQ(CheckLogName("ソ_&D.log"), 0);
  EXPECT_EQ(CheckLogName("表\\.log"), -1);
}
