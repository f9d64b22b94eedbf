// The lock that the copies of the program in one session hold while they type a frame, so
// that devices served by separate copies (one copy per port, each with its own "/F" settings
// file) never mix their keystrokes in the window in front.
#pragma once
#include <windows.h>

// A named mutex in the session's namespace ("Local\"): keystrokes reach only the desktop of
// the session a copy runs in, so copies in other sessions (another user signed in, a remote
// desktop) type elsewhere and must not hold each other back; "Global\" would make them wait.
inline constexpr char kTypingLockName[] = "Local\\Tamblix.FrameTyping";

// One copy's handle on the lock, used by one thread (a mutex belongs to the thread that took
// it). Taking it again while held does nothing, so one Release always gives it up.
class TypingLock {
 public:
  // Opens the lock by name, creating it when no copy has yet. Without it (the name could not
  // be opened) every Acquire succeeds at once and the copy types as if alone.
  explicit TypingLock(const char* name);
  ~TypingLock();
  TypingLock(const TypingLock&) = delete;
  TypingLock& operator=(const TypingLock&) = delete;

  // Waits until the lock is this thread's or stop (an event, may be null) is set, whichever
  // comes first; a stop set already wins. A lock left behind by a copy that ended while holding
  // it (abandoned) counts as taken. False only when the stop ended the wait.
  bool Acquire(HANDLE stop);
  // Gives the lock up when held.
  void Release();
  bool Held() const { return held_; }

 private:
  HANDLE mutex_ = nullptr;
  bool held_ = false;
};
