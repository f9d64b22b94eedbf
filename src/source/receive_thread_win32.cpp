// The reader thread: turns a PortReader on ReceivePort, whose blocks go to the reception
// pipeline, until reception is stopped; and the GUI thread's bounded wait for it to end.
#include "source/receive_thread_win32.h"

#include <mmsystem.h>

#include <cstring>

#include "config/settings.h"
#include "source/device_request_win32.h"
#include "source/network_source.h"
#include "source/network_source_win32.h"
#include "source/serial_port_win32.h"
#include "source/thread_wait_win32.h"

// ---- the reader

namespace {

constexpr DWORD kMaxReadPerTurn = kReceiveBufferSize - 1;  // the block stays terminated
// A wait that fails for another reason is retried after this pause, not in a spin.
constexpr DWORD kFailedWaitPauseMs = 20;
constexpr DWORD kReopenIntervalMs = 1000;
// A port whose calls fail this many times in a row over at least this long, whatever the
// error, has lost its device: drivers do not all fail with the errors DeviceGone knows.
constexpr int kLostAfterFailures = 5;
constexpr DWORD kLostAfterMs = 1000;

// The errors a port gives once its device has been removed.
bool DeviceGone(DWORD error) {
  switch (error) {
    case ERROR_ACCESS_DENIED:
    case ERROR_NOT_READY:
    case ERROR_BAD_COMMAND:
    case ERROR_GEN_FAILURE:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_DEVICE_REMOVED:
    case ERROR_INVALID_HANDLE:
      return true;
    default:
      return false;
  }
}

enum class IoWait { Event, Failed, TimedOut, Stopped };

// An overlapped operation's event or the stop, whichever comes first, at most limitMs. The
// port wait also ends when the user asks for a device request, which then goes out at once
// (it counts as a wait that timed out: the port wait stays pending).
IoWait WaitIo(HANDLE ioEvent, DWORD limitMs, bool wakeForRequest = false) {
  const HANDLE events[3] = {ReceivePort.StopEvent, ioEvent, DeviceRequestEvent()};
  const DWORD count = wakeForRequest && events[2] != nullptr ? 3 : 2;
  switch (WaitForMultipleObjects(count, events, FALSE, limitMs)) {
    case WAIT_OBJECT_0: return IoWait::Stopped;
    case WAIT_OBJECT_0 + 1: return IoWait::Event;
    case WAIT_OBJECT_0 + 2:
    case WAIT_TIMEOUT: return IoWait::TimedOut;
    default: return IoWait::Failed;
  }
}

// The input queue's byte count (and the port's error state cleared); false when the port
// refused, with the error in `error`.
bool QueuedBytes(DWORD& queued, DWORD& error) {
  DWORD errors = 0;
  COMSTAT status{};
  queued = 0;
  if (PortApi().ClearError(ReceivePort.PortHandle, &errors, &status)) {
    queued = status.cbInQue;
    ReceivePort.NoteLineErrors(errors, timeGetTime());
    return true;
  }
  error = GetLastError();
  return false;
}

// 0 stands for "no data yet", so a clock reading of 0 is taken as 1.
DWORD NonZeroTime(DWORD now) { return now == 0 ? 1 : now; }

}  // namespace

PortReader::PortReader(const ReaderSteps& steps) : steps_(steps) { TakeRecords(); }

PortReader::~PortReader() {
  FinishWait();
  if (wait_ != nullptr) ReturnPortIo(wait_);
  if (read_ != nullptr) ReturnPortIo(read_);
}

bool PortReader::Begin() {
  if (PortApi().SetMask(ReceivePort.PortHandle, EV_RXCHAR)) return true;
  const DWORD error = GetLastError();
  if (!DeviceGone(error)) return false;
  AwaitDeviceReturn();
  return true;
}

bool PortReader::TakeRecords() {
  if (wait_ == nullptr) wait_ = TakePortIo();
  if (read_ == nullptr) read_ = TakePortIo();
  return Ready();
}

bool PortReader::Settle(PortIo*& io) {
  DWORD unused = 0;
  if (PortApi().Result(ReceivePort.PortHandle, &io->overlapped, &unused, kCancelledIoMs) ||
      GetLastError() != ERROR_IO_INCOMPLETE) {
    return true;
  }
  // The driver keeps the request: its record is left to it, with the buffer it writes to.
  AbandonPortIo(io);
  ReceivePort.NoteAbandonedIo(Settings.PORT);
  io = TakePortIo();
  return false;
}

