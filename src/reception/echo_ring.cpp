#include "reception/echo_ring.h"

#include <cstring>

int EchoRing::Put(const char* text, int length) {
  Slot& slot = slots_[next_];
  // Acquire: the dialog's reading of the slot is over before it is written again.
  if (slot.filled.load(std::memory_order_acquire)) return -1;
  if (length < 0) length = 0;
  if (length > kEchoTextSize - 1) length = kEchoTextSize - 1;
  std::memcpy(slot.text, text, static_cast<std::size_t>(length));
  slot.text[length] = 0;
  slot.filled.store(true, std::memory_order_release);
  const int taken = next_;
  next_ = (next_ + 1) % kEchoSlots;
  return taken;
}

const char* EchoRing::Text(int slot) const {
  if (slot < 0 || slot >= kEchoSlots) return nullptr;
  return slots_[slot].filled.load(std::memory_order_acquire) ? slots_[slot].text : nullptr;
}

void EchoRing::Release(int slot) {
  if (slot >= 0 && slot < kEchoSlots) slots_[slot].filled.store(false, std::memory_order_release);
}
