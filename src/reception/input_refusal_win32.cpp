#include "reception/input_refusal_win32.h"

#include <windows.h>

#include <atomic>

#include "common/ui_win32.h"
#include "reception/serial_port_win32.h"

namespace {
std::atomic<bool> Shown{false};
}  // namespace

// MessageBeep queues the sound and returns (Microsoft Learn, MessageBeep), so the reader goes
// on at once; the notice reaches the dialog's thread as a posted message, as the missing device
// does, and no box waits for an answer.
void ReportInputRefused() {
  MessageBeep(MB_ICONWARNING);
  ShowInputRefused(true);
}

void ShowInputRefused(bool refused) {
  if (Shown.exchange(refused) == refused) return;
  if (MainDialogWindow != nullptr) PostMessageA(MainDialogWindow, kPortStateMessage, 0, 0);
}

bool InputRefusedShown() { return Shown.load(); }
