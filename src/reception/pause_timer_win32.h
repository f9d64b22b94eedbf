// The reader thread's short pauses (SENDDELAY, the pause after a key or group, the Caps Lock
// restore), held to their length. A plain wait on Windows ends at a tick of the system timer,
// 15.6 ms unless the process asks for better (timeBeginPeriod), so a pause of 1 ms would last
// up to a tick and pace every character of both send modes at about 64 a second. A
// high-resolution waitable timer (Windows 10 1803 and later) wakes on time without changing the
// timer resolution; where it cannot be made, the resolution is raised to 1 ms while reception
// runs (on those systems a global setting) and given back when it ends.
#pragma once
#include <windows.h>

class PauseTimer {
 public:
  // highResolution false takes the timeBeginPeriod way even where the timer exists.
  explicit PauseTimer(bool highResolution = true) : tryHighResolution_(highResolution) {}
  ~PauseTimer();
  PauseTimer(const PauseTimer&) = delete;
  PauseTimer& operator=(const PauseTimer&) = delete;

  // At reception start and end, on the reader thread. The timer is made once and kept.
  void Begin();
  void End();
  // Waits `ms` milliseconds, or less when `stop` (if not null) is signalled first; true when
  // it was. A pause of 0 only looks at `stop`; without Begin, or when the timer cannot be set, a
  // plain wait of `ms`.
  bool Wait(unsigned ms, HANDLE stop);

  bool HighResolution() const { return highResolution_; }
  bool PeriodRaised() const { return periodRaised_; }

 private:
  bool StoppedFirst(DWORD waitResult, HANDLE stop);

  const bool tryHighResolution_;
  HANDLE timer_ = nullptr;
  bool highResolution_ = false;
  bool periodRaised_ = false;
};
