// What the reception pipeline gives the reader and the dialog besides the framing: pauses whole
// when nothing stops them, ended by the stop event, made the same way (a high-resolution timer,
// else the raised timer period) on every system; the echo posted by the reader and appended by
// the dialog's thread (joined with a blank, in the order posted; a dialog that has not caught
// up loses the echo of the blocks beyond the ring, never its order); and the notice of refused
// input reaching the main dialog once per change. The windows are message-only: no display is
// needed.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "common/ui_win32.h"
#include "delivery/reception_pipeline_win32.h"
#include "framing/echo_ring.h"
#include "support/message_window_win32.h"

namespace {

// ---- pauses

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
}

INSTANTIATE_TEST_SUITE_P(HighResolutionOrPeriod, PauseTimerWays, testing::Bool());

// ---- the echo

// A stand-in for the main dialog and its input code display: message-only windows (no display
// needed to run the tests).
class EchoDialog {
 public:
  EchoDialog() {
    window_ = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    display_ = CreateWindowExW(0, L"EDIT", L"", ES_MULTILINE, 0, 0, 90, 90, HWND_MESSAGE, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    MainDialogWindow = window_;
  }
  ~EchoDialog() {
    Handle();  // gives back every slot still posted
    MainDialogWindow = nullptr;
    DestroyWindow(display_);
    DestroyWindow(window_);
  }
  EchoDialog(const EchoDialog&) = delete;
  EchoDialog& operator=(const EchoDialog&) = delete;

  // What the dialog's procedure does with the echo messages queued now; returns how many.
  int Handle() {
    MSG msg;
    int n = 0;
    while (PeekMessageW(&msg, window_, kEchoMessage, kEchoMessage, PM_REMOVE)) {
      AppendPostedEcho(display_, msg.wParam);
      ++n;
    }
    return n;
  }
  std::string Display() const {
    char text[4096] = {};
    GetWindowTextA(display_, text, sizeof text);
    return text;
  }

 private:
  HWND window_ = nullptr;
  HWND display_ = nullptr;
};

TEST(EchoPost, EachBlockIsPostedOnceAndJoinedWithABlankInOrder) {
  EchoDialog dialog;
  PostEcho("x02 x41", 7);
  PostEcho("x42 x03", 7);
  EXPECT_EQ(dialog.Display(), "") << "nothing is sent: the dialog appends when it gets to it";
  EXPECT_EQ(dialog.Handle(), 2);
  EXPECT_EQ(dialog.Display(), "x02 x41 x42 x03");
}

TEST(EchoPost, ADialogFarBehindLosesTheLaterBlocksAndKeepsTheOrder) {
  EchoDialog dialog;
  std::string expected;
  for (int block = 0; block < kEchoSlots + 3; ++block) {
    const std::string text = "x3" + std::to_string(block % 10);
    PostEcho(text.c_str(), static_cast<int>(text.size()));
    if (block < kEchoSlots) expected += (block > 0 ? " " : "") + text;
  }
  EXPECT_EQ(dialog.Handle(), kEchoSlots);
  EXPECT_EQ(dialog.Display(), expected);
  // Caught up, it gets every block again.
  PostEcho("xFF", 3);
  EXPECT_EQ(dialog.Handle(), 1);
  EXPECT_EQ(dialog.Display(), expected + " xFF");
}

// ---- refused input

int PortStateMessages(HWND window) {
  int n = 0;
  MSG msg;
  while (PeekMessageA(&msg, window, kPortStateMessage, kPortStateMessage, PM_REMOVE)) ++n;
  return n;
}

TEST(RefusalNotice, ReachesTheMainDialogOncePerChange) {  const MessageWindow dialog;
  ASSERT_NE(dialog.handle, nullptr);
  MainDialogWindow = dialog.handle;
  ShowInputRefused(false);
  PortStateMessages(dialog.handle);
  ReportInputRefused();
  ReportInputRefused();  // a second refused frame beeps again; the notice is up already
  EXPECT_TRUE(InputRefusedShown());
  EXPECT_EQ(PortStateMessages(dialog.handle), 1);
  ShowInputRefused(false);
  ShowInputRefused(false);
  EXPECT_FALSE(InputRefusedShown());
  EXPECT_EQ(PortStateMessages(dialog.handle), 1);
  MainDialogWindow = nullptr;
}

}  // namespace
