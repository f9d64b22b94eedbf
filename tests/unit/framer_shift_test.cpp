// Shift codes and modes: JIS kanji pairs converted to Shift_JIS, half-width kana.
#include <gtest/gtest.h>

#include "framing/framer.h"
#include "support/framing_fakes.h"

namespace {

// JIS escape sequences: ESC $ B kanji in, ESC ( B out, SO kana in, SI kana out.
FramingHarness Jis() {
  FramingHarness h;
  SetCode(h.s.KANJIIN, {0x1B, 0x24, 0x42});
  SetCode(h.s.KANJIOUT, {0x1B, 0x28, 0x42});
  SetCode(h.s.KANAIN, {0x0E});
  SetCode(h.s.KANAOUT, {0x0F});
  h.Start();
  return h;
}

TEST(FramerShift, KanjiPairBetweenEscapeSequencesIsOneShiftJisCharacter) {
  FramingHarness h;
  SetCode(h.s.KANJIIN, {0x1B, 0x24, 0x42});
  SetCode(h.s.KANJIOUT, {0x1B, 0x28, 0x42});
  h.Start();
  h.Block({0x1B, 0x24, 0x42, 0x30, 0x21, 0x1B, 0x28, 0x42});
  EXPECT_EQ(h.TakeLog(), "L889F T889F");
  EXPECT_EQ(h.st.ShiftState, SHIFT_NONE);
}

TEST(FramerShift, KanjiBytesAreTakenOnSevenBits) {
  FramingHarness h = Jis();
  h.Block({0x1B, 0x24, 0x42, 0xB0, 0xA1});
  EXPECT_EQ(h.TakeLog(), "L889F T889F");
}

TEST(FramerShift, KanjiPairSplitAcrossBlocksIsJoined) {
  FramingHarness h = Jis();
  h.Bytewise({0x1B, 0x24, 0x42, 0x30, 0x21, 0x30, 0x22});
  EXPECT_EQ(h.TakeLog(), "L889F T889F L88A0 T88A0");
}

TEST(FramerShift, APairWithoutShiftJisEquivalentDisappears) {
  FramingHarness h = Jis();
  h.Block({0x1B, 0x24, 0x42, 0x30, 0x0D, 0x30, 0x21});
  EXPECT_EQ(h.TakeLog(), "L889F T889F");
  EXPECT_EQ(h.Held(), "");
}

TEST(FramerShift, KanaModeSetsTheTopBitOfTheKanaRangeOnly) {
  FramingHarness h = Jis();
  h.Block({0x0E, 0x31, 0xB1, 0x20, 0x60, 0x0F, 0x31});
  EXPECT_EQ(h.TakeLog(), "LB1 TB1 LB1 TB1 L20 T20 L60 T60 L31 T31");
}

TEST(FramerShift, ShiftCodesAreNeitherTypedNorLoggedAndWorkWithoutFrameCodes) {
  FramingHarness h = Jis();
  h.Block({0x0E, 0x0F, 0x1B, 0x24, 0x42, 0x1B, 0x28, 0x42});
  EXPECT_EQ(h.TakeLog(), "");
}

TEST(FramerShift, OutCodesAloneDoNothing) {
  FramingHarness h;
  SetCode(h.s.KANJIOUT, {0x0F});
  SetCode(h.s.KANAOUT, {0x0F});
  h.Start();
  h.Block({0x0F});
  EXPECT_EQ(h.TakeLog(), "L0F T0F");
}

// ---- the shift-state table ------------------------------------------------------------------

struct Transition {
  std::uint32_t from;
  Bytes event;
  std::uint32_t to;
};

// Brings a fresh JIS harness into `state` using only codes and data.
void Enter(FramingHarness& h, std::uint32_t state) {
  if (state == SHIFT_KANA) h.Block({0x0E});
  if (state == SHIFT_KANJI_FIRST) h.Block({0x1B, 0x24, 0x42});
  if (state == SHIFT_KANJI_SECOND) h.Block({0x1B, 0x24, 0x42, 0x30});
  ASSERT_EQ(h.st.ShiftState, state);
}

TEST(FramerShiftStates, EachTransitionOfTheTable) {
  const Transition table[] = {
      {SHIFT_NONE, {0x1B, 0x24, 0x42}, SHIFT_KANJI_FIRST},
      {SHIFT_NONE, {0x0E}, SHIFT_KANA},
      {SHIFT_KANJI_FIRST, {0x30}, SHIFT_KANJI_SECOND},
      {SHIFT_KANJI_SECOND, {0x21}, SHIFT_KANJI_FIRST},
      {SHIFT_KANJI_FIRST, {0x1B, 0x28, 0x42}, SHIFT_NONE},
      {SHIFT_KANJI_FIRST, {0x0E}, SHIFT_KANA},
      {SHIFT_KANA, {0x0F}, SHIFT_NONE},
      {SHIFT_KANA, {0x1B, 0x24, 0x42}, SHIFT_KANJI_FIRST},
  };
  for (const Transition& t : table) {
    FramingHarness h = Jis();
    Enter(h, t.from);
    h.Block(t.event);
    EXPECT_EQ(h.st.ShiftState, t.to) << "from " << t.from << " event byte " << int(t.event[0]);
  }
}

TEST(FramerShiftStates, CodesTheModeDoesNotAllowAreData) {
  FramingHarness none = Jis();
  none.Block({0x0F, 0x1B, 0x28, 0x42});  // kana out and kanji out in single-byte mode
  EXPECT_EQ(none.TakeLog(), "L0F T0F L1B T1B L28 T28 L42 T42");

  FramingHarness kana = Jis();
  Enter(kana, SHIFT_KANA);
  kana.Block({0x0E});  // kana in while in kana mode
  EXPECT_EQ(kana.TakeLog(), "L0E T0E");

  FramingHarness kanji = Jis();
  Enter(kanji, SHIFT_KANJI_FIRST);
  // Kanji in while in kanji mode: ESC begins no pair and is dropped, 24 42 is a pair.
  kanji.Block({0x1B, 0x24, 0x42});
  EXPECT_EQ(kanji.st.ShiftState, SHIFT_KANJI_FIRST);
  EXPECT_EQ(kanji.TakeLog(), "L82C0 T82C0");
}

TEST(FramerShiftStates, AByteThatCannotEndAPairDropsTheHeldFirstByteAndIsExaminedAfresh) {
  FramingHarness h = Jis();
  Enter(h, SHIFT_KANJI_SECOND);
  h.Block({0x0E, 0x31});  // kana in after a held first byte is found as kana in
  EXPECT_EQ(h.st.ShiftState, SHIFT_KANA);
  EXPECT_EQ(h.TakeLog(), "LB1 TB1");

  FramingHarness end = Jis();
  SetCode(end.s.RCVEND, {0x0D});
  end.Start();
  Enter(end, SHIFT_KANJI_SECOND);
  end.Block({0x0D, 0x41});  // the end code after a held first byte ends the frame
  EXPECT_EQ(end.TakeLog(), "E F L41 T41");

  FramingHarness pair = Jis();
  Enter(pair, SHIFT_KANJI_SECOND);
  pair.Block({0x21});  // a byte of the JIS range is the second byte, whatever it could begin
  EXPECT_EQ(pair.TakeLog(), "L889F T889F");
}

TEST(FramerShiftStates, StartAndEndCodesReturnToSingleByteMode) {
  for (bool end : {false, true}) {
    FramingHarness h = Jis();
    SetCode(h.s.RCVSTA, {0x02});
    SetCode(h.s.RCVEND, {0x03});
    h.Start();
    h.Block({0x02});
    if (end) h.Block({0x1B, 0x24, 0x42});
    else {
      h.st.InFrame = false;
      h.st.ShiftState = SHIFT_KANA;
    }
    h.Block({static_cast<std::uint8_t>(end ? 0x03 : 0x02)});
    EXPECT_EQ(h.st.ShiftState, SHIFT_NONE) << (end ? "end" : "start");
  }
}

TEST(FramerShiftStates, ShiftModeCarriesOverWhenNoFrameCodeIntervenes) {
  FramingHarness h = Jis();
  h.s.DATADELAY = 50;
  h.Block({0x0E});
  std::uint32_t last = 100;
  ASSERT_TRUE(h.Timeout(200, last));
  h.Block({0x31});
  EXPECT_EQ(h.TakeLog(), "E F LB1 TB1");
}

// ---- a partial code that fails inside a shift mode ---------------------------------------------

TEST(FramerShiftFailedCode, InKanaModeTheFirstByteOfTheFailedCodeIsKanaToo) {
  FramingHarness h = Jis();
  SetCode(h.s.RCVEND, {0x41, 0x42});
  h.Block({0x0E, 0x41, 0x43});
  EXPECT_EQ(h.TakeLog(), "LC1 TC1 LC3 TC3");
}

TEST(FramerShiftFailedCode, InKanjiModeAFailedCodeStaysAlignedWithThePairs) {
  FramingHarness h = Jis();
  SetCode(h.s.RCVEND, {0x30, 0x21, 0x30, 0x22, 0x0D});
  Enter(h, SHIFT_KANJI_FIRST);
  EXPECT_LT(h.Bytewise({0x30, 0x21, 0x30, 0x22, 0x30, 0x23}), 5);
  EXPECT_EQ(h.TakeLog(), "L889F T889F L88A0 T88A0 L88A1 T88A1");
}

TEST(FramerShiftFailedCode, InKanjiModeAFailedOutCodeNeverOverfillsTheAccumulator) {
  FramingHarness h = Jis();
  SetCode(h.s.RCVEND, {0x31, 0x32, 0x33, 0x34, 0x35});
  Enter(h, SHIFT_KANJI_FIRST);
  EXPECT_LT(h.Bytewise({0x31, 0x32, 0x33, 0x34, 0x31, 0x32, 0x33, 0x34, 0x36}), 5);
}

}  // namespace
