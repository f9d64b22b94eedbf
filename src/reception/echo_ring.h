// The echo of received bytes on its way from the reader thread to the dialog's thread, which
// must never be waited for: a fixed ring of text slots. The reader copies a block's echo into
// the next slot and posts the slot's index; the dialog's thread shows that slot's text and
// gives the slot back. A slot is written only while it is free and read only while it is
// filled, so the two threads never touch one at the same time; nothing is allocated.
#pragma once
#include <atomic>

#include "reception/block_processing.h"

// Blocks whose echo may wait for the dialog at once. A dialog that falls further behind loses
// the echo of the blocks that find no free slot; what it shows stays in order.
inline constexpr int kEchoSlots = 8;

class EchoRing {
 public:
  // Reader: copies `length` characters of text (at most kEchoTextSize - 1) into the next slot;
  // returns its index, or -1 when that slot still waits for the dialog.
  int Put(const char* text, int length);
  // Dialog: the zero-terminated text of a slot that Put returned; nullptr when it holds none.
  const char* Text(int slot) const;
  // Dialog, after showing it (or the reader, when the slot's index could not be posted).
  void Release(int slot);

 private:
  struct Slot {
    std::atomic<bool> filled{false};
    char text[kEchoTextSize] = {};
  };
  Slot slots_[kEchoSlots];
  int next_ = 0;  // the reader's next slot
};
