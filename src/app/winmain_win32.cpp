// Process entry, for now: reads the command line and the settings, then ends with status 1.
// It stands in until the application shell (hidden main window, splash, main dialog) lands.
#include <windows.h>

#include "config/command_line.h"
#include "config/settings_location.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR lpCmdLine, int) {
  ParseCommandLine(lpCmdLine);
  LoadSettings(nullptr);
  return 1;
}
