#include "datalog/log_writer_win32.h"

#include <atomic>

#include "common/messages_win32.h"
#include "common/shell_state_win32.h"

namespace {

// The reader's side: nothing here waits for the dialog's thread.
std::atomic<unsigned> Lasting{0};

class PostedLogNotices : public LogNotices {
 public:
  void ShowNotice(LogNotice notice) override {
    if (MainDialogWindow != nullptr)
      PostMessageA(MainDialogWindow, kLogNoticeMessage, static_cast<WPARAM>(notice), 0);
  }
  void NoticesLasting(unsigned conditions) override {
    Lasting.store(conditions);
    if (MainDialogWindow != nullptr) PostMessageA(MainDialogWindow, kPortStateMessage, 0, 0);
  }
};

// GUI thread only: a box of each kind open (inside ShowNotice's modal loop).
bool BoxOpen[kLogNoticeKinds] = {};

}  // namespace

LogWriter& ProcessLogWriter() {
  static CrtLogClock clock;
  static PostedLogNotices notices;
  static LogWriter writer(Settings, clock, notices);
  return writer;
}

void ShowLogNoticeBox(WPARAM notice) {
  if (notice >= kLogNoticeKinds || BoxOpen[notice]) return;
  BoxOpen[notice] = true;
  ShowNotice(LogNoticeText(static_cast<LogNotice>(notice)));
  BoxOpen[notice] = false;
}

const char* LastingLogNoticeText() {
  const unsigned lasting = Lasting.load();
  for (const LogNotice n : {LogNotice::FolderGiven, LogNotice::NotOpenable, LogNotice::SizeLimit}) {
    if ((lasting & LogNoticeBit(n)) != 0) return LogNoticeText(n);
  }
  return nullptr;
}

void ClearLogNotices() { Lasting.store(0); }
