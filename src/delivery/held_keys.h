// Keys the user holds: while Shift, Ctrl, Alt or a Windows key is physically down, a frame's
// keys would reach the window in front combined with them (Ctrl+Shift+Enter for an Enter,
// shortcuts for letters), since injected input does not reset the keyboard's state. So frames
// wait, in order, until the keys are released; the program never releases them itself. This
// part is portable: how long the keys have been held and when that is said to the user. The
// keys are read by held_keys_win32.
#pragma once
#include <cstdint>

// After this long with frames waiting for held keys the program beeps once and says so in the
// caption and the tray tip, until the keys are released.
inline constexpr std::uint32_t kHeldKeyNoticeMs = 3000;
// While frames wait for held keys the reader looks at the keys this often.
inline constexpr std::uint32_t kHeldKeyPollMs = 20;

// What the caption and tray tip say while the notice lasts (code page 932).
extern const char kHeldKeyNoticeText[];

// The time the keys have been seen held, on a 32-bit millisecond clock that wraps.
class HeldKeyWatch {
 public:
  // One look at the keys at `now`. True exactly once per holding: at the first look at least
  // kHeldKeyNoticeMs after the keys were first seen down (the moment to beep).
  bool Look(bool down, std::uint32_t now);
  // Forgets the holding: nothing waits for the keys any more.
  void Reset();
  // The notice is due: held at least kHeldKeyNoticeMs and not yet seen released.
  bool Noticed() const { return noticed_; }

 private:
  bool down_ = false;
  bool noticed_ = false;
  std::uint32_t since_ = 0;
};
