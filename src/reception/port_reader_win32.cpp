#include "reception/port_reader_win32.h"

#include <mmsystem.h>

#include <cstring>

#include "config/settings_record.h"
#include "reception/serial_api_win32.h"
#include "reception/serial_port_win32.h"

namespace {

constexpr DWORD kReceiveBufferSize = 2048;
constexpr DWORD kMaxReadPerTurn = kReceiveBufferSize - 1;  // the block stays terminated
// A wait that fails for another reason is retried after this pause, not in a spin.
constexpr DWORD kFailedWaitPauseMs = 20;
constexpr DWORD kReopenIntervalMs = 1000;
// The longest port wait without a look at the port: how soon a removed device is noticed.
constexpr DWORD kPortCheckMs = 1000;

unsigned char ReceiveBuffer[kReceiveBufferSize];

using PortWait = PortReader::PortWait;

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

enum class WaitResult { Event, Failed, TimedOut, Stopped };

// An overlapped operation's event or the stop, whichever comes first, at most limitMs.
WaitResult WaitIo(HANDLE ioEvent, DWORD limitMs) {
  const HANDLE events[2] = {ReceivePort.StopEvent, ioEvent};
  switch (WaitForMultipleObjects(2, events, FALSE, limitMs)) {
    case WAIT_OBJECT_0: return WaitResult::Stopped;
    case WAIT_OBJECT_0 + 1: return WaitResult::Event;
    case WAIT_TIMEOUT: return WaitResult::TimedOut;
    default: return WaitResult::Failed;
  }
}

WaitResult WaitForPort(PortWait& w, DWORD limitMs) {
  HANDLE port = ReceivePort.PortHandle;
  SerialApi& api = PortApi();
  if (!w.pending) {
    // A stop that came after the loop's check has set the stop event as well; looking at the
    // flag here only saves starting a wait that would be cancelled at once.
    if (!RunningFlag) return WaitResult::Stopped;
    w.mask = 0;
    ResetEvent(w.overlapped.hEvent);
    if (api.WaitEvent(port, &w.mask, &w.overlapped)) return WaitResult::Event;
    w.error = GetLastError();
    if (w.error != ERROR_IO_PENDING) return WaitResult::Failed;
    w.pending = true;
  }
  const WaitResult r = WaitIo(w.overlapped.hEvent, limitMs);
  if (r != WaitResult::Event) return r;
  w.pending = false;
  DWORD unused = 0;
  if (api.Result(port, &w.overlapped, &unused, FALSE)) return WaitResult::Event;
  w.error = GetLastError();
  return WaitResult::Failed;
}

// Ends a wait that is still pending: an empty event mask or the cancel completes it. Its
// overlapped structure is reused for the next wait, on this port or a reopened one, and must
// not be before the request has completed (CancelIoEx, Microsoft Learn); the driver completes
// a cancelled request, so the wait for that has no time limit.
void FinishWait(PortWait& w) {
  if (!w.pending) return;
  HANDLE port = ReceivePort.PortHandle;
  SerialApi& api = PortApi();
  api.SetMask(port, 0);
  api.Cancel(port, &w.overlapped);
  DWORD unused = 0;
  api.Result(port, &w.overlapped, &unused, TRUE);
  w.pending = false;
}

// The input queue's byte count (and the port's error state cleared); false when the port
// refused, with the error in `error`.
bool QueuedBytes(DWORD& queued, DWORD& error) {
  DWORD errors = 0;
  COMSTAT status{};
  queued = 0;
  if (PortApi().ClearError(ReceivePort.PortHandle, &errors, &status)) {
    queued = status.cbInQue;
    return true;
  }
  error = GetLastError();
  return false;
}

void DispatchThreadMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    Sleep(1);
  }
}

// Until the data interval runs out, at most kPortCheckMs.
DWORD WaitLimit(DWORD lastReceiveTime) {
  if (lastReceiveTime == 0 || Settings.DATADELAY <= 0) return kPortCheckMs;
  const DWORD elapsed = timeGetTime() - lastReceiveTime;
  const DWORD delay = static_cast<DWORD>(Settings.DATADELAY);
  const DWORD left = elapsed >= delay ? 0 : delay - elapsed;
  return left < kPortCheckMs ? left : kPortCheckMs;
}

