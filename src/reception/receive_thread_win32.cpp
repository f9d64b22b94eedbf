// The reader thread: waits on the port, reads each burst and hands it to the reception pipeline.
//
// The data-interval timeout needs the wait to return when no data comes. Arming a timer on the
// main dialog from this thread is not possible (a window timer can only be set by the window's
// own thread), so the wait itself is bounded by the time left until the interval runs out: the
// overlapped port wait stays pending while the thread wakes to decide the timeout. Every wait
// and pause of the thread also watches the port's stop event, so a stop ends it at once
// whatever the thread was doing.
//
// A port whose device is removed (a USB adapter pulled) fails its calls with the errors of a
// removed device. Not every driver ends a pending wait when that happens, so a wait that sees
// no data for a second asks the port for its queue. The thread then closes the port and tries
// to open the same port again every second, quietly, until it is back or reception is stopped.
#include "reception/receive_thread_win32.h"

#include <mmsystem.h>

#include <cstring>

#include "config/settings_record.h"
#include "reception/reception_pipeline_win32.h"
#include "reception/serial_port_win32.h"

namespace {

constexpr DWORD kReceiveBufferSize = 2048;
constexpr DWORD kMaxReadPerTurn = kReceiveBufferSize - 1;  // the block stays terminated
// A wait that fails for another reason is retried after this pause, not in a spin.
constexpr DWORD kFailedWaitPauseMs = 20;
constexpr DWORD kStartPauseMs = 100;
constexpr DWORD kReopenIntervalMs = 1000;
constexpr DWORD kFinishWaitMs = 100;
// The longest port wait without a look at the port: how soon a removed device is noticed.
constexpr DWORD kPortCheckMs = 1000;

unsigned char ReceiveBuffer[kReceiveBufferSize];

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

// The port wait of one turn. It stays pending across time-out wake-ups.
struct PortWait {
  OVERLAPPED overlapped{};
  DWORD mask = 0;
  DWORD error = 0;
  bool pending = false;
};

WaitResult WaitForPort(PortWait& w, DWORD limitMs) {
  HANDLE port = ReceivePort.PortHandle;
  if (!w.pending) {
    // A stop that came after the loop's check has set the stop event as well; looking at the
    // flag here only saves starting a wait that would be cancelled at once.
    if (!RunningFlag) return WaitResult::Stopped;
    w.mask = 0;
    ResetEvent(w.overlapped.hEvent);
    if (WaitCommEvent(port, &w.mask, &w.overlapped)) return WaitResult::Event;
    w.error = GetLastError();
    if (w.error != ERROR_IO_PENDING) return WaitResult::Failed;
    w.pending = true;
  }
  const WaitResult r = WaitIo(w.overlapped.hEvent, limitMs);
  if (r != WaitResult::Event) return r;
  w.pending = false;
  DWORD unused = 0;
  if (GetOverlappedResult(port, &w.overlapped, &unused, FALSE)) return WaitResult::Event;
  w.error = GetLastError();
  return WaitResult::Failed;
}

// Ends a wait that is still pending so that its overlapped structure is no longer in use: an
// empty event mask or the cancel completes it. The wait for that is bounded, so that a dead
// device cannot hold the thread; closing the handle then cancels whatever is left.
void FinishWait(PortWait& w) {
  if (!w.pending) return;
  HANDLE port = ReceivePort.PortHandle;
  SetCommMask(port, 0);
  CancelIoEx(port, &w.overlapped);
  WaitForSingleObject(w.overlapped.hEvent, kFinishWaitMs);
  w.pending = false;
}

// The input queue's byte count (and the port's error state cleared); false when the port
// refused, with the error in `error`.
bool QueuedBytes(DWORD& queued, DWORD& error) {
  DWORD errors = 0;
  COMSTAT status{};
  queued = 0;
  if (ClearCommError(ReceivePort.PortHandle, &errors, &status)) {
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

class Reader {
 public:
  Reader() { wait_.overlapped.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr); }
  ~Reader() {
    FinishWait(wait_);
    if (wait_.overlapped.hEvent != nullptr) CloseHandle(wait_.overlapped.hEvent);
  }
  bool Ready() const { return wait_.overlapped.hEvent != nullptr; }
  void Turn();

 private:
  // The number of queued bytes to read, 0 for none this turn.
  DWORD AwaitData();
  // Reads up to `count` queued bytes into ReceiveBuffer; returns the number read.
  DWORD ReadQueued(DWORD count);
  void OnPortError(DWORD error);
  void AwaitDeviceReturn();

  PortWait wait_;
  DWORD lastReceiveTime_ = 0;
  DWORD carriedOver_ = 0;  // bytes still queued after a full read: read them without waiting
};

DWORD Reader::AwaitData() {
  const WaitResult r = WaitForPort(wait_, WaitLimit(lastReceiveTime_));
  if (r == WaitResult::Stopped) return 0;
  DWORD queued = 0, error = 0;
  if (r == WaitResult::TimedOut) {
    if (!QueuedBytes(queued, error) && DeviceGone(error)) AwaitDeviceReturn();
    return 0;
  }
  if (r == WaitResult::Failed) {
    OnPortError(wait_.error);
    return 0;
  }
  if (Settings.DATAWAIT > 0 && ReceivePort.WaitForStop(static_cast<DWORD>(Settings.DATAWAIT))) return 0;
  if (!QueuedBytes(queued, error)) {
    OnPortError(error);
    return 0;
  }
  return (wait_.mask & EV_RXCHAR) != 0 ? queued : 0;
}

DWORD Reader::ReadQueued(DWORD count) {
  if (count > kMaxReadPerTurn) count = kMaxReadPerTurn;
  std::memset(ReceiveBuffer, 0, sizeof ReceiveBuffer);
  HANDLE port = ReceivePort.PortHandle;
  OVERLAPPED& o = ReceivePort.ReadOverlapped;
  DWORD read = 0;
  if (!ReadFile(port, ReceiveBuffer, count, &read, &o)) {
    const DWORD error = GetLastError();
    if (error != ERROR_IO_PENDING) {
      OnPortError(error);
      return 0;
    }
    // The read's time-outs end it within 50 ms; a stop cancels it sooner.
    if (WaitIo(o.hEvent, INFINITE) == WaitResult::Stopped) CancelIoEx(port, &o);
    if (!GetOverlappedResult(port, &o, &read, TRUE)) read = 0;
  }
  return read > count ? count : read;
}

void Reader::OnPortError(DWORD error) {
  if (DeviceGone(error)) {
    AwaitDeviceReturn();
    return;
  }
  DWORD queued = 0, ignored = 0;
  QueuedBytes(queued, ignored);  // clears the error state
  DispatchThreadMessages();
  ReceivePort.WaitForStop(kFailedWaitPauseMs);
}

void Reader::AwaitDeviceReturn() {
  FinishWait(wait_);
  carriedOver_ = 0;
  // The frame the removal cut ends as a data-interval timeout ends it.
  if (lastReceiveTime_ != 0) {
    EndFrameAtTimeout();
    lastReceiveTime_ = 0;
  }
  ReceivePort.DropDevice();
  while (!ReceivePort.WaitForStop(kReopenIntervalMs)) {
    if (ReceivePort.Reopen(Settings)) return;
  }
}

void Reader::Turn() {
  if (CheckDataInterval(timeGetTime(), lastReceiveTime_)) lastReceiveTime_ = 0;
  const DWORD queued = carriedOver_ != 0 ? carriedOver_ : AwaitData();
  if (queued == 0 || !RunningFlag) return;
  const DWORD n = ReadQueued(queued);
  DWORD left = 0, ignored = 0;
  carriedOver_ = queued > n && n > 0 && QueuedBytes(left, ignored) ? left : 0;
  if (n == 0) return;
  ProcessReceivedBlock(ReceiveBuffer, static_cast<int>(n));
  // Typing a long block can take longer than the data interval. The bytes that arrived
  // meanwhile are already queued, so that time is no gap in the data: the interval runs
  // from the end of processing the last read, or a backlog would cut a frame at every
  // block boundary.
  lastReceiveTime_ = NonZeroTime(timeGetTime());
}

}  // namespace

DWORD WINAPI ReceiveThread(LPVOID) {
  if (!SetCommMask(ReceivePort.PortHandle, EV_RXCHAR)) return 0;
  if (ReceivePort.WaitForStop(kStartPauseMs)) return 0;
  ReceptionStart();
  Reader reader;
  if (!reader.Ready()) return 0;
  while (RunningFlag) reader.Turn();
  ReceptionEnd();
  return 0;
}

bool StartReceiveThread() { return ReceivePort.StartThread(ReceiveThread); }

int StartReception() {
  InitReceiveFrameFlags();
  const int rc = OpenPort();
  if (rc != 1) {
    ClosePort();
    return rc;
  }
  // A thread that cannot be created leaves the port open until the stop.
  StartReceiveThread();
  return rc;
}
