// The reader's pauses: whole when nothing stops them, ended by the stop event, and made the
// same way (a high-resolution timer, else the raised timer period) on every system.
#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "reception/pause_timer_win32.h"

namespace {

double ElapsedMs(LARGE_INTEGER since) {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(now.QuadPart - since.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

class PauseTimerWays : public testing::TestWithParam<bool> {
 protected:
  void SetUp() override { stop_ = CreateEventA(nullptr, TRUE, FALSE, nullptr); }
  void TearDown() override { CloseHandle(stop_); }
  HANDLE stop_ = nullptr;
};

TEST_P(PauseTimerWays, APauseLastsItsLengthUnlessStopped) {
  PauseTimer pauses(GetParam());
  pauses.Begin();
  EXPECT_NE(pauses.HighResolution(), pauses.PeriodRaised()) << "one way or the other, not both";
  LARGE_INTEGER start;
  QueryPerformanceCounter(&start);
  EXPECT_FALSE(pauses.Wait(20, nullptr));
  EXPECT_GE(ElapsedMs(start), 19.0);
  QueryPerformanceCounter(&start);
  EXPECT_FALSE(pauses.Wait(20, stop_));
  EXPECT_GE(ElapsedMs(start), 19.0);

  std::thread stopper([this] {
    Sleep(20);
    SetEvent(stop_);
  });
  QueryPerformanceCounter(&start);
  EXPECT_TRUE(pauses.Wait(10000, stop_));
  EXPECT_LT(ElapsedMs(start), 5000.0) << "the stop did not end the pause";
  stopper.join();
  EXPECT_TRUE(pauses.Wait(0, stop_));
  EXPECT_FALSE(pauses.Wait(0, nullptr));
  pauses.End();
  EXPECT_FALSE(pauses.PeriodRaised());
}

INSTANTIATE_TEST_SUITE_P(HighResolutionOrPeriod, PauseTimerWays, testing::Bool());

}  // namespace
