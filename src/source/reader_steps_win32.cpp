#include "source/reader_steps_win32.h"

#include <mmsystem.h>

#include "config/settings.h"
#include "source/device_request_win32.h"

namespace {
// The longest port wait without a look at the port: how soon a removed device is noticed.
constexpr DWORD kPortCheckMs = 1000;
}  // namespace

// Until the data interval runs out, the next timed device request is due or held frames must
// be looked at again, at most kPortCheckMs.
DWORD ReaderWaitLimit(DWORD lastReceiveTime) {
  DWORD limit = kPortCheckMs;
  if (lastReceiveTime != 0 && Settings.DATADELAY > 0) {
    const DWORD elapsed = timeGetTime() - lastReceiveTime;
    const DWORD delay = static_cast<DWORD>(Settings.DATADELAY);
    const DWORD left = elapsed >= delay ? 0 : delay - elapsed;
    if (left < limit) limit = left;
  }
  const DWORD request = DeviceRequestWakeMs();
  if (request < limit) limit = request;
  const DWORD held = kReceptionStages.wakeMs();  // 0: nothing waits
  return held != 0 && held < limit ? held : limit;
}
