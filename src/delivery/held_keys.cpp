#include "delivery/held_keys.h"

// "キーが押されたままです"
const char kHeldKeyNoticeText[] = "キーが押されたままです";

bool HeldKeyWatch::Look(bool down, std::uint32_t now) {
  if (!down) {
    Reset();
    return false;
  }
  if (!down_) {
    down_ = true;
    since_ = now;
  }
  // The unsigned distance stays right across the clock's wrap.
  if (noticed_ || now - since_ < kHeldKeyNoticeMs) return false;
  noticed_ = true;
  return true;
}

void HeldKeyWatch::Reset() {
  down_ = false;
  noticed_ = false;
  since_ = 0;
}
