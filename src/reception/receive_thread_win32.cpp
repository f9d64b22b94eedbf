// The reader thread: waits on the port, reads each burst and hands it to the reception pipeline.
//
// The data-interval timeout needs the wait to return when no data comes. Arming a timer on the
// main dialog from this thread is not possible (a window timer can only be set by the window's
// own thread), so the wait itself is bounded by the time left until the interval runs out: the
// overlapped port wait stays pending while the thread wakes to decide the timeout. A stop still
// ends the wait at once through the port's event mask.
#include "reception/receive_thread_win32.h"

#include <mmsystem.h>

#include <cstring>

#include "config/settings_record.h"
#include "reception/reception_pipeline_win32.h"
#include "reception/serial_port_win32.h"

namespace {

constexpr DWORD kReceiveBufferSize = 2048;
constexpr DWORD kMaxReadPerTurn = kReceiveBufferSize - 1;  // the block stays terminated
// A wait that fails at once (the device has gone) is retried after this pause, not in a spin.
constexpr DWORD kFailedWaitPauseMs = 20;

unsigned char ReceiveBuffer[kReceiveBufferSize];

// The port wait of one turn. It stays pending across time-out wake-ups.
struct PortWait {
  OVERLAPPED overlapped = {};
  DWORD mask = 0;
  bool pending = false;
};

enum class WaitResult { Event, Failed, TimedOut };

DWORD WaitLimit(DWORD lastReceiveTime) {
  if (lastReceiveTime == 0 || Settings.DATADELAY <= 0) return INFINITE;
  const DWORD elapsed = timeGetTime() - lastReceiveTime;
  const DWORD delay = static_cast<DWORD>(Settings.DATADELAY);
  return elapsed >= delay ? 0 : delay - elapsed;
}

WaitResult WaitForPort(PortWait& w, DWORD limitMs) {
  if (!w.pending) {
    w.mask = 0;
    ResetEvent(w.overlapped.hEvent);
    if (WaitCommEvent(PortHandle, &w.mask, &w.overlapped)) return WaitResult::Event;
    if (GetLastError() != ERROR_IO_PENDING) return WaitResult::Failed;
    w.pending = true;
  }
  if (WaitForSingleObject(w.overlapped.hEvent, limitMs) == WAIT_TIMEOUT) return WaitResult::TimedOut;
  w.pending = false;
  DWORD unused = 0;
  return GetOverlappedResult(PortHandle, &w.overlapped, &unused, FALSE) ? WaitResult::Event
                                                                       : WaitResult::Failed;
}

DWORD QueuedBytes() {
  DWORD errors = 0;
  COMSTAT status = {};
  if (!ClearCommError(PortHandle, &errors, &status)) return 0;
  return status.cbInQue;
}

void DispatchThreadMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    Sleep(1);
  }
}

// Reads up to `count` queued bytes into ReceiveBuffer; returns the number read.
DWORD ReadQueued(DWORD count) {
  if (count > kMaxReadPerTurn) count = kMaxReadPerTurn;
  std::memset(ReceiveBuffer, 0, sizeof ReceiveBuffer);
  DWORD read = 0;
  if (!ReadFile(PortHandle, ReceiveBuffer, count, &read, &ReadOverlapped)) {
    if (GetLastError() != ERROR_IO_PENDING) {
      QueuedBytes();  // clears the error state
      return 0;
    }
    GetOverlappedResult(PortHandle, &ReadOverlapped, &read, TRUE);
  }
  return read > count ? count : read;
}

// Ends a wait that is still pending so that the overlapped structure is not left in use.
void FinishWait(PortWait& w) {
  if (!w.pending) return;
  CancelIoEx(PortHandle, &w.overlapped);
  DWORD unused = 0;
  GetOverlappedResult(PortHandle, &w.overlapped, &unused, TRUE);
  w.pending = false;
}

// 0 stands for "no data yet", so a clock reading of 0 is taken as 1.
DWORD NonZeroTime(DWORD now) { return now == 0 ? 1 : now; }

}  // namespace

DWORD WINAPI ReceiveThread(LPVOID) {
  if (!SetCommMask(PortHandle, EV_RXCHAR)) return 0;
  Sleep(100);
  ReceptionStart();
  if (!RunningFlag) return 0;

  PortWait wait;
  wait.overlapped.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (wait.overlapped.hEvent == nullptr) return 0;

  DWORD lastReceiveTime = 0;
  DWORD carriedOver = 0;  // bytes still queued after a full read: read them without waiting
  while (RunningFlag) {
    if (CheckDataInterval(timeGetTime(), lastReceiveTime)) lastReceiveTime = 0;

    DWORD queued = carriedOver;
    if (queued == 0) {
      const WaitResult r = WaitForPort(wait, WaitLimit(lastReceiveTime));
      if (r == WaitResult::TimedOut) continue;
      if (r == WaitResult::Failed) {
        QueuedBytes();
        DispatchThreadMessages();
        Sleep(kFailedWaitPauseMs);
        continue;
      }
      if (Settings.DATAWAIT > 0) Sleep(static_cast<DWORD>(Settings.DATAWAIT));
      queued = QueuedBytes();
      if ((wait.mask & EV_RXCHAR) == 0 || queued == 0) continue;
    }

    const DWORD n = ReadQueued(queued);
    carriedOver = queued > n && n > 0 ? QueuedBytes() : 0;
    if (n == 0) continue;
    ProcessReceivedBlock(ReceiveBuffer, static_cast<int>(n));
    // Typing a long block can take longer than the data interval. The bytes that arrived
    // meanwhile are already queued, so that time is no gap in the data: the interval runs
    // from the end of processing the last read, or a backlog would cut a frame at every
    // block boundary.
    lastReceiveTime = NonZeroTime(timeGetTime());
  }
  FinishWait(wait);
  CloseHandle(wait.overlapped.hEvent);
  return 0;
}

bool StartReceiveThread() {
  RunningFlag = 2;
  DWORD id = 0;
  HANDLE thread = CreateThread(nullptr, 0, ReceiveThread, nullptr, 0, &id);
  if (thread == nullptr) {
    RunningFlag = 0;
    return false;
  }
  SetThreadPriority(thread, THREAD_PRIORITY_HIGHEST);
  ReceiveThreadHandle = thread;
  ReceiveThreadId = id;
  return true;
}
