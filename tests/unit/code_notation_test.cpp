#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "keyout/code_notation.h"

namespace {

std::vector<KeyItem> Slots(const CodeNotation& n, int count) { return std::vector<KeyItem>(n.items, n.items + count); }

CodeNotation Keys(const char* text) { return ParseCodeNotation(text, NotationMode::Keys); }
CodeNotation Bytes(const char* text) { return ParseCodeNotation(text, NotationMode::Bytes); }

std::vector<KeyItem> ListOfItems(const CodeNotation& n) {
  std::vector<KeyItem> list;
  for (int i = 0; i < kMaxKeyItems && n.items[i] != 0; ++i) list.push_back(n.items[i]);
  return list;
}

std::string KeyText(const std::vector<KeyItem>& list) {
  KeyItem items[kMaxKeyItems] = {};
  for (std::size_t i = 0; i < list.size() && i < kMaxKeyItems; ++i) items[i] = list[i];
  char out[kNotationDisplaySize];
  FormatCodeNotation(items, out, sizeof out);
  return out;
}

}  // namespace

// ---- the worked examples --------------------------------------------------------------------

TEST(CodeNotationExamples, EscapeSequenceInByteMode) {
  const ByteCodes b = ParseByteCodes("x1B x24 x42");
  const std::uint8_t expected[5] = {0x1B, 0x24, 0x42, 0, 0};
  EXPECT_EQ(std::memcmp(b.bytes, expected, 5), 0);
  EXPECT_STREQ(b.display, "<ESC> $ B");
}

TEST(CodeNotationExamples, DecimalTokensInEitherCase) {
  const ByteCodes b = ParseByteCodes("D13 d10");
  const std::uint8_t expected[5] = {0x0D, 0x0A, 0, 0, 0};
  EXPECT_EQ(std::memcmp(b.bytes, expected, 5), 0);
  EXPECT_STREQ(b.display, "<CR> <LF>");
}

TEST(CodeNotationExamples, HalfWidthKatakanaWrittenInHex) {
  const ByteCodes b = ParseByteCodes("xB1");
  EXPECT_EQ(b.bytes[0], 0xB1);
  EXPECT_STREQ(b.display, "\xB1");
}

TEST(CodeNotationExamples, VirtualKeyIsAnErrorInByteMode) {
  const ByteCodes b = ParseByteCodes("v0D");
  EXPECT_EQ(b.bytes[0], 0);
  EXPECT_STREQ(b.display, "Err");
}

TEST(CodeNotationExamples, KeyGroupAndEnter) {
  const CodeNotation n = Keys("v11+v43 v0D");
  EXPECT_EQ(Slots(n, 4), (std::vector<KeyItem>{0x0311, 0x0143, 0x010D, 0}));
  EXPECT_STREQ(n.display, "[CTRL]+[C] [ENT]");
}

TEST(CodeNotationExamples, BadTokenKeepsItsSlot) {
  const CodeNotation n = Keys("abc D13");
  EXPECT_EQ(Slots(n, 3), (std::vector<KeyItem>{0, 0x000D, 0}));
  EXPECT_STREQ(n.display, "Err <CR>");
}

TEST(CodeNotationExamples, ParenthesisNamesAreFramed) {
  EXPECT_STREQ(Keys("x28").display, "<( >");
  EXPECT_EQ(Keys("x28").items[0], 0x28);
  EXPECT_STREQ(Keys("x29").display, "< )>");
}

// ---- splitting into tokens ------------------------------------------------------------------

TEST(CodeNotationTokens, EmptyTextGivesNothing) {
  const CodeNotation n = Keys("");
  EXPECT_EQ(Slots(n, 10), std::vector<KeyItem>(10, 0));
  EXPECT_STREQ(n.display, "");
  EXPECT_STREQ(ParseCodeNotation(nullptr, NotationMode::Keys).display, "");
}

TEST(CodeNotationTokens, EmptyTokensAreErrorsButATrailingBlankIsNothing) {
  EXPECT_STREQ(Bytes(" x41").display, "Err A");
  EXPECT_EQ(Bytes(" x41").items[1], 0x41);
  EXPECT_STREQ(Bytes("x41  x42").display, "A Err B");
  EXPECT_EQ(Slots(Bytes("x41  x42"), 3), (std::vector<KeyItem>{0x41, 0, 0x42}));
  EXPECT_STREQ(Bytes("x41 ").display, "A");
}

TEST(CodeNotationTokens, TokensBeyondTheModesMaximumAreIgnored) {
  const CodeNotation b = Bytes("1 2 3 4 5 6");
  EXPECT_EQ(Slots(b, 6), (std::vector<KeyItem>{'1', '2', '3', '4', '5', 0}));
  EXPECT_STREQ(b.display, "1 2 3 4 5");
  const CodeNotation k = Keys("0 1 2 3 4 5 6 7 8 9 a");
  EXPECT_STREQ(k.display, "0 1 2 3 4 5 6 7 8 9");
  EXPECT_EQ(k.items[9], '9');
}

