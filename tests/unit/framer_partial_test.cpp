// Partial matches: codes held across bytes and blocks, codes that fail, two-byte characters.
#include <gtest/gtest.h>

#include "framing/framer.h"
#include "support/framing_fakes.h"

namespace {

FramingHarness InFrameWithEnd(std::initializer_list<std::uint8_t> end) {
  FramingHarness h;
  SetCode(h.s.RCVEND, end);
  h.Start();
  return h;
}

TEST(FramerPartialMatch, HeldEndCodeByteIsTypedWhenTheNextByteBreaksTheCode) {
  FramingHarness h = InFrameWithEnd({0x0D, 0x0A});
  h.Block({0x41, 0x0D});
  EXPECT_EQ(h.TakeLog(), "L41 T41");
  EXPECT_EQ(h.Held(), "0D");
  h.Block({0x42});
  EXPECT_EQ(h.TakeLog(), "L0D T0D L42 T42");
  EXPECT_EQ(h.Held(), "");
}

TEST(FramerPartialMatch, AFiveByteCodeFailingAtItsLastByteLosesNothing) {
  FramingHarness h = InFrameWithEnd({0x31, 0x32, 0x33, 0x34, 0x35});
  h.Block({0x31, 0x32, 0x33, 0x34});
  EXPECT_EQ(h.TakeLog(), "");
  EXPECT_EQ(h.Held(), "31323334");
  h.Block({0x31});
  // Only the first byte leaves; the rest is matched afresh and fails in turn.
  EXPECT_EQ(h.TakeLog(), "L31 T31 L32 T32 L33 T33 L34 T34");
  EXPECT_EQ(h.Held(), "31");
  h.Block({0x32, 0x33, 0x34, 0x35});
  EXPECT_EQ(h.TakeLog(), "E F");
}

TEST(FramerPartialMatch, AFailedCodeRestartsInsideItself) {
  FramingHarness h = InFrameWithEnd({0x31, 0x31, 0x32});
  h.Block({0x31, 0x31, 0x31, 0x32});
  EXPECT_EQ(h.TakeLog(), "L31 T31 E F");
}

TEST(FramerPartialMatch, OutsideAFrameAFailedStartCodeIsDiscardedByteByByte) {
  FramingHarness h;
  SetCode(h.s.RCVSTA, {0x1B, 0x1B, 0x02});
  h.Start();
  h.Block({0x1B, 0x1B, 0x1B, 0x02, 0x41});
  EXPECT_EQ(h.TakeLog(), "E F L41 T41");
}

TEST(FramerPartialMatch, StartCodeSplitAcrossBlocksIsRecognised) {
  FramingHarness h;
  SetCode(h.s.RCVSTA, {0x1B, 0x02});
  h.Start();
  h.Block({0x41, 0x1B});
  EXPECT_EQ(h.Held(), "1B");
  h.Block({0x02, 0x42});
  EXPECT_EQ(h.TakeLog(), "E F L42 T42");
}

TEST(FramerPartialMatch, FrameCodeSharingAFirstByteWithAShiftCodeWinsAndIfItFailsTheByteIsData) {
  FramingHarness h = InFrameWithEnd({0x1B, 0x03});
  SetCode(h.s.KANJIIN, {0x1B, 0x24, 0x42});
  // 1B starts the end code; when it fails it is data and is not tried as ESC $ B.
  h.Block({0x1B, 0x24, 0x42, 0x30, 0x21});
  EXPECT_EQ(h.TakeLog(), "L1B T1B L24 T24 L42 T42 L30 T30 L21 T21");
  EXPECT_EQ(h.st.ShiftState, SHIFT_NONE);
  h.Block({0x1B, 0x03});
  EXPECT_EQ(h.TakeLog(), "E F");
}

TEST(FramerPartialMatch, TheByteThatBrokeAFrameCodeMayStartAShiftCode) {
  FramingHarness h = InFrameWithEnd({0x0D, 0x0A});
  SetCode(h.s.KANJIIN, {0x1B, 0x24, 0x42});
  h.Block({0x0D, 0x1B, 0x24, 0x42, 0x30, 0x21});
  EXPECT_EQ(h.TakeLog(), "L0D T0D L889F T889F");
  EXPECT_EQ(h.st.ShiftState, SHIFT_KANJI_FIRST);
}

// ---- two-byte characters --------------------------------------------------------------------

TEST(FramerTwoByte, LeadByteAtTheEndOfABlockWaitsForItsTrailByte) {
  FramingHarness h;
  h.Start();
  h.Block({0x41, 0x88});
  EXPECT_EQ(h.TakeLog(), "L41 T41");
  EXPECT_EQ(h.Held(), "88");
  h.Block({0x9F, 0x42});
  EXPECT_EQ(h.TakeLog(), "L889F T889F L42 T42");
}

TEST(FramerTwoByte, TheWholeLeadByteClassTakesTheNextByteWithIt) {
  for (unsigned lead : {0x80u, 0x81u, 0x9Fu, 0xE0u, 0xFCu, 0xFDu, 0xFEu, 0xFFu}) {
    FramingHarness h;
    h.Start();
    h.Block({static_cast<std::uint8_t>(lead), 0x41});
    char expected[32];
    std::snprintf(expected, sizeof expected, "L%02X41 T%02X41", lead, lead);
    EXPECT_EQ(h.TakeLog(), expected) << std::hex << lead;
  }
}

TEST(FramerTwoByte, ALeadByteBeforeANonTrailByteIsDroppedAndTheByteExaminedAfresh) {
  FramingHarness h = InFrameWithEnd({0x0D});
  h.Block({0x31, 0x32, 0x82, 0x0D, 0x33, 0x34, 0x0D});  // a stray high byte before the end code
  EXPECT_EQ(h.TakeLog(), "L31 T31 L32 T32 E F L33 T33 L34 T34 E F");
  for (unsigned next : {0x01u, 0x3Fu, 0x7Fu}) {
    FramingHarness g;
    g.Start();
    g.Bytewise({0x88, static_cast<std::uint8_t>(next), 0x88, 0x9F});
    char expected[32];
    std::snprintf(expected, sizeof expected, "L%02X T%02X L889F T889F", next, next);
    EXPECT_EQ(g.TakeLog(), expected) << std::hex << next;
  }
}

TEST(FramerTwoByte, BytesOutsideTheLeadClassAreCharactersByThemselves) {
  FramingHarness h;
  h.Start();
  h.Block({0x7F, 0xA0, 0xB1, 0xDF, 0x41});
  EXPECT_EQ(h.TakeLog(), "L7F T7F LA0 TA0 LB1 TB1 LDF TDF L41 T41");
}

TEST(FramerTwoByte, TheTrailByteIsNeverTakenAsTheStartOfAnEndCode) {
  FramingHarness h = InFrameWithEnd({0x5C});
  h.Block({0x95, 0x5C, 0x5C});  // 表 then the end code
  EXPECT_EQ(h.TakeLog(), "L955C T955C E F");
}

// ---- bounds -------------------------------------------------------------------------------------

TEST(FramerBounds, CodesWithoutATerminatorWithinFiveBytesCountAsFiveBytes) {
  FramingHarness h;
  for (int i = 0; i < kMaxCodeBytes + 1; ++i) {
    h.s.RCVSTA[i] = 0x61;
    h.s.RCVEND[i] = 0x62;
  }
  h.s.RCVSTAOUT = 0;
  h.s.RCVENDOUT = 0;
  h.Start();
  h.Block({0x61, 0x61, 0x61, 0x61, 0x61, 0x41, 0x62, 0x62, 0x62, 0x62, 0x62});
  EXPECT_EQ(h.TakeLog(), "E F L6161616161 T61 T61 T61 T61 T61 L41 T41 L6262626262 T62 T62 T62 T62 T62 E F");
}

TEST(FramerBounds, DropFrontKeepsEverythingAfterTheRemovedBytes) {
  FramerState st;
  for (std::uint8_t b : {0x31, 0x32, 0x33, 0x34}) AppendToAccumulator(st, b);
  st.ScanPos = 3;
  DropFront(st, 1);
  EXPECT_EQ(st.ScanPos, 0);
  EXPECT_EQ(AccumulatorLength(st), 3);
  EXPECT_EQ(st.Accumulator[0], 0x32);
  EXPECT_EQ(st.Accumulator[2], 0x34);
  DropFront(st, 10);  // more than held: empty, nothing read or written past the end
  EXPECT_EQ(AccumulatorLength(st), 0);
}

TEST(FramerBounds, AFullAccumulatorGivesUpItsOldestByteInsteadOfOverflowing) {
  FramerState st;
  for (int i = 0; i < kAccumulatorSize + 5; ++i) AppendToAccumulator(st, static_cast<std::uint8_t>(0x41 + i));
  EXPECT_EQ(AccumulatorLength(st), kAccumulatorSize - 1);
  EXPECT_EQ(st.Accumulator[kAccumulatorSize - 1], 0);
  EXPECT_EQ(st.Accumulator[kAccumulatorSize - 2], 0x41 + kAccumulatorSize + 4);
}

TEST(FramerBounds, ResetEmptiesTheStateButKeepsTheFrameFlags) {
  FramingHarness h = InFrameWithEnd({0x0D, 0x0A});
  SetCode(h.s.KANJIIN, {0x1B, 0x24, 0x42});
  h.Block({0x1B, 0x24, 0x42, 0x30});
  ASSERT_EQ(h.Held(), "30");
  ASSERT_EQ(h.st.ShiftState, SHIFT_KANJI_SECOND);
  ResetFraming(h.st);
  EXPECT_EQ(h.Held(), "");
  EXPECT_EQ(h.st.ScanPos, 0);
  EXPECT_EQ(h.st.Candidates, 0u);
  EXPECT_EQ(h.st.ShiftState, SHIFT_NONE);
  EXPECT_TRUE(h.st.InFrame);
  h.Block({0x41});
  EXPECT_EQ(h.TakeLog(), "L41 T41");
}

}  // namespace
