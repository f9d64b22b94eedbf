// Input the window in front refuses: the integrity levels read from the tokens of real
// processes (every process under Wine is of one level, so only the levels that may type are
// seen here; the comparison is tested in keystrokes_test.cpp), and the notice reaching the main
// dialog as a posted message, once per change. The windows are message-only: no display is
// needed.
#include <windows.h>

#include <gtest/gtest.h>

#include "common/ui_win32.h"
#include "keyout/keyboard_win32.h"
#include "reception/input_refusal_win32.h"
#include "reception/serial_port_win32.h"
#include "support/message_window_win32.h"

namespace {

int PortStateMessages(HWND window) {
  int n = 0;
  MSG msg;
  while (PeekMessageA(&msg, window, kPortStateMessage, kPortStateMessage, PM_REMOVE)) ++n;
  return n;
}

}  // namespace

TEST(ForegroundIntegrity, AWindowOfThisProcessHasItsLevelAndTakesItsInput) {
  const auto own = ProcessIntegrityLevel(GetCurrentProcess());
  ASSERT_TRUE(own.has_value()) << "the level of this process's own token";
  const MessageWindow window;
  ASSERT_NE(window.handle, nullptr);
  EXPECT_EQ(WindowIntegrityLevel(window.handle), own);
  EXPECT_FALSE(WindowRefusesOurInput(window.handle));
}

TEST(ForegroundIntegrity, NoWindowOrAGoneOneIsNotKnownToRefuse) {
  MessageWindow gone;
  const HWND handle = gone.handle;
  gone.Destroy();
  for (const HWND window : {HWND{nullptr}, handle}) {
    EXPECT_FALSE(WindowIntegrityLevel(window).has_value());
    EXPECT_FALSE(WindowRefusesOurInput(window));
  }
}

TEST(RefusalNotice, ReachesTheMainDialogOncePerChange) {
  const MessageWindow dialog;
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
