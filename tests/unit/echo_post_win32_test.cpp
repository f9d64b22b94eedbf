// The echo posted by the reader and appended by the dialog's thread: the display's texts join
// with a blank, in the order posted, and a dialog that has not caught up loses the echo of the
// blocks beyond the ring, never its order.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "common/ui_win32.h"
#include "reception/echo_post_win32.h"
#include "reception/echo_ring.h"

namespace {

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

}  // namespace
