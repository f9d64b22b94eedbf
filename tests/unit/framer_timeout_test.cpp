// The data-interval timeout and the reset requested from the dialog's thread.
#include <gtest/gtest.h>

#include "framing/block_processing.h"
#include "support/framing_fakes.h"

namespace {

constexpr KeyItem kEnter = KEYITEM_VKEY | 0x0D;

TEST(FramerTimeout, EndsTheFrameFlushesTheLogAndTypesNoPostcode) {
  FramingHarness h;
  SetCode(h.s.RCVSTA, {0x02});
  SetKeys(h.s.POSTCODE, {kEnter});
  h.s.DATADELAY = 50;
  h.Start();
  h.Block({0x02, 0x41});
  h.TakeLog();
  std::uint32_t last = 5000;
  EXPECT_FALSE(h.Timeout(5049, last));
  EXPECT_EQ(last, 5000u);
  EXPECT_TRUE(h.Timeout(5050, last));
  EXPECT_EQ(last, 0u);
  EXPECT_EQ(h.TakeLog(), "E F");
  EXPECT_FALSE(h.st.FrameOpen);
  EXPECT_FALSE(h.Timeout(9999, last));  // nothing received since: no second timeout
}

TEST(FramerTimeout, OnlyAStartCodeDataAfterATimeoutWaitsForTheNextStartCode) {
  FramingHarness h;
  SetCode(h.s.RCVSTA, {0x02});
  SetKeys(h.s.POSTCODE, {kEnter});
  h.s.DATADELAY = 50;
  h.Start();
  h.Block({0x02, 0x41});
  std::uint32_t last = 100;
  ASSERT_TRUE(h.Timeout(200, last));
  h.TakeLog();
  h.Block({0x42, 0x43, 0x02, 0x44});
  // No POSTCODE is owed after the timeout.
  EXPECT_EQ(h.TakeLog(), "E F L44 T44");
}

TEST(FramerTimeout, AHalfHeldEndCodeSurvivesAndCompletesAfterTheTimeout) {
  FramingHarness h;
  SetCode(h.s.RCVSTA, {0x02});
  SetCode(h.s.RCVEND, {0x0D, 0x0A});
  SetKeys(h.s.POSTCODE, {kEnter});
  h.s.RCVENDOUT = 0;
  h.s.DATADELAY = 50;
  h.Start();
  h.Block({0x02, 0x41, 0x0D});
  std::uint32_t last = 100;
  ASSERT_TRUE(h.Timeout(150, last));
  EXPECT_EQ(h.Held(), "0D");
  h.TakeLog();
  h.Block({0x0A});
  EXPECT_EQ(h.TakeLog(), "L0D0A T0D T0A K10D E F");
}

TEST(FramerTimeout, AFirstByteWaitingForItsPartnerIsDroppedWithTheFrame) {
  for (bool jis : {false, true}) {
    FramingHarness h;
    if (jis) SetCode(h.s.KANJIIN, {0x1B, 0x24, 0x42});
    h.s.DATADELAY = 50;
    h.Start();
    h.Block(jis ? Bytes{0x1B, 0x24, 0x42, 0x30} : Bytes{0x41, 0x88});
    std::uint32_t last = 100;
    ASSERT_TRUE(h.Timeout(150, last));
    EXPECT_EQ(h.Held(), "") << jis;
    h.TakeLog();
    h.Block(jis ? Bytes{0x30, 0x21} : Bytes{0x88, 0x9F});
    EXPECT_EQ(h.TakeLog(), "L889F T889F") << jis;
  }
}

TEST(FramerTimeout, AStaleShiftCandidateIsDroppedSoReceptionGoesOn) {
  FramingHarness h;
  SetCode(h.s.RCVSTA, {0x02});
  SetCode(h.s.KANJIIN, {0x1B, 0x24, 0x42});
  h.s.DATADELAY = 50;
  h.Start();
  h.Block({0x02, 0x1B, 0x24});
  ASSERT_NE(h.st.Candidates & CAND_SHIFT_CODES, 0u);
  std::uint32_t last = 100;
  ASSERT_TRUE(h.Timeout(150, last));
  h.TakeLog();
  h.Block({0x02, 0x41});
  EXPECT_EQ(h.TakeLog(), "E F L41 T41");
}

TEST(FramerTimeout, DataDelayZeroNeverTimesOut) {
  FramingHarness h;
  h.s.DATADELAY = 0;
  h.Start();
  std::uint32_t last = 1;
  EXPECT_FALSE(h.Timeout(0xFFFFFFFFu, last));
  EXPECT_EQ(last, 1u);
  EXPECT_EQ(h.TakeLog(), "");
}

TEST(FramerTimeout, ANegativeDataDelayCountsAsNoTimeout) {
  FramingHarness h;
  h.s.DATADELAY = -5;
  h.Start();
  std::uint32_t last = 1;
  EXPECT_FALSE(h.Timeout(100000, last));
}

TEST(FramerTimeout, TheMillisecondClockWrappingStillTimesOut) {
  FramingHarness h;
  h.s.DATADELAY = 50;
  h.Start();
  std::uint32_t last = 0xFFFFFFF0u;
  EXPECT_FALSE(h.Timeout(0x00000010u, last));  // 32 ms across the wrap
  EXPECT_TRUE(h.Timeout(0x00000022u, last));   // 50 ms across the wrap
  EXPECT_EQ(last, 0u);
}

// ---- reset requested by the dialog's thread ----------------------------------------------------

TEST(FramingReset, ARequestIsAppliedOnceByTheOwnerOfTheState) {
  FramingHarness h;
  SetCode(h.s.RCVEND, {0x0D, 0x0A});
  h.Start();
  h.Block({0x0D});
  FramingResetRequest request;
  EXPECT_FALSE(request.ApplyPendingReset(h.st));
  EXPECT_EQ(h.Held(), "0D");
  request.RequestReset();
  EXPECT_TRUE(request.ApplyPendingReset(h.st));
  EXPECT_EQ(h.Held(), "");
  EXPECT_FALSE(request.ApplyPendingReset(h.st)) << "applied once";
  h.Block({0x0A});
  EXPECT_EQ(h.TakeLog(), "L0A T0A");  // the held half of the end code is gone
}

}  // namespace