TEST(CodeNotationTokens, PlusIsAnOrdinaryCharacterInByteMode) {
  EXPECT_EQ(Bytes("+").items[0], 0x2B);
  EXPECT_STREQ(Bytes("+").display, "+");
  EXPECT_EQ(Bytes("x41+x42").items[0], 0);  // one token of seven characters
  EXPECT_EQ(Bytes("x4+").items[0], 0x04);
}

TEST(CodeNotationTokens, DoublePlusInKeyModeIsAnEmptyToken) {
  const CodeNotation n = Keys("a++b");
  EXPECT_STREQ(n.display, "a+Err+b");
  EXPECT_EQ(Slots(n, 3), (std::vector<KeyItem>{0x0261, 0, 0x0062}));
}

// ---- reading one token ----------------------------------------------------------------------

TEST(CodeNotationToken, SingleLettersStandForThemselves) {
  const CodeNotation n = Keys("D X V d x v");
  EXPECT_EQ(Slots(n, 6), (std::vector<KeyItem>{'D', 'X', 'V', 'd', 'x', 'v'}));
  EXPECT_STREQ(n.display, "D X V d x v");
}

TEST(CodeNotationToken, LoneByteAbove7FIsAnError) {
  EXPECT_STREQ(Bytes("\xB1").display, "Err");
  EXPECT_EQ(Bytes("\xB1").items[0], 0);
  EXPECT_EQ(Bytes("\x80").items[0], 0);
  EXPECT_EQ(Bytes("\x7F").items[0], 0x7F);
}

TEST(CodeNotationToken, DigitLimitsAndTrailingCharacters) {
  EXPECT_EQ(Bytes("x100").items[0], 0);
  EXPECT_EQ(Bytes("D1000").items[0], 0);
  EXPECT_EQ(Bytes("D255").items[0], 255);
  EXPECT_EQ(Bytes("xFF").items[0], 255);
  EXPECT_EQ(Bytes("x1G").items[0], 0x01);
  EXPECT_EQ(Bytes("D1a").items[0], 0x01);
  EXPECT_EQ(Bytes("Dab").items[0], 0);
  EXPECT_EQ(Bytes("xZZ").items[0], 0);
  EXPECT_EQ(Bytes("Xa").items[0], 0x0A);
}

TEST(CodeNotationToken, CodesOutsideOneTo255AreErrors) {
  for (const char* text : {"x00", "D0", "D256", "D-1", "x-1", "v00"}) {
    EXPECT_EQ(Keys(text).items[0], 0) << text;
    EXPECT_STREQ(Keys(text).display, "Err") << text;
  }
  EXPECT_EQ(Bytes("D+0").items[0], 0);
  EXPECT_EQ(Bytes("D+9").items[0], 9);
}

TEST(CodeNotationToken, SameCodeShowsTheSameWayHowEverWritten) {
  EXPECT_STREQ(Bytes("x2E").display, ".");
  EXPECT_STREQ(Bytes(".").display, ".");
  EXPECT_STREQ(Bytes("x2C").display, ",");
  EXPECT_STREQ(Bytes(",").display, ",");
}

TEST(CodeNotationToken, VirtualKeysNeedANameAndKeyMode) {
  EXPECT_EQ(Keys("v07").items[0], 0);
  EXPECT_STREQ(Keys("v07").display, "Err");
  EXPECT_EQ(Keys("v41").items[0], 0x0141);
  EXPECT_STREQ(Keys("v41").display, "[A]");
  EXPECT_EQ(Keys("V0d").items[0], 0x010D);
  EXPECT_EQ(Keys("v100").items[0], 0);
}

// ---- "+" groups -----------------------------------------------------------------------------

TEST(CodeNotationGroups, TrailingPlusHoldsWithNothingAfter) {
  const CodeNotation n = Keys("v11+");
  EXPECT_EQ(Slots(n, 2), (std::vector<KeyItem>{0x0311, 0}));
  EXPECT_STREQ(n.display, "[CTRL]");
}

TEST(CodeNotationGroups, HexCodeCannotStandInsideAGroup) {
  const CodeNotation n = Keys("v11+x41+v0D");
  EXPECT_EQ(Slots(n, 3), (std::vector<KeyItem>{0x0311, 0, 0x010D}));
  EXPECT_STREQ(n.display, "[CTRL]+Err+[ENT]");
}

