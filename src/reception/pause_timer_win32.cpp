#include "reception/pause_timer_win32.h"

#include <mmsystem.h>

namespace {

// Windows 10 1803 and later; the headers for Windows 7 do not have it.
constexpr DWORD kHighResolutionTimer = 0x00000002;  // CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
constexpr UINT kTimerPeriodMs = 1;
// Due times are in 100 ns units, negative for a time relative to now.
constexpr LONGLONG kTicksPerMs = 10000;

bool PlainWait(unsigned ms, HANDLE stop) {
  if (stop != nullptr) return WaitForSingleObject(stop, ms) == WAIT_OBJECT_0;
  Sleep(ms);
  return false;
}

}  // namespace

PauseTimer::~PauseTimer() {
  End();
  if (timer_ != nullptr) CloseHandle(timer_);
}

void PauseTimer::Begin() {
  if (timer_ == nullptr && tryHighResolution_) {
    timer_ = CreateWaitableTimerExW(nullptr, nullptr, kHighResolutionTimer, TIMER_ALL_ACCESS);
    highResolution_ = timer_ != nullptr;
  }
  // Older Windows refuses the flag: an ordinary timer, woken at the raised resolution.
  if (timer_ == nullptr) timer_ = CreateWaitableTimerW(nullptr, FALSE, nullptr);
  if (!highResolution_ && !periodRaised_) periodRaised_ = timeBeginPeriod(kTimerPeriodMs) == TIMERR_NOERROR;
}

void PauseTimer::End() {
  if (periodRaised_) timeEndPeriod(kTimerPeriodMs);
  periodRaised_ = false;
}

bool PauseTimer::Wait(unsigned ms, HANDLE stop) {
  LARGE_INTEGER due;
  due.QuadPart = -static_cast<LONGLONG>(ms) * kTicksPerMs;
  if (ms > 0 && timer_ != nullptr && SetWaitableTimer(timer_, &due, 0, nullptr, nullptr, FALSE)) {
    // The stop comes first: WaitForMultipleObjects reports the lowest signalled index.
    const HANDLE both[2] = {stop, timer_};
    const DWORD r = stop != nullptr ? WaitForMultipleObjects(2, both, FALSE, INFINITE)
                                    : WaitForSingleObject(timer_, INFINITE);
    if (r != WAIT_FAILED) return StoppedFirst(r, stop);
  }
  return PlainWait(ms, stop);
}

// A timer left running by a stop is cancelled; the next pause sets it again in any case.
bool PauseTimer::StoppedFirst(DWORD waitResult, HANDLE stop) {
  if (stop == nullptr || waitResult != WAIT_OBJECT_0) return false;
  CancelWaitableTimer(timer_);
  return true;
}