PortReader::WaitResult PortReader::WaitForPort(DWORD limitMs) {
  HANDLE port = ReceivePort.PortHandle;
  SerialApi& api = PortApi();
  OVERLAPPED& o = wait_->overlapped;
  if (!waitPending_) {
    // A stop that came after the loop's check has set the stop event as well; looking at the
    // flag here only saves starting a wait that would be cancelled at once.
    if (!RunningFlag) return WaitResult::Stopped;
    wait_->mask = 0;
    ResetEvent(o.hEvent);
    if (api.WaitEvent(port, &wait_->mask, &o)) return WaitResult::Event;
    waitError_ = GetLastError();
    if (waitError_ != ERROR_IO_PENDING) return WaitResult::Failed;
    waitPending_ = true;
  }
  switch (WaitIo(o.hEvent, limitMs, true)) {
    case IoWait::Stopped: return WaitResult::Stopped;
    case IoWait::TimedOut: return WaitResult::TimedOut;
    case IoWait::Failed: return WaitResult::Failed;
    case IoWait::Event: break;
  }
  waitPending_ = false;
  DWORD unused = 0;
  if (api.Result(port, &o, &unused, 0)) return WaitResult::Event;
  waitError_ = GetLastError();
  return WaitResult::Failed;
}

// The wait's structure and mask are reused for the next wait, on this port or a reopened one,
// and must not be before the request has completed (CancelIoEx, Microsoft Learn). A working
// driver completes it at once; one that does not gets its record to keep.
void PortReader::FinishWait() {
  if (!waitPending_) return;
  waitPending_ = false;
  HANDLE port = ReceivePort.PortHandle;
  SerialApi& api = PortApi();
  api.SetMask(port, 0);
  api.Cancel(port, &wait_->overlapped);
  Settle(wait_);
}

DWORD PortReader::AwaitData() {
  const WaitResult r = WaitForPort(ReaderWaitLimit(lastReceiveTime_));
  if (r == WaitResult::Stopped) return 0;
  if (r == WaitResult::Failed) {
    if (waitError_ == ERROR_OPERATION_ABORTED) return AfterAbortedWait();
    OnPortError(waitError_);
    return 0;
  }
  abortedEmpty_ = false;
  DWORD queued = 0, error = 0;
  if (r == WaitResult::TimedOut) {
    // Bytes queued before the wait began have had their event: they are data, not a gap.
    if (!QueuedBytes(queued, error)) {
      OnPortError(error);
      return 0;
    }
    failures_ = 0;
    return queued;
  }
  if (Settings.DATAWAIT > 0 && ReceivePort.WaitForStop(static_cast<DWORD>(Settings.DATAWAIT))) return 0;
  if (!QueuedBytes(queued, error)) {
    OnPortError(error);
    return 0;
  }
  failures_ = 0;
  // Whatever the mask says (it is empty when the mask was changed), queued bytes are read.
  return queued;
}

DWORD PortReader::AfterAbortedWait() {
  DWORD queued = 0, error = 0;
  if (!QueuedBytes(queued, error)) {
    OnPortError(error);
    return 0;
  }
  if (queued != 0) {
    abortedEmpty_ = false;
    return queued;
  }
  if (abortedEmpty_) ReceivePort.WaitForStop(kFailedWaitPauseMs);
  abortedEmpty_ = true;
  return 0;
}

DWORD PortReader::ReadQueued(DWORD count) {
  if (count > kMaxReadPerTurn) count = kMaxReadPerTurn;
  std::memset(read_->data, 0, sizeof read_->data);
  HANDLE port = ReceivePort.PortHandle;
  OVERLAPPED& o = read_->overlapped;
  SerialApi& api = PortApi();
  ResetEvent(o.hEvent);
  DWORD read = 0;
  if (!api.Read(port, read_->data, count, &read, &o)) {
    const DWORD error = GetLastError();
    if (error != ERROR_IO_PENDING) {
      OnPortError(error);
      return 0;
    }
    // The read's time-outs end it within 50 ms; a stop, or a driver that keeps it longer,
    // cancels it. Its structure and buffer are in use until it has completed.
    if (WaitIo(o.hEvent, kReadLimitMs) != IoWait::Event) {
      api.Cancel(port, &o);
      if (!Settle(read_)) return 0;  // abandoned: what it reads is lost
    }
    if (!api.Result(port, &o, &read, 0)) read = 0;
  }
  return read > count ? count : read;
}

