#include "reception/framing_reset_request.h"

bool FramingResetRequest::ApplyPendingReset(FramerState& st) {
  if (!pending_.exchange(false, std::memory_order_acq_rel)) return false;
  ResetFraming(st);
  return true;
}
