// The input method out of the way (IMEOFF): an open input method of the window in front takes
// typed keys into its composition (an Enter only commits it, letters become kana), so it is
// closed before a frame's first key and opened again once the target has processed the
// frame's keys. Portable: the system is reached through InputMethodSystem (ime_win32 gives
// the program's), so the decisions are tested with a fake input method.
//
// Why the reopening waits: the open status is set with a sent message, and sent messages
// overtake queued input (a thread's message retrieval handles sent messages first, then posted
// ones, then input). Reopening right after the last SendInput would reopen the input method
// before the target read the keys. So the program waits until the target's thread has gone
// round its message loop at least once per message the frame put into its queue (each round
// that answers a sent message and then finds input waiting takes one input message), and at
// least kImeSettleMs; at most kImeBoundMs. A next frame that starts meanwhile keeps the input
// method closed, and the wait starts again after its keys.
#pragma once
#include <cstdint>

// The least time between a frame's last key and the reopening, and the most.
inline constexpr std::uint32_t kImeSettleMs = 50;
inline constexpr std::uint32_t kImeBoundMs = 1000;

// An input method window as the system names it (the platform's HWND), carried opaquely.
using ImeWindow = std::uintptr_t;

enum class ImeStatus : std::uint8_t { None, Closed, Open };

class InputMethodSystem {
 public:
  virtual ~InputMethodSystem() = default;
  // The default input method window of the focus window of the foreground thread and its open
  // status; None (and `window` 0) when there is no such window or it gives no answer in time.
  virtual ImeStatus Look(ImeWindow& window) = 0;
  // Sets the open status of the input method of `window` (bounded).
  virtual void SetOpen(ImeWindow window, bool open) = 0;
  // One round of the target's message loop: a sent message answered by the thread of the
  // window in front. False when it gives no answer in time.
  virtual bool Round() = 0;
};

class ImeGate {
 public:
  explicit ImeGate(InputMethodSystem& system) : system_(system) {}

  // At the start of reception: IMEOFF; nothing closed.
  void Begin(bool enabled);
  // At its end: an input method still closed by us is opened again at once.
  void End();
  // Before a frame's first key: an open input method is closed (a frame that starts while the
  // previous one's reopening waits keeps it closed).
  void BeforeFrame();
  // After a frame's last key, with the number of key messages the frame put into the target's
  // queue (key records and the characters they make).
  void AfterFrame(std::uint32_t now, int messages);
  // Each turn of the reader, and between frames: reopens when the wait is over.
  void Turn(std::uint32_t now);
  // How soon the reader must look again: 0 when nothing waits, else at least 1.
  std::uint32_t WakeMs(std::uint32_t now) const;
  bool Closed() const { return window_ != 0; }

 private:
  void Reopen();

  InputMethodSystem& system_;
  bool enabled_ = false;
  ImeWindow window_ = 0;   // the input method we closed, 0 none
  bool typing_ = false;    // between BeforeFrame and AfterFrame
  std::uint32_t since_ = 0;
  int rounds_ = 0;         // rounds still owed before the reopening
};
