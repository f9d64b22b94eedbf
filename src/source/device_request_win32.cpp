#include "source/device_request_win32.h"

#include <commctrl.h>
#include <mmsystem.h>

#include <atomic>
#include <cstring>

#include "common/ui_win32.h"
#include "config/settings.h"
#include "source/device_request.h"
#include "source/serial_port_win32.h"

namespace {

// A request written to the port, with its own overlapped structure. A write the driver never
// completes keeps both: they are never touched again until the system says it has completed
// (HasOverlappedIoCompleted), and until then no new request is written.
struct RequestWrite {
  OVERLAPPED overlapped{};
  unsigned char bytes[kMaxRequestBytes]{};
  bool inFlight = false;
};

RequestWrite Pending;
RequestSchedule Schedule;
std::atomic<bool> Asked{false};
// Made before the reader starts (StartReception runs on the GUI thread before the thread).
HANDLE RequestEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);

// How long a cancelled write is waited for before it is left to complete on its own.
constexpr DWORD kCancelWaitMs = 100;

// A request that did not leave whole: said in the caption and tray tip until one does.
std::atomic<bool> Refused{false};

void NoteSent(bool whole) {
  if (Refused.exchange(!whole) != !whole && MainDialogWindow != nullptr)
    PostMessageA(MainDialogWindow, kPortStateMessage, 0, 0);
}

// An overlapped write's completion or the stop, at most limitMs; true when it completed.
bool AwaitWrite(DWORD limitMs) {
  const HANDLE events[2] = {ReceivePort.StopEvent, Pending.overlapped.hEvent};
  return WaitForMultipleObjects(2, events, FALSE, limitMs) == WAIT_OBJECT_0 + 1;
}

// 0, or the error of a write that failed.
DWORD WriteRequest(int n) {
  if (Pending.inFlight) {
    // The previous write is still held by the driver: this request is skipped, not queued.
    if (!HasOverlappedIoCompleted(&Pending.overlapped)) return 0;
    Pending.inFlight = false;
  }
  if (Pending.overlapped.hEvent == nullptr) {
    Pending.overlapped.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (Pending.overlapped.hEvent == nullptr) return 0;
  }
  std::memcpy(Pending.bytes, Settings.REQCODE, static_cast<std::size_t>(n));
  ResetEvent(Pending.overlapped.hEvent);
  HANDLE port = ReceivePort.PortHandle;
  SerialApi& api = PortApi();
  const DWORD count = static_cast<DWORD>(n);
  DWORD written = 0;
  if (api.Write(port, Pending.bytes, count, &written, &Pending.overlapped)) {
    NoteSent(written >= count);
    return 0;
  }
  const DWORD error = GetLastError();
  if (error != ERROR_IO_PENDING) {
    NoteSent(false);
    return error;
  }
  Pending.inFlight = true;
  // The port's write time-out (its line time and kWriteMarginMs) ends it first on a working
  // driver; one that keeps it longer gets it cancelled.
  const DWORD lineMs = count * LineMsPerByte(Settings);
  if (!AwaitWrite(lineMs + 2 * kWriteMarginMs)) {
    api.Cancel(port, &Pending.overlapped);
    if (!AwaitWrite(kCancelWaitMs)) {
      if (RunningFlag) NoteSent(false);
      return 0;  // left in flight; looked at again next time
    }
  }
  Pending.inFlight = false;
  if (api.Result(port, &Pending.overlapped, &written, FALSE)) {
    NoteSent(written >= count);
    return 0;
  }
  const DWORD failed = GetLastError();
  // Cancelled: by a stop (nothing to say), or because it was stuck.
  if (RunningFlag) NoteSent(false);
  return failed == ERROR_OPERATION_ABORTED ? 0 : failed;
}

UINT HotKeyModifiers(WORD value) {
  const BYTE flags = HIBYTE(value);
  UINT mods = 0;
  if (flags & HOTKEYF_ALT) mods |= MOD_ALT;
  if (flags & HOTKEYF_CONTROL) mods |= MOD_CONTROL;
  if (flags & HOTKEYF_SHIFT) mods |= MOD_SHIFT;
  return mods;
}

}  // namespace

HANDLE DeviceRequestEvent() { return RequestEvent; }

void AskDeviceRequest() {
  if (RunningFlag == 0 || RequestLength(Settings) == 0) return;
  Asked = true;
  if (RequestEvent != nullptr) SetEvent(RequestEvent);
}

bool DeviceRequestRefused() { return Refused.load(); }

void DeviceRequestsStart() {
  Asked = false;
  Refused = false;
  if (RequestEvent != nullptr) ResetEvent(RequestEvent);
  Schedule.Start(Settings, timeGetTime());
}

void DeviceRequestFrameEnded() { Schedule.FrameEnded(); }

DWORD DeviceRequestWakeMs() {
  if (Asked) return 0;
  const std::uint32_t ms = Schedule.WakeMs(timeGetTime());
  return ms == RequestSchedule::kNoWake ? INFINITE : ms;
}

int TakeDueDeviceRequest() {
  if (RequestEvent != nullptr) ResetEvent(RequestEvent);
  if (Asked.exchange(false)) Schedule.Ask();
  if (!Schedule.TakeDue(timeGetTime()) || RunningFlag == 0) return 0;
  return RequestLength(Settings);
}

DWORD SendDueDeviceRequest() {
  const int n = TakeDueDeviceRequest();
  return n > 0 ? WriteRequest(n) : 0;
}

bool RegisterRequestHotKey(HWND window) {
  const WORD value = Settings.REQHOTKEY;
  if (value == 0 || LOBYTE(value) == 0 || RequestLength(Settings) == 0) return true;
  // MOD_NOREPEAT (Windows 7 and later): a held key makes one request, not one per repeat.
  return RegisterHotKey(window, kRequestHotKeyId, HotKeyModifiers(value) | 0x4000,
                        LOBYTE(value)) != FALSE;
}

void UnregisterRequestHotKey(HWND window) { UnregisterHotKey(window, kRequestHotKeyId); }
