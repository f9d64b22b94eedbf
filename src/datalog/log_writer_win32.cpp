#include "datalog/log_writer_win32.h"

#include "common/messages_win32.h"

namespace {

// The message box of the shell: owned by the main dialog, shown from the reader thread.
class ShellLogNotices : public LogNotices {
 public:
  void ShowNotice(const char* text) override { ::ShowNotice(text); }
};

}  // namespace

LogWriter& ProcessLogWriter() {
  static CrtLogClock clock;
  static ShellLogNotices notices;
  static LogWriter writer(Settings, clock, notices);
  return writer;
}
