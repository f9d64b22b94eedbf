#include "reception/target_window_delivery_win32.h"

#include <mmsystem.h>

#include <atomic>

#include "common/ui_win32.h"
#include "reception/serial_port_win32.h"
#include "reception/target_window.h"
#include "reception/target_window_win32.h"

namespace {

ShapedFrameTyper Typer = nullptr;

// The system as delivery sees it. The main dialog in front shows the frames in its displays,
// as it always has; any other window (one of this program's included) is matched.
class WindowSystem final : public TargetSystem {
 public:
  Foreground Front(const char* targets) override {
    HWND front = GetForegroundWindow();
    if (front != nullptr && front == MainDialogWindow) return Foreground::MainDialog;
    return WindowIsTarget(front, targets) ? Foreground::Target : Foreground::Other;
  }
  bool BringTargetToFront(const char* targets) override {
    HWND target = FindTargetWindow(targets);
    return target != nullptr && BringToFront(target, ReceivePort.StopEvent) &&
           Front(targets) == Foreground::Target;
  }
  void TypeFrame(const ShapedFrame& frame) override {
    if (Typer != nullptr) Typer(frame);
  }
  bool Stopped() override { return RunningFlag == 0; }
};

WindowSystem System;
// The hold lives here, in static storage, for the life of the process.
TargetGate Gate(System);
std::atomic<TargetNotice> Shown{TargetNotice::None};

// The notice reaches the dialog's thread as a posted message, as the missing device does; the
// dialog asks TargetNoticeText for the caption.
void Publish(TargetNotice notice) {
  if (Shown.exchange(notice) == notice) return;
  if (MainDialogWindow != nullptr) PostMessageA(MainDialogWindow, kPortStateMessage, 0, 0);
}

// MessageBeep queues the sound and returns (Microsoft Learn, MessageBeep): the reader goes on
// at once. A frame given up sounds the error, a frame held the warning.
void Report(const TargetStep& step) {
  if (step.discarded > 0) MessageBeep(MB_ICONHAND);
  else if (step.held) MessageBeep(MB_ICONWARNING);
  Publish(Gate.Notice());
}

class Delivery final : public FrameDelivery {
 public:
  void DeliverFrame(const ShapedFrame& frame) override {
    Report(Gate.Deliver(frame, timeGetTime()));
  }
};

Delivery TheDelivery;

}  // namespace

void TargetReceptionStart(const char* targets, int mode, int waitSeconds, ShapedFrameTyper typer) {
  Typer = typer;
  Gate.Begin(targets, mode, waitSeconds);
  Publish(TargetNotice::None);
}

void TargetReceptionEnd() {
  Gate.End();
  Publish(TargetNotice::None);
}

FrameDelivery& TargetFrameDelivery() { return TheDelivery; }

void TypeDueTargetFrames() {
  if (Gate.Active() && Gate.HeldCount() > 0) Report(Gate.Turn(timeGetTime()));
}

DWORD TargetWakeMs() { return Gate.WakeMs(timeGetTime()); }

const char* TargetNoticeText() {
  switch (Shown.load()) {
    case TargetNotice::Waiting: return "送信先のウィンドウが前面にありません";
    case TargetNotice::Discarded: return "送信先を待つ間に破棄しました";
    default: return nullptr;
  }
}
