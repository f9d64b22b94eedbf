#include "common/shell_state_win32.h"

HWND MainWindow = nullptr;
HWND MainDialogWindow = nullptr;
HWND AboutWindow = nullptr;
HINSTANCE AppInstance = nullptr;
HMENU TrayMenu = nullptr;
