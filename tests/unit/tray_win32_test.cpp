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
// A shell that refuses the first `refusals` adds; an add that timed out may have got the icon
// in all the same ("late"), which a modify finds.
struct Shell {
  int refusals = 0;
  bool late = false;
  bool held = false;
  int adds = 0;
} TheShell;

BOOL WINAPI FakeNotifyIcon(DWORD message, PNOTIFYICONDATAW) {
  if (message == NIM_ADD) {
    const bool refused = ++TheShell.adds <= TheShell.refusals;
    TheShell.held = !refused || TheShell.late;
    return !refused;
  }
  if (message == NIM_DELETE) TheShell.held = false;
  return message == NIM_MODIFY ? TheShell.held : TRUE;
}
}  // namespace

// A refused icon is tried again on the timer, a bounded number of times, also after
// "TaskbarCreated"; the main dialog hears once each time the icon comes in or goes.
TEST_F(TrayTest, ARefusedIconIsTriedAgainOnTheTimerUntilTheShellTakesIt) {
  const struct {
    int refusals;
    bool late;
    int adds;  // NIM_ADD calls after kTrayRetries + 2 timer ticks
    bool in;
  } rows[] = {{0, false, 1, true}, {3, false, 4, true}, {1, true, 1, true},
              {1000, false, 1 + kTrayRetries, false}};
  MessageWindow window, dialog;
  MainWindow = window.handle;
  MainDialogWindow = dialog.handle;
  const NotifyIconFunction real = NotifyIcon;
  NotifyIcon = &FakeNotifyIcon;
  const auto tick = [] { MainWindowProc(MainWindow, WM_TIMER, kTrayRetryTimer, 0); };
  const auto posts = [&] {
    MSG msg;
    int n = 0;
    while (PeekMessageA(&msg, dialog.handle, kTrayStateMessage, kTrayStateMessage, PM_REMOVE)) ++n;
    return n;
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.refusals);
    TheShell = Shell{row.refusals, row.late};
    AddTrayIcon();
    for (int i = 0; i < kTrayRetries + 2; ++i) tick();
    EXPECT_EQ(TheShell.adds, row.adds);
    EXPECT_EQ(TrayIconIn(), row.in);
    EXPECT_EQ(posts(), row.in ? 1 : 0);
    TheShell = Shell{1, false};  // a new shell refuses once
    ReAddTrayIcon();
    tick();
    EXPECT_TRUE(TrayIconIn());
    EXPECT_EQ(posts(), row.in ? 2 : 1) << "gone, then in again";
    RemoveTrayIcon();
    tick();
    EXPECT_EQ(TheShell.adds, 2) << "no add after the removal";
  }
  NotifyIcon = real;
  MainWindow = MainDialogWindow = nullptr;
}
