// The shell's tray resources are released: the icon image of the record. No window is needed:
// without a tray or a window the platform calls fail, and what was loaded must be released all
// the same. The window of the tray lets a new shell announce itself to an elevated program.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "app/main_window_win32.h"
#include "common/ui_win32.h"
#include "config/settings_location.h"
#include "settings_test_support.h"
#include "support/message_window_win32.h"

namespace {

bool IsLiveIcon(HICON icon) {
  ICONINFO info{};
  if (icon == nullptr || !GetIconInfo(icon, &info)) return false;
  if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);
  if (info.hbmMask != nullptr) DeleteObject(info.hbmMask);
  return true;
}

class TrayTest : public ::testing::Test {
 protected:
  void SetUp() override { AppInstance = GetModuleHandleA(nullptr); }
  void TearDown() override { AppInstance = nullptr; }
};

struct FilterChange {
  HWND window;
  UINT message;
  DWORD action;
};
std::vector<FilterChange> FilterChanges;

BOOL WINAPI RecordFilterChange(HWND window, UINT message, DWORD action, PCHANGEFILTERSTRUCT) {
  FilterChanges.push_back({window, message, action});
  return TRUE;
}

}  // namespace

TEST_F(TrayTest, TheTraysWindowAllowsTaskbarCreatedThroughTheMessageFilter) {
  TestDocumentsFolder none{""};
  SetDocumentsFolder(&none);  // the window's creation reads no settings file
  FilterChanges.clear();
  const ChangeMessageFilterFunction real = ChangeMessageFilter;
  ChangeMessageFilter = &RecordFilterChange;
  const HWND window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x5A5A0));  // never used as one
  MainWindowProc(window, WM_CREATE, 0, 0);
  ChangeMessageFilter = real;
  SetDocumentsFolder(nullptr);
  ASSERT_EQ(FilterChanges.size(), 1u);
  EXPECT_EQ(FilterChanges[0].window, window);
  EXPECT_EQ(FilterChanges[0].message, RegisterWindowMessageA("TaskbarCreated"));
  EXPECT_EQ(FilterChanges[0].action, static_cast<DWORD>(MSGFLT_ALLOW));
}

TEST_F(TrayTest, EachLoadReleasesTheImageBeforeAndTheReleaseItsOwn) {
  TrayImage image;
  const HICON first = image.Load(32);
  ASSERT_TRUE(IsLiveIcon(first)) << "the TORVEX icon is loaded";
  const HICON second = image.Load(48);
  ASSERT_TRUE(IsLiveIcon(second));
  EXPECT_TRUE(second == first || !IsLiveIcon(first)) << "the image of the first load is left behind";
  image.Release();
  EXPECT_FALSE(IsLiveIcon(second)) << "the released image is left behind";
}

namespace {

// A shell that refuses the first `refusals` adds of the icon. An add may time out after the
// shell took the icon ("lateAdd"): it answers FALSE, and a modify finds the icon.
struct Shell {
  int refusals = 0;
  bool lateAdd = false;
  bool held = false;
  int adds = 0;
};
Shell TheShell;

BOOL WINAPI FakeNotifyIcon(DWORD message, PNOTIFYICONDATAW) {
  switch (message) {
    case NIM_ADD:
      if (++TheShell.adds <= TheShell.refusals) {
        TheShell.held = TheShell.lateAdd;
        return FALSE;
      }
      TheShell.held = true;
      return TRUE;
    case NIM_MODIFY: return TheShell.held;
    case NIM_DELETE: TheShell.held = false; return TRUE;
    default: return FALSE;
  }
}

// The tray state messages posted to the main dialog since the last call.
int TrayStatePosts(HWND dialog) {
  int n = 0;
  MSG msg;
  while (PeekMessageA(&msg, dialog, kTrayStateMessage, kTrayStateMessage, PM_REMOVE)) ++n;
  return n;
}

void Tick(int times) {
  for (int i = 0; i < times; ++i) MainWindowProc(MainWindow, WM_TIMER, kTrayRetryTimer, 0);
}

}  // namespace

// A shell still starting refuses the icon: it is tried again on the timer, for a bounded time,
// and the main dialog hears once when it is in (then it may hide); a new shell
// ("TaskbarCreated") that refuses it at first is tried the same way.
TEST_F(TrayTest, ARefusedIconIsTriedAgainOnTheTimerUntilTheShellTakesIt) {
  struct Case {
    const char* name;
    int refusals;
    bool lateAdd;
    int ticks;
    int adds;    // NIM_ADD calls made
    bool in;
  };
  const Case cases[] = {
      {"the shell takes it at once", 0, false, 0, 1, true},
      {"refused three times, in at the fourth", 3, false, 5, 4, true},
      {"an add that timed out got through: no second add", 1, true, 3, 1, true},
      {"refused for good: tried for two minutes, then no more", 1000, false, kTrayRetries + 5,
       kTrayRetries + 1, false},
  };
  MessageWindow window, dialog;
  MainWindow = window.handle;
  MainDialogWindow = dialog.handle;
  const NotifyIconFunction real = NotifyIcon;
  NotifyIcon = &FakeNotifyIcon;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TheShell = Shell{c.refusals, c.lateAdd};
    AddTrayIcon();
    Tick(c.ticks);
    EXPECT_EQ(TheShell.adds, c.adds);
    EXPECT_EQ(TrayIconIn(), c.in);
    EXPECT_EQ(TrayStatePosts(dialog.handle), c.in ? 1 : 0);
    if (c.in) {
      // Explorer restarts and refuses the icon twice.
      TheShell = Shell{2, false};
      ReAddTrayIcon();
      EXPECT_FALSE(TrayIconIn());
      Tick(1);
      EXPECT_FALSE(TrayIconIn());
      Tick(1);
      EXPECT_TRUE(TrayIconIn());
      EXPECT_EQ(TrayStatePosts(dialog.handle), 2) << "lost, then in again";
    }
    RemoveTrayIcon();
    EXPECT_FALSE(TheShell.held);
    const int adds = TheShell.adds;
    Tick(2);
    EXPECT_EQ(TheShell.adds, adds) << "no add after the removal";
  }
  NotifyIcon = real;
  MainWindow = nullptr;
  MainDialogWindow = nullptr;
}
