#include "delivery/ime_gate.h"

void ImeGate::Begin(bool enabled) {
  enabled_ = enabled;
  window_ = 0;
  typing_ = false;
  rounds_ = 0;
}

void ImeGate::End() {
  Reopen();
  typing_ = false;
}

void ImeGate::Reopen() {
  if (window_ != 0) system_.SetOpen(window_, true);
  window_ = 0;
  rounds_ = 0;
}

void ImeGate::BeforeFrame() {
  if (!enabled_) return;
  typing_ = true;
  ImeWindow window = 0;
  const ImeStatus status = system_.Look(window);
  // Still closed by us for the same window: it stays closed for this frame too.
  if (window_ != 0 && window == window_) return;
  // The user went to another window meanwhile: that one gets its input method back.
  Reopen();
  if (status != ImeStatus::Open || window == 0) return;
  system_.SetOpen(window, false);
  window_ = window;
}

void ImeGate::AfterFrame(std::uint32_t now, int messages) {
  if (!typing_) return;  // no key of a frame was typed since the last call
  typing_ = false;
  if (window_ == 0) return;
  since_ = now;
  rounds_ = messages > 0 ? messages : 0;
}

void ImeGate::Turn(std::uint32_t now) {
  if (window_ == 0 || typing_) return;
  const std::uint32_t waited = now - since_;
  if (waited < kImeBoundMs) {
    while (rounds_ > 0 && system_.Round()) --rounds_;
    if (rounds_ > 0 || waited < kImeSettleMs) return;
  }
  Reopen();
}

std::uint32_t ImeGate::WakeMs(std::uint32_t now) const {
  if (window_ == 0 || typing_) return 0;
  const std::uint32_t waited = now - since_;
  if (waited >= kImeBoundMs) return 1;
  const std::uint32_t left = waited < kImeSettleMs ? kImeSettleMs - waited : 10;
  return left == 0 ? 1 : left;
}
