#include "reception/device_request.h"

namespace {

// Wraparound-safe: has the clock reached `due`?
bool Reached(std::uint32_t now, std::uint32_t due) {
  return static_cast<std::int32_t>(now - due) >= 0;
}

}  // namespace

int RequestLength(const SettingsRecord& s) {
  int n = 0;
  while (n < kMaxRequestBytes && s.REQCODE[n] != 0) ++n;
  return n;
}

void RequestSchedule::Start(const SettingsRecord& s, std::uint32_t now) {
  enabled_ = RequestLength(s) > 0;
  after_ = enabled_ && s.REQAFTER == 1;
  period_ = enabled_ && s.REQTIMER > 0 ? static_cast<std::uint32_t>(s.REQTIMER) : 0;
  next_ = now + period_;
  owed_ = after_;
}

void RequestSchedule::FrameEnded() {
  if (after_) owed_ = true;
}

bool RequestSchedule::TakeDue(std::uint32_t now) {
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

std::uint32_t RequestSchedule::WakeMs(std::uint32_t now) const {
  if (!enabled_) return kNoWake;
  if (owed_) return 0;
  if (period_ == 0) return kNoWake;
  return Reached(now, next_) ? 0 : next_ - now;
}
