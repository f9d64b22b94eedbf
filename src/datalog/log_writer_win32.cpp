#include "datalog/log_writer_win32.h"

#include <atomic>

#include "common/ui_win32.h"

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

// GUI thread only: a box of each kind open (inside ShowNotice's modal loop), or waiting for the
// main dialog to be activated.
bool BoxOpen[kLogNoticeKinds] = {};
bool Deferred[kLogNoticeKinds] = {};

bool AnotherProgramInFront() {
  HWND front = GetForegroundWindow();
  DWORD process = 0;
  if (front != nullptr) GetWindowThreadProcessId(front, &process);
  return process != 0 && process != GetCurrentProcessId();
}

// The taskbar button flashes until the dialog comes to the front (nothing while it is hidden).
void FlashMainDialog() {
  FLASHWINFO flash{};
  flash.cbSize = sizeof flash;
  flash.hwnd = MainDialogWindow;
  flash.dwFlags = FLASHW_TRAY | FLASHW_TIMERNOFG;
  if (MainDialogWindow != nullptr) FlashWindowEx(&flash);
}

}  // namespace

LogWriter& ProcessLogWriter() {
  static CrtLogClock clock;
  static PostedLogNotices notices;
  static LogWriter writer(Settings, clock, notices);
  return writer;
}

void ShowLogNoticeBox(WPARAM notice) {
  if (notice >= kLogNoticeKinds || BoxOpen[notice]) return;
  if (AnotherProgramInFront()) {
    if (!Deferred[notice]) FlashMainDialog();
    Deferred[notice] = true;
    return;
  }
  Deferred[notice] = false;
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

void PostDeferredLogNotices() {
  for (unsigned k = 0; k < kLogNoticeKinds; ++k) {
    if (Deferred[k] && MainDialogWindow != nullptr) PostMessageA(MainDialogWindow, kLogNoticeMessage, k, 0);
  }
}

void ClearLogNotices() {
  Lasting.store(0);
  for (bool& deferred : Deferred) deferred = false;
}