bool PortReader::FailingTooLong() {
  const DWORD now = timeGetTime();
  if (failures_++ == 0) firstFailure_ = now;
  return failures_ >= kLostAfterFailures && now - firstFailure_ >= kLostAfterMs;
}

void PortReader::OnPortError(DWORD error) {
  // A stopped reader, perhaps back from a driver's call after its stop gave up waiting, ends.
  if (!RunningFlag) return;
  if (FailingTooLong() || DeviceGone(error)) {
    AwaitDeviceReturn();
    return;
  }
  DWORD queued = 0, ignored = 0;
  QueuedBytes(queued, ignored);  // clears the error state
  DispatchMessages();
  ReceivePort.WaitForStop(kFailedWaitPauseMs);
}

void PortReader::AwaitDeviceReturn() {
  if (!RunningFlag) return;
  failures_ = 0;
  FinishWait();
  carriedOver_ = 0;
  // The frame the removal cut ends as a data-interval timeout ends it.
  if (lastReceiveTime_ != 0) {
    steps_.cutFrame();
    lastReceiveTime_ = 0;
  }
  ReceivePort.DropDevice();
  // Back when the port opens again and the records of a wait and a read are free.
  while (!ReceivePort.WaitForStop(kReopenIntervalMs)) {
    if (TakeRecords() && ReceivePort.Reopen(Settings)) return;
  }
}

void PortReader::Turn() {
  if (!Ready() && !TakeRecords()) {
    // Every record is held by a driver that has not completed its requests.
    ReceivePort.WaitForStop(kReopenIntervalMs);
    return;
  }
  if (steps_.checkInterval(timeGetTime(), lastReceiveTime_)) lastReceiveTime_ = 0;
  // A device request due now (its timer, a frame's end, the user) goes out before the wait;
  // a write that fails as a removed device does goes the way of a failed read.
  const DWORD writeError = SendDueDeviceRequest();
  if (writeError != 0 && DeviceGone(writeError)) AwaitDeviceReturn();
  if (!RunningFlag) return;
  const DWORD queued = carriedOver_ != 0 ? carriedOver_ : AwaitData();
  carriedOver_ = 0;
  if (queued == 0 || !RunningFlag || !Ready()) return;
  const DWORD n = ReadQueued(queued);
  if (n == 0) return;
  steps_.block(read_->data, static_cast<int>(n));
  // Typing a long block can take longer than the data interval. The bytes that arrived
  // meanwhile are already queued, so that time is no gap in the data: the interval runs
  // from the end of processing the last read, or a backlog would cut a frame at every
  // block boundary. Those bytes had their event while no wait was pending, so they are
  // read now, without a wait.
  lastReceiveTime_ = NonZeroTime(timeGetTime());
  DWORD left = 0, ignored = 0;
  if (RunningFlag && QueuedBytes(left, ignored)) carriedOver_ = left;
}

// ---- the thread

namespace {

constexpr DWORD kStartPauseMs = 100;

// Turns the reader until reception is stopped. A port that refuses the event mask has gone
// away (the reader waits for it to come back) or cannot be waited on (reception ends here).
void Receive() {
  if (IsNetworkSource(Settings)) {
    ReceiveFromNetwork(kReceptionStages.reader);
    return;
  }
  PortReader reader;
  if (!reader.Begin() || ReceivePort.WaitForStop(kStartPauseMs)) return;
  while (RunningFlag) reader.Turn();
}

// Every way out goes through the end of reception, and the thread's last act says it has ended.
DWORD WINAPI ReceiveThread(LPVOID) {
  kReceptionStages.threadStart();
  Receive();
  kReceptionStages.threadEnd();
  ReceivePort.ReaderEnded();
  return 0;
}

}  // namespace

namespace {
// The end of a start once its source is open (1) or has failed.
int Started(int rc) {
  if (rc != 1) {
    ClosePort();
    return rc;
  }
  ReceivePort.StartThread(ReceiveThread);
  return rc;
}
}  // namespace

int StartReception() {
  kReceptionStages.prepare();
  return Started(IsNetworkSource(Settings) ? OpenNetworkSource() : OpenPort());
}

int BeginStartReception() {
  kReceptionStages.prepare();
  if (IsNetworkSource(Settings)) return Started(OpenNetworkSource());
  const int rc = ReceivePort.BeginOpen(Settings);
  return rc == kOpenPending ? rc : Started(rc);
}

int FinishStartReception() {
  const int rc = ReceivePort.OpenResult();
  return rc == kOpenPending ? rc : Started(rc);
}

