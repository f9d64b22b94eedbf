// Process entry: hidden MainWindow, splash, then the main dialog for the life of the process.
#include <windows.h>
#include <commctrl.h>

#include "app/about_dialog_win32.h"
#include "app/main_dialog_win32.h"
#include "app/main_window_win32.h"
#include "app/startup_shortcut_win32.h"
#include "common/ui_win32.h"
#include "config/settings_location.h"

namespace {
void InitControls() {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES | ICC_HOTKEY_CLASS};
  InitCommonControlsEx(&controls);
}
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  ParseCommandLine(commandLine);
  // Once for the whole process rather than around each shell call: the shell may keep the
  // objects of a call (a browser's folders, a handler launched by ShellExecuteA) alive after it
  // returns, and the modal loops of the dialogs dispatch the apartment's messages.
  const ComApartment com;
  AppInstance = instance;
  InitControls();
  // MainWindow's creation loads the start-up settings file.
  if (!CreateMainWindow(instance)) return 0;
  DialogBoxParamW(instance, L"CopyrightDlg", MainWindow, &SplashAboutProc, 0);
  // The dialog ends only with 2; -1 (it could not be made) would otherwise loop for ever.
  INT_PTR result = 0;
  while (result != 2 && result != -1) {
    result = DialogBoxParamW(instance, L"MainFormDlg", nullptr, &MainFormDlgProc, 0);
  }
  // A close request from outside has already destroyed the window.
  if (MainWindow != nullptr) DestroyWindow(MainWindow);
  return 1;
}