TEST(CodeNotationGroups, DecimalCodeAndVirtualKeyMayStandInsideAGroup) {
  const CodeNotation d = Keys("v11+D65+v0D");
  EXPECT_EQ(Slots(d, 3), (std::vector<KeyItem>{0x0311, 0x0241, 0x010D}));
  EXPECT_STREQ(d.display, "[CTRL]+A+[ENT]");
  const CodeNotation v = Keys("v11+v10+v41");
  EXPECT_EQ(Slots(v, 3), (std::vector<KeyItem>{0x0311, 0x0310, 0x0141}));
  const CodeNotation c = Keys("v11+a+v41");
  EXPECT_EQ(c.items[1], 0x0261);
}

TEST(CodeNotationGroups, HexCodeMayOpenOrCloseAGroup) {
  EXPECT_EQ(Slots(Keys("x41+v0D"), 2), (std::vector<KeyItem>{0x0241, 0x010D}));
  EXPECT_EQ(Slots(Keys("v11+x41"), 2), (std::vector<KeyItem>{0x0311, 0x0041}));
  EXPECT_EQ(Slots(Keys("v11 x41+v0D"), 3), (std::vector<KeyItem>{0x0111, 0x0241, 0x010D}));
}

TEST(CodeNotationGroups, ErrorsDoNotBreakTheGroupSeparatorOfTheDisplay) {
  // The "+" comes from the last valid item, here the held CTRL, across the bad token.
  EXPECT_STREQ(Keys("v11+v07 v41").display, "[CTRL]+Err+[A]");
  EXPECT_STREQ(Keys("v11 v07+v41").display, "[CTRL] Err [A]");
}

// ---- byte lists of the caller's length ------------------------------------------------------

TEST(CodeNotationByteLists, RequestsOfTwentyBytesWithCharactersAndCodes) {
  std::uint8_t bytes[kMaxRequestBytes];
  char display[kByteListDisplaySize];
  ParseByteList("Q x0D x0A", bytes, kMaxRequestBytes, display, sizeof display);
  EXPECT_EQ(std::vector<std::uint8_t>(bytes, bytes + 4), (std::vector<std::uint8_t>{'Q', 0x0D, 0x0A, 0}));
  EXPECT_STREQ(display, "Q <CR> <LF>");
  ParseByteList("x1B P x0D x0A", bytes, kMaxRequestBytes, display, sizeof display);
  EXPECT_EQ(std::vector<std::uint8_t>(bytes, bytes + 5), (std::vector<std::uint8_t>{0x1B, 'P', 0x0D, 0x0A, 0}));
  EXPECT_STREQ(display, "<ESC> P <CR> <LF>");
}

TEST(CodeNotationByteLists, TwentyCodesAreReadAndShownWholeAndTheTwentyFirstIsNot) {
  std::string text;
  for (int i = 0; i < kMaxRequestBytes + 1; ++i) text += i == 0 ? "x01" : " x01";
  std::uint8_t bytes[kMaxRequestBytes + 1];
  bytes[kMaxRequestBytes] = 0x77;  // past the count: never written
  char display[kByteListDisplaySize];
  ParseByteList(text.c_str(), bytes, kMaxRequestBytes, display, sizeof display);
  EXPECT_EQ(std::vector<std::uint8_t>(bytes, bytes + kMaxRequestBytes), std::vector<std::uint8_t>(20, 1));
  EXPECT_EQ(bytes[kMaxRequestBytes], 0x77);
  EXPECT_EQ(std::strlen(display), 20u * 5 + 19);  // "<SOH>" twenty times, nothing cut
  char canonical[kNotationDisplaySize];
  FormatByteList(bytes, kMaxRequestBytes, canonical, sizeof canonical);
  EXPECT_EQ(std::string(canonical), text.substr(0, 20 * 4 - 1));
  char small[12];
  ParseByteList(text.c_str(), bytes, kMaxRequestBytes, small, sizeof small);  // cut, terminated
  EXPECT_STREQ(small, "<SOH> <SOH>");
}

// ---- canonical text -------------------------------------------------------------------------

TEST(CodeNotationFormat, ByteListUpToTheFirstZero) {
  const std::uint8_t bytes[6] = {0x1B, 0x24, 0x42, 0, 0x41, 0};
  char out[kNotationDisplaySize];
  FormatCodeNotation(bytes, out, sizeof out);
  EXPECT_STREQ(out, "x1B x24 x42");
  const std::uint8_t full[6] = {0xFF, 0xA1, 1, 2, 3, 4};  // the sixth byte is never read
  FormatCodeNotation(full, out, sizeof out);
  EXPECT_STREQ(out, "xFF xA1 x01 x02 x03");
}

TEST(CodeNotationFormat, KeyListWithGroupsAndCharacters) {
  EXPECT_EQ(KeyText({0x0311, 0x0143, 0x010D}), "v11+v43 v0D");
  EXPECT_EQ(KeyText({0x0061}), "x61");
  EXPECT_EQ(KeyText({0x0311}), "v11+");  // a hold on the last item is written too
  EXPECT_EQ(KeyText({0x0041, 0, 0x0042}), "x41");
  EXPECT_EQ(KeyText({}), "");
}

