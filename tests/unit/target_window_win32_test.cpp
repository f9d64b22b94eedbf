// Target windows as the system shows them, on windows of this process (message-only: no
// display is needed): the program file name and title read and matched, and the delivery of
// the program holding a frame, saying so to the main dialog once per change, and typing at
// once when targets are off.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/ui_win32.h"
#include "delivery/target_window_win32.h"
#include "source/serial_port_win32.h"
#include "support/message_window_win32.h"

namespace {

// The file name part of this test program, as the system names it.
std::string OwnProgramName() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  const char* name = std::strrchr(path, '\\');
  return name != nullptr ? name + 1 : path;
}

int PortStateMessages(HWND window) {
  int n = 0;
  MSG msg;
  while (PeekMessageA(&msg, window, kPortStateMessage, kPortStateMessage, PM_REMOVE)) ++n;
  return n;
}

std::string Typed;
void RecordTyped(const ShapedFrame& frame) { Typed += reinterpret_cast<const char*>(frame.text); }

ShapedFrame Frame(const char* text) {
  ShapedFrame f{};
  f.length = static_cast<int>(std::strlen(text));
  std::memcpy(f.text, text, static_cast<std::size_t>(f.length) + 1);
  return f;
}

// Reception "runs" for the delivery (nothing is typed once it is stopped); restored after.
struct RunningReception {
  RunningReception() { RunningFlag = 2; }
  ~RunningReception() { RunningFlag = 0; }
};

}  // namespace

TEST(TargetWindowIdentity, AWindowOfThisProcessHasItsProgramAndTitle) {
  const MessageWindow window(L"受付 - 伝票");
  ASSERT_NE(window.handle, nullptr);
  WindowIdentity identity;
  ReadWindowIdentity(window.handle, identity);
  EXPECT_EQ(lstrcmpiA(identity.program, OwnProgramName().c_str()), 0) << identity.program;
  EXPECT_STREQ(identity.title, "受付 - 伝票");
  const std::string byProgram = "other.exe;" + OwnProgramName();
  EXPECT_TRUE(WindowIsTarget(window.handle, byProgram.c_str()));
  EXPECT_TRUE(WindowIsTarget(window.handle, "伝票"));
  EXPECT_FALSE(WindowIsTarget(window.handle, "other.exe;請求"));
}

TEST(TargetWindowIdentity, NoWindowOrAGoneOneHasNoIdentity) {
  MessageWindow gone(L"x");
  const HWND handle = gone.handle;
  gone.Destroy();
  for (const HWND window : {HWND{nullptr}, handle}) {
    WindowIdentity identity;
    ReadWindowIdentity(window, identity);
    EXPECT_STREQ(identity.program, "");
    EXPECT_STREQ(identity.title, "");
    EXPECT_FALSE(WindowIsTarget(window, "x"));
    EXPECT_FALSE(BringToFront(window, nullptr));
  }
}

TEST(TargetWindowDelivery, AHeldFrameIsSaidOnceAndTheStopGivesItUp) {
  MessageWindow dialog(L"");
  ASSERT_NE(dialog.handle, nullptr);
  const HWND saved = MainDialogWindow;
  MainDialogWindow = dialog.handle;
  {
    const RunningReception running;
    Typed.clear();
    TargetReceptionStart("no-such-program.exe", 1, 30, RecordTyped);
    PortStateMessages(dialog.handle);
    EXPECT_EQ(TargetWakeMs(), 0u);
    TargetFrameDelivery().DeliverFrame(Frame("4912"));
    TargetFrameDelivery().DeliverFrame(Frame("4913"));
    EXPECT_EQ(Typed, "");
    ASSERT_NE(TargetNoticeText(), nullptr);
    EXPECT_STREQ(TargetNoticeText(), "送信先のウィンドウが前面にありません");
    EXPECT_EQ(PortStateMessages(dialog.handle), 1);
    const DWORD wake = TargetWakeMs();
    EXPECT_GE(wake, 1u);
    EXPECT_LE(wake, 100u);
    TypeDueTargetFrames();
    EXPECT_EQ(Typed, "");
    TargetReceptionEnd();
    EXPECT_EQ(TargetNoticeText(), nullptr);
    EXPECT_EQ(PortStateMessages(dialog.handle), 1);
    EXPECT_EQ(TargetWakeMs(), 0u);

    TargetReceptionStart("no-such-program.exe", 0, 30, RecordTyped);
    TargetFrameDelivery().DeliverFrame(Frame("77"));
    EXPECT_EQ(Typed, "77") << "mode 0 types at once";
    EXPECT_EQ(TargetNoticeText(), nullptr);
    TargetReceptionEnd();
  }
  MainDialogWindow = saved;
}
