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