TEST(CodeNotationFormat, OddStoredValuesKeepOnlyWhatTheTextCanSay) {
  // Other bits are dropped, and an unnamed virtual key is still written as its code.
  EXPECT_EQ(KeyText({0xF641, 0x0107}), "x41+v07");
  char small[8];
  const KeyItem items[kMaxKeyItems] = {0x0141, 0x0142, 0x0143};
  FormatCodeNotation(items, small, sizeof small);
  EXPECT_STREQ(small, "v41 v42");
}

TEST(CodeNotationFormat, CharacterInsideAGroupComesBackAsADecimalToken) {
  EXPECT_EQ(KeyText(ListOfItems(Keys("v11+D65+v0D"))), "v11+D65+v0D");
  EXPECT_EQ(KeyText(ListOfItems(Keys("v11+a+b"))), "v11+D97+x62");  // the group's last item is x
  EXPECT_EQ(KeyText(ListOfItems(Keys("a+b+"))), "x61+D98+");
}

// ---- round trip -----------------------------------------------------------------------------

namespace {

const char* const kTokens[] = {"a", "Z", "+", "D", "x", "v", "D13", "d1", "D255", "D256", "D1a", "x41",
                               "x1B", "xff", "x1G", "x00", "x100", "v11", "v0D", "V41", "v07", "v10",
                               "vA5", "vA6", "\xB1", "xB1", "abc", ""};

std::string RandomText(std::mt19937& rng) {
  std::uniform_int_distribution<int> count(0, 12), pick(0, std::size(kTokens) - 1), sep(0, 3);
  std::string text;
  const int n = count(rng);
  for (int i = 0; i < n; ++i) {
    if (i > 0) text += sep(rng) == 0 ? "+" : " ";
    text += kTokens[pick(rng)];
  }
  return text;
}

}  // namespace

TEST(CodeNotationRoundTrip, CanonicalTextOfParsedKeyListsParsesBackToTheSameList) {
  std::mt19937 rng(20260707);
  int groups = 0;
  for (int round = 0; round < 20000; ++round) {
    const std::string text = RandomText(rng);
    const std::vector<KeyItem> list = ListOfItems(Keys(text.c_str()));
    const std::string canonical = KeyText(list);
    const CodeNotation again = Keys(canonical.c_str());
    ASSERT_EQ(ListOfItems(again), list) << "text: " << text << " canonical: " << canonical;
    for (std::size_t i = list.size(); i < kMaxKeyItems; ++i) ASSERT_EQ(again.items[i], 0);
    if (canonical.find("+D") != std::string::npos) ++groups;
  }
  EXPECT_GT(groups, 400);  // characters inside groups were among the lists
}

TEST(CodeNotationRoundTrip, CanonicalTextOfParsedByteListsParsesBack) {
  std::mt19937 rng(4242);
  for (int round = 0; round < 20000; ++round) {
    const std::string text = RandomText(rng);
    const ByteCodes parsed = ParseByteCodes(text.c_str());
    char canonical[kNotationDisplaySize];
    FormatCodeNotation(parsed.bytes, canonical, sizeof canonical);
    const ByteCodes again = ParseByteCodes(canonical);
    int n = 0;
    while (n < kMaxCodeBytes && parsed.bytes[n] != 0) ++n;
    ASSERT_EQ(std::memcmp(again.bytes, parsed.bytes, static_cast<std::size_t>(n)), 0) << text;
    for (int i = n; i < kMaxCodeBytes; ++i) ASSERT_EQ(again.bytes[i], 0) << text;
    // The same for a request of 20 bytes: what a long list shows comes back unchanged.
    std::uint8_t request[kMaxRequestBytes], requestAgain[kMaxRequestBytes];
    char display[kByteListDisplaySize], longText[kByteListDisplaySize];
    ParseByteList(text.c_str(), request, kMaxRequestBytes, display, sizeof display);
    FormatByteList(request, kMaxRequestBytes, longText, sizeof longText);
    ParseByteList(longText, requestAgain, kMaxRequestBytes, display, sizeof display);
    n = 0;
    while (n < kMaxRequestBytes && request[n] != 0) ++n;
    ASSERT_EQ(std::memcmp(requestAgain, request, static_cast<std::size_t>(n)), 0) << text;
    for (int i = n; i < kMaxRequestBytes; ++i) ASSERT_EQ(requestAgain[i], 0) << text;
  }
}

// ---- the names of the codes -------------------------------------------------------------------

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

// Codes that Windows leaves unassigned or reserved name no key: a V token cannot type them.
TEST(VirtualKeyNamesTable, UnassignedCodesHaveNoName) {
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
