// Input the window in front refuses: the integrity levels read from the tokens of real
// processes (every process under Wine is of one level, so only the levels that may type are
// seen here; the comparison is tested in keystrokes_test.cpp). The windows are message-only: no
// display is needed; the notice of a refusal is tested in reception_pipeline_win32_test.cpp.
#include <windows.h>

#include <gtest/gtest.h>

#include "keyout/keyboard_win32.h"
#include "support/message_window_win32.h"

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
