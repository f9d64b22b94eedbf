// When the reader sends the device request (the bytes of REQCODE) to a device that answers only
// when asked (a balance, a gauge): every REQTIMER ms while receiving, once after each frame
// (REQAFTER), and whenever the user asks (hot key, tray menu, the dialog's button). Portable:
// the reader gives it the time; the Win32 layer writes the bytes.
#pragma once
#include <cstdint>

#include "config/settings.h"

// Bytes of the request: REQCODE up to its first 0 byte.
inline int RequestLength(const SettingsRecord& s) {
  int n = 0;
  while (n < kMaxRequestBytes && s.REQCODE[n] != 0) ++n;
  return n;
}

class RequestSchedule {
 public:
  // Reception starts at now: the first timed request is due one period later (REQTIMER, at
  // least kMinRequestTimerMs); with REQAFTER
  // the first request is owed at once, since nothing else starts a device that only answers.
  // With no request bytes nothing is ever due.
  void Start(const SettingsRecord& s, std::uint32_t now) {
    enabled_ = RequestLength(s) > 0;
    after_ = enabled_ && s.REQAFTER == 1;
    const int timer = s.REQTIMER > 0 && s.REQTIMER < kMinRequestTimerMs ? kMinRequestTimerMs : s.REQTIMER;
    period_ = enabled_ && timer > 0 ? static_cast<std::uint32_t>(timer) : 0;
    next_ = now + period_;
    owed_ = after_;
  }
  // A frame has ended (end code, data interval, removed device): with REQAFTER one is owed.
  void FrameEnded() {
    if (after_) owed_ = true;
  }
  // The user asked for one.
  void Ask() { owed_ = enabled_; }
  // True when a request is due at now; the caller sends it. A timed request that fell behind
  // (typing a long frame) is sent once and the timer runs on from now, not in a burst.
  bool TakeDue(std::uint32_t now) {
    if (!enabled_) return false;
    bool due = owed_;
    owed_ = false;
    if (period_ != 0 && Reached(now, next_)) {
      due = true;
      next_ += period_;
      if (Reached(now, next_)) next_ = now + period_;
    }
    return due;
  }
  // Milliseconds until the next timed request, or kNoWake when none is planned.
  std::uint32_t WakeMs(std::uint32_t now) const {
    if (!enabled_) return kNoWake;
    if (owed_) return 0;
    if (period_ == 0) return kNoWake;
    return Reached(now, next_) ? 0 : next_ - now;
  }
  static constexpr std::uint32_t kNoWake = 0xFFFFFFFFu;

 private:
  // Wraparound-safe: has the clock reached `due`?
  static bool Reached(std::uint32_t now, std::uint32_t due) {
    return static_cast<std::int32_t>(now - due) >= 0;
  }

  bool enabled_ = false;
  bool after_ = false;
  bool owed_ = false;
  std::uint32_t period_ = 0;  // 0: no timer
  std::uint32_t next_ = 0;
};
