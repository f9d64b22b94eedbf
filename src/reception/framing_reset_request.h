// A reset of the framing state asked for by the GUI thread ("クリア", or the dialog's refill)
// and carried out by the reader thread before its next block, so that the state is only
// ever written by one thread.
#pragma once
#include <atomic>

#include "reception/framer_state.h"

class FramingResetRequest {
 public:
  // Any thread.
  void RequestReset() { pending_.store(true, std::memory_order_release); }
  // The thread that owns the state: ResetFraming if a reset was asked for; true when done.
  bool ApplyPendingReset(FramerState& st);

 private:
  std::atomic<bool> pending_{false};
};
