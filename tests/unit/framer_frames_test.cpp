// Frames: start and end codes, PRECODE/POSTCODE, the frame flags and which code is looked for.
#include <gtest/gtest.h>

#include "framing/framer.h"
#include "support/framing_fakes.h"

namespace {

constexpr KeyItem kEnter = KEYITEM_VKEY | 0x0D;
constexpr KeyItem kTab = KEYITEM_VKEY | 0x09;

// STX/ETX framing as in the usual scanner set-up.
FramingHarness StxEtx(bool keepCodes) {
  FramingHarness h;
  SetCode(h.s.RCVSTA, {0x02});
  SetCode(h.s.RCVEND, {0x03});
  h.s.RCVSTAOUT = keepCodes ? 0 : 1;
  h.s.RCVENDOUT = keepCodes ? 0 : 1;
  return h;
}

TEST(FramerFrames, ScannerFrameWithCodesRemovedTypesDataThenEnterAndWritesOneRecord) {
  FramingHarness h = StxEtx(false);
  SetKeys(h.s.POSTCODE, {kEnter});
  h.Start();
  h.Block({0x02, 0x34, 0x39, 0x31, 0x32, 0x03});
  EXPECT_EQ(h.TakeLog(), "E F L34 T34 L39 T39 L31 T31 L32 T32 K10D E F");
  EXPECT_FALSE(h.st.InFrame);
  EXPECT_FALSE(h.st.FrameOpen);
}

TEST(FramerFrames, RemovedCodesBracketDataWithPrecodeAndPostcode) {
  FramingHarness h = StxEtx(false);
  SetKeys(h.s.PRECODE, {kTab});
  SetKeys(h.s.POSTCODE, {kEnter});
  h.Start();
  h.Block({0x02, 0x41, 0x42, 0x03});
  EXPECT_EQ(h.TakeLog(), "E F K109 L41 T41 L42 T42 K10D E F");
}

TEST(FramerFrames, KeptCodesAreTypedAndLoggedInsideThePrecodePostcodeBracket) {
  FramingHarness h = StxEtx(true);
  SetKeys(h.s.PRECODE, {kTab});
  SetKeys(h.s.POSTCODE, {kEnter});
  h.Start();
  h.Block({0x02, 0x41, 0x42, 0x03});
  EXPECT_EQ(h.TakeLog(), "E F K109 L02 T02 L41 T41 L42 T42 L03 T03 K10D E F");
}

TEST(FramerFrames, KeptMultiCharacterCodesAreTypedWholeCharacterByCharacter) {
  FramingHarness h;
  SetCode(h.s.RCVSTA, {0x5B, 0x81, 0x40, 0x5D});  // "[", a two-byte blank, "]"
  SetCode(h.s.RCVEND, {0x0D, 0x0A});
  h.s.RCVSTAOUT = 0;
  h.s.RCVENDOUT = 0;
  h.Start();
  h.Block({0x5B, 0x81, 0x40, 0x5D, 0x41, 0x0D, 0x0A});
  EXPECT_EQ(h.TakeLog(), "E F L5B81405D T5B T8140 T5D L41 T41 L0D0A T0D T0A E F");
}

TEST(FramerFrames, AKeptCodeEndingInALeadByteTypesThatByteAlone) {
  FramingHarness h;
  SetCode(h.s.RCVEND, {0x41, 0x81});
  h.s.RCVENDOUT = 0;
  h.Start();
  h.Block({0x41, 0x81});
  EXPECT_EQ(h.TakeLog(), "L4181 T41 T81 E F");
}

TEST(FramerFrames, DataBetweenFramesIsDiscarded) {
  FramingHarness h = StxEtx(false);
  h.Start();
  h.Block({0x41, 0x02, 0x42, 0x03, 0x43, 0x44, 0x02, 0x45, 0x03, 0x46});
  EXPECT_EQ(h.TakeLog(), "E F L42 T42 E F E F L45 T45 E F");
  EXPECT_EQ(h.Held(), "");
}

TEST(FramerFrames, InsideAFrameTheStartCodeIsDataWhenAnEndCodeIsConfigured) {
  FramingHarness h = StxEtx(false);
  h.Start();
  h.Block({0x02, 0x41, 0x02, 0x42, 0x03});
  EXPECT_EQ(h.TakeLog(), "E F L41 T41 L02 T02 L42 T42 E F");
}

TEST(FramerFrames, OnlyAStartCodeEachNewStartTypesThePostcodeOwedByThePreviousFrame) {
  FramingHarness h;
  SetCode(h.s.RCVSTA, {0x02});
  SetKeys(h.s.POSTCODE, {kEnter});
  h.Start();
  h.Block({0x41, 0x02, 0x42, 0x02, 0x43});
  EXPECT_EQ(h.TakeLog(), "E F L42 T42 K10D E F L43 T43");
  EXPECT_TRUE(h.st.FrameOpen);
  EXPECT_TRUE(h.st.InFrame);
}

TEST(FramerFrames, OnlyAnEndCodeAllDataIsInTheFrameAndEachEndTypesPostcodeAndFlushes) {
  FramingHarness h;
  SetCode(h.s.RCVEND, {0x0D});
  h.s.RCVENDOUT = 0;
  SetKeys(h.s.POSTCODE, {kEnter});
  h.Start();
  h.Block({0x41, 0x0D, 0x42, 0x0D});
  EXPECT_EQ(h.TakeLog(), "L41 T41 L0D T0D K10D E F L42 T42 L0D T0D K10D E F");
  EXPECT_TRUE(h.st.InFrame);
}

TEST(FramerFrames, NoFrameCodesEveryByteIsOutputAndNothingFlushesOrTypesPostcode) {
  FramingHarness h;
  SetKeys(h.s.POSTCODE, {kEnter});
  h.Start();
  h.Block({0x41, 0x02, 0x03, 0x0D});
  EXPECT_EQ(h.TakeLog(), "L41 T41 L02 T02 L03 T03 L0D T0D");
}

TEST(FramerFrames, WithoutAStartCodePrecodeGoesBeforeTheFirstCharacterOfEachFrame) {
  FramingHarness h;
  SetCode(h.s.RCVEND, {0x0D});
  SetKeys(h.s.PRECODE, {kTab});
  SetKeys(h.s.POSTCODE, {kEnter});
  h.Start();
  h.Block({0x41, 0x42, 0x0D, 0x43, 0x0D});
  EXPECT_EQ(h.TakeLog(), "K109 L41 T41 L42 T42 K10D E F K109 L43 T43 K10D E F");
}

TEST(FramerFrames, WithoutAStartCodePrecodeAlsoPrecedesAKeptEndCodeOfAnEmptyFrame) {
  FramingHarness h;
  SetCode(h.s.RCVEND, {0x0D});
  h.s.RCVENDOUT = 0;
  SetKeys(h.s.PRECODE, {kTab});
  h.Start();
  h.Block({0x0D, 0x0D});
  EXPECT_EQ(h.TakeLog(), "K109 L0D T0D E F K109 L0D T0D E F");
}

TEST(FramerFrames, WithoutAStartCodeTheFrameAfterATimeoutGetsPrecodeAgain) {
  FramingHarness h;
  SetKeys(h.s.PRECODE, {kTab});
  h.s.DATADELAY = 50;
  h.Start();
  std::uint32_t last = 1000;
  h.Block({0x41, 0x42});
  EXPECT_TRUE(h.Timeout(1050, last));
  h.Block({0x43});
  EXPECT_EQ(h.TakeLog(), "K109 L41 T41 L42 T42 E F K109 L43 T43");
}

TEST(FramerFrames, KeyListsAreHandedOverTerminatedEvenWhenTheRecordIsFull) {
  FramingHarness h;
  SetCode(h.s.RCVSTA, {0x02});
  for (int i = 0; i < kMaxKeyItems + 1; ++i) h.s.PRECODE[i] = static_cast<KeyItem>(0x31 + i);
  h.Start();
  h.Block({0x02});
  EXPECT_EQ(h.TakeLog(), "E F K031,032,033,034,035,036,037,038,039,03A");
}

// ---- frame flags ---------------------------------------------------------------------------

TEST(FramerFrameFlags, StartOfReceptionWithAStartCodeWaitsForIt) {
  FramingHarness h;
  SetCode(h.s.RCVSTA, {0x02});
  h.st.InFrame = h.st.FrameOpen = true;
  h.Start();
  EXPECT_FALSE(h.st.InFrame);
  EXPECT_FALSE(h.st.FrameOpen);
}

TEST(FramerFrameFlags, StartOfReceptionWithoutAStartCodeIsInTheFrameButOwesNoPostcode) {
  FramingHarness h;
  SetCode(h.s.RCVEND, {0x03});
  h.st.FrameOpen = true;
  h.Start();
  EXPECT_TRUE(h.st.InFrame);
  EXPECT_FALSE(h.st.FrameOpen);
}

TEST(FramerFrameFlags, StartCodeSetsBoth) {
  FramingHarness h = StxEtx(false);
  h.Start();
  h.Block({0x02});
  EXPECT_TRUE(h.st.InFrame);
  EXPECT_TRUE(h.st.FrameOpen);
}

TEST(FramerFrameFlags, EndCodeLeavesTheFrameOnlyWhenAStartCodeIsConfigured) {
  FramingHarness with = StxEtx(false);
  with.Start();
  with.Block({0x02, 0x03});
  EXPECT_FALSE(with.st.InFrame);
  EXPECT_FALSE(with.st.FrameOpen);

  FramingHarness without;
  SetCode(without.s.RCVEND, {0x03});
  without.Start();
  without.st.FrameOpen = true;
  without.Block({0x03});
  EXPECT_TRUE(without.st.InFrame);
  EXPECT_FALSE(without.st.FrameOpen);
}

TEST(FramerFrameFlags, TimeoutLeavesTheFrameOnlyWhenAStartCodeIsConfigured) {
  FramingHarness with = StxEtx(false);
  with.s.DATADELAY = 50;
  with.Start();
  with.Block({0x02});
  std::uint32_t last = 10;
  EXPECT_TRUE(with.Timeout(60, last));
  EXPECT_FALSE(with.st.InFrame);
  EXPECT_FALSE(with.st.FrameOpen);

  FramingHarness without;
  without.s.DATADELAY = 50;
  without.Start();
  without.st.FrameOpen = true;
  last = 10;
  EXPECT_TRUE(without.Timeout(60, last));
  EXPECT_TRUE(without.st.InFrame);
  EXPECT_FALSE(without.st.FrameOpen);
}

TEST(FramerFrameFlags, PostcodeAtAnEndCodeDoesNotDependOnAnOpenFrame) {
  FramingHarness h;
  SetCode(h.s.RCVEND, {0x03});
  SetKeys(h.s.POSTCODE, {kEnter});
  h.Start();
  ASSERT_FALSE(h.st.FrameOpen);
  h.Block({0x03});
  EXPECT_EQ(h.TakeLog(), "K10D E F");
}

// ---- which frame code is looked for at a fresh position -------------------------------------

TEST(FramerCodeLookedFor, OutsideAFrameOnlyTheStartCode) {
  FramingHarness h = StxEtx(false);
  h.Start();
  h.Block({0x03, 0x41});
  EXPECT_EQ(h.TakeLog(), "");
  h.Block({0x02});
  EXPECT_TRUE(h.st.InFrame);
}

TEST(FramerCodeLookedFor, OutsideAFrameWithoutAStartCodeNothingIsLookedFor) {
  // Only reachable by hand: with no start code data never leaves the frame.
  FramingHarness h;
  SetCode(h.s.RCVEND, {0x03});
  h.st.InFrame = false;
  h.Block({0x03, 0x41});
  EXPECT_EQ(h.TakeLog(), "");
  EXPECT_EQ(h.Held(), "");
}

TEST(FramerCodeLookedFor, InAFrameWithAnEndCodeTheEndCode) {
  FramingHarness h = StxEtx(false);
  h.Start();
  h.Block({0x02});
  h.TakeLog();
  h.Block({0x02, 0x03});
  EXPECT_EQ(h.TakeLog(), "L02 T02 E F");
}

TEST(FramerCodeLookedFor, InAFrameWithoutAnEndCodeTheStartCodeStartsTheNextFrame) {
  FramingHarness h;
  SetCode(h.s.RCVSTA, {0x02});
  SetKeys(h.s.PRECODE, {kTab});
  h.s.RCVSTAOUT = 0;
  h.Start();
  h.Block({0x02, 0x41, 0x02});
  EXPECT_EQ(h.TakeLog(), "E F K109 L02 T02 L41 T41 E F K109 L02 T02");
}

}  // namespace