// 0 stands for "no data yet", so a clock reading of 0 is taken as 1.
DWORD NonZeroTime(DWORD now) { return now == 0 ? 1 : now; }

}  // namespace

PortReader::PortReader(ReaderSink& sink) : sink_(sink) {
  wait_.overlapped.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
}

PortReader::~PortReader() {
  FinishWait(wait_);
  if (wait_.overlapped.hEvent != nullptr) CloseHandle(wait_.overlapped.hEvent);
}

DWORD PortReader::AwaitData() {
  const WaitResult r = WaitForPort(wait_, WaitLimit(lastReceiveTime_));
  if (r == WaitResult::Stopped) return 0;
  if (r == WaitResult::Failed) {
    if (wait_.error == ERROR_OPERATION_ABORTED) return AfterAbortedWait();
    OnPortError(wait_.error);
    return 0;
  }
  abortedEmpty_ = false;
  DWORD queued = 0, error = 0;
  if (r == WaitResult::TimedOut) {
    // Bytes queued before the wait began have had their event: they are data, not a gap.
    if (!QueuedBytes(queued, error) && DeviceGone(error)) AwaitDeviceReturn();
    return queued;
  }
  if (Settings.DATAWAIT > 0 && ReceivePort.WaitForStop(static_cast<DWORD>(Settings.DATAWAIT))) return 0;
  if (!QueuedBytes(queued, error)) {
    OnPortError(error);
    return 0;
  }
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
  std::memset(ReceiveBuffer, 0, sizeof ReceiveBuffer);
  HANDLE port = ReceivePort.PortHandle;
  OVERLAPPED& o = ReceivePort.ReadOverlapped;
  SerialApi& api = PortApi();
  DWORD read = 0;
  if (!api.Read(port, ReceiveBuffer, count, &read, &o)) {
    const DWORD error = GetLastError();
    if (error != ERROR_IO_PENDING) {
      OnPortError(error);
      return 0;
    }
    // The read's time-outs end it within 50 ms; a stop cancels it sooner. Either way the
    // structure is in use until the read has completed, which the waiting result waits for.
    if (WaitIo(o.hEvent, INFINITE) == WaitResult::Stopped) api.Cancel(port, &o);
    if (!api.Result(port, &o, &read, TRUE)) read = 0;
  }
  return read > count ? count : read;
}

void PortReader::OnPortError(DWORD error) {
  if (DeviceGone(error)) {
    AwaitDeviceReturn();
    return;
  }
  DWORD queued = 0, ignored = 0;
  QueuedBytes(queued, ignored);  // clears the error state
  DispatchThreadMessages();
  ReceivePort.WaitForStop(kFailedWaitPauseMs);
}

void PortReader::AwaitDeviceReturn() {
  FinishWait(wait_);
  carriedOver_ = 0;
  // The frame the removal cut ends as a data-interval timeout ends it.
  if (lastReceiveTime_ != 0) {
    sink_.CutFrame();
    lastReceiveTime_ = 0;
  }
  ReceivePort.DropDevice();
  while (!ReceivePort.WaitForStop(kReopenIntervalMs)) {
    if (ReceivePort.Reopen(Settings)) return;
  }
}

void PortReader::Turn() {
  if (sink_.CheckInterval(timeGetTime(), lastReceiveTime_)) lastReceiveTime_ = 0;
  const DWORD queued = carriedOver_ != 0 ? carriedOver_ : AwaitData();
  carriedOver_ = 0;
  if (queued == 0 || !RunningFlag) return;
  const DWORD n = ReadQueued(queued);
  if (n == 0) return;
  sink_.Block(ReceiveBuffer, static_cast<int>(n));
  // Typing a long block can take longer than the data interval. The bytes that arrived
  // meanwhile are already queued, so that time is no gap in the data: the interval runs
  // from the end of processing the last read, or a backlog would cut a frame at every
  // block boundary. Those bytes had their event while no wait was pending, so they are
  // read now, without a wait.
  lastReceiveTime_ = NonZeroTime(timeGetTime());
  DWORD left = 0, ignored = 0;
  if (RunningFlag && QueuedBytes(left, ignored)) carriedOver_ = left;
}
