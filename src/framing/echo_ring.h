// The echo of received bytes on its way from the reader thread to the dialog's thread, which
// must never be waited for: a fixed ring of text slots. The reader copies a block's echo into
// the next slot and posts the slot's index; the dialog's thread shows that slot's text and
// gives the slot back. A slot is written only while it is free and read only while it is
// filled, so the two threads never touch one at the same time; nothing is allocated.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstring>

#include "framing/block_processing.h"

// Blocks whose echo may wait for the dialog at once. A dialog that falls further behind loses
// the echo of the blocks that find no free slot; what it shows stays in order.
inline constexpr int kEchoSlots = 8;

class EchoRing {
 public:
  // Reader: copies `length` characters of text (at most kEchoTextSize - 1) into the next slot;
  // returns its index, or -1 when that slot still waits for the dialog.
  int Put(const char* text, int length) {
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
  // Dialog: the zero-terminated text of a slot that Put returned; nullptr when it holds none.
  const char* Text(int slot) const {
    if (slot < 0 || slot >= kEchoSlots) return nullptr;
    return slots_[slot].filled.load(std::memory_order_acquire) ? slots_[slot].text : nullptr;
  }
  // Dialog, after showing it (or the reader, when the slot's index could not be posted).
  void Release(int slot) {
    if (slot >= 0 && slot < kEchoSlots) slots_[slot].filled.store(false, std::memory_order_release);
  }

 private:
  struct Slot {
    std::atomic<bool> filled{false};
    char text[kEchoTextSize] = {};
  };
  Slot slots_[kEchoSlots];
  int next_ = 0;  // the reader's next slot
};
