#include "datalog/log_file_chooser_win32.h"

#include <windows.h>

#include <cstring>

#include "common/two_byte_text.h"
#include "common/ui_win32.h"
#include "datalog/log_dialog_text.h"

int ChooseFile(int mode, char* path, std::size_t size, const char* filter) {
  char buffer[kChooserPathSize] = {};
  ChooserStartPath(path, buffer, sizeof buffer);
  // The default extension is that of the first pattern ("*.log" gives "log").
  const char* pattern = filter + std::strlen(filter) + 1;
  const char* dot = std::strrchr(pattern, '.');
  const char* ext = dot ? dot + 1 : nullptr;
  if (!RunFileChooser(mode, GetActiveWindow(), filter, ext, buffer)) return 0;
  CopyTextCut(path, size, buffer);
  return 1;
}
