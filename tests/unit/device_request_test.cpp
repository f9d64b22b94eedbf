// When device requests fall due: the timer, after each frame, when asked, and never without
// request bytes.
#include <gtest/gtest.h>

#include <cstring>

#include "source/device_request.h"

namespace {

SettingsRecord RequestSettings(const char* code, int timer, int after) {
  SettingsRecord s;
  SetDefaultSettings(s);
  std::memset(s.REQCODE, 0, sizeof s.REQCODE);
  std::memcpy(s.REQCODE, code, std::strlen(code));
  s.REQTIMER = static_cast<std::int16_t>(timer);
  s.REQAFTER = static_cast<std::uint8_t>(after);
  return s;
}

// Steps a clock from `start` by `step` ms up to `end`, with frame ends at the listed times
// (from the start), and returns the times (from the start) at which a request was due.
std::string DueTimes(RequestSchedule& r, std::uint32_t start, std::uint32_t end,
                     std::uint32_t step, std::initializer_list<std::uint32_t> frameEnds = {}) {
  std::string due;
  for (std::uint32_t t = start; t != end + step; t += step) {
    for (std::uint32_t f : frameEnds)
      if (f == t - start) r.FrameEnded();
    if (r.TakeDue(t)) due += std::to_string(t - start) + " ";
  }
  return due;
}

TEST(DeviceRequest, FallsDueByTimerAfterFramesAndWhenAsked) {
  struct Row {
    const char* what;
    const char* code;
    int timer, after;
    std::initializer_list<std::uint32_t> frameEnds;
    const char* due;
  } rows[] = {
      {"timer 200: one a period, the first a period after the start", "Q\r\n", 200, 0, {}, "200 400 600 800 1000 "},
      {"after each frame: one at the start, then one per frame end", "Q\r\n", 0, 1, {300, 700}, "0 300 700 "},
      {"no request bytes: nothing, whatever else is set", "", 200, 1, {300}, ""},
      {"both: the timer and the frames", "\x1bP\r\n", 500, 1, {300}, "0 300 500 1000 "},
  };
  for (const Row& row : rows) {
    const SettingsRecord s = RequestSettings(row.code, row.timer, row.after);
    for (std::uint32_t start : {1000u, 0xFFFFFF00u}) {  // the clock also wraps around
      RequestSchedule r;
      r.Start(s, start);
      EXPECT_EQ(DueTimes(r, start, start + 1000, 100, row.frameEnds), row.due)
          << row.what << " start " << start;
    }
  }
}

TEST(DeviceRequest, AskedOnceSendsOnceAndALateTimerDoesNotBurst) {
  const SettingsRecord s = RequestSettings("Q\r\n", 100, 0);
  RequestSchedule r;
  r.Start(s, 0);
  EXPECT_EQ(r.WakeMs(30), 70u);
  r.Ask();
  EXPECT_EQ(r.WakeMs(30), 0u);
  EXPECT_TRUE(r.TakeDue(30));
  EXPECT_FALSE(r.TakeDue(31));
  // Typing held the reader for 1 s: one request, and the timer runs on from then.
  EXPECT_TRUE(r.TakeDue(1050));
  EXPECT_FALSE(r.TakeDue(1100));
  EXPECT_TRUE(r.TakeDue(1150));

  // REQTIMER 1 from a settings file: raised to the dialog's floor, not a request a millisecond.
  RequestSchedule fast;
  fast.Start(RequestSettings("Q\r\n", 1, 0), 0);
  EXPECT_EQ(DueTimes(fast, 0, 300, 10), "100 200 300 ");

  RequestSchedule none;
  none.Start(RequestSettings("", 100, 1), 0);
  none.Ask();
  EXPECT_FALSE(none.TakeDue(500));
  EXPECT_EQ(none.WakeMs(500), RequestSchedule::kNoWake);
}

}  // namespace
