// The keyboard of key output executed with user32: the foreground window and whether it takes
// our input, SendInput, the layout's key mapping and the main dialog's output display
// IDC_OUTPUT_DISPLAY.
//
// Also what decides whether typing reaches the window in front: the integrity levels of
// processes and windows, and the lock the copies of the program hold while they type a frame.
#pragma once
#include <windows.h>

#include <optional>

#include "keyout/keyboard.h"

class Win32Keyboard : public Keyboard {
 public:
  Win32Keyboard();
  bool MainDialogInFront() override;
  void PostChar(std::uint8_t ch) override;
  int SendInput(const KeyRecord* records, int count) override;
  bool ForegroundRefusesInput() override;
  KeyboardLayout ForegroundLayout() override;
  std::int16_t VkKeyScanChar(std::uint8_t ch, KeyboardLayout layout) override;
  unsigned MapVkToScan(std::uint8_t vk, KeyboardLayout layout) override;
  int Cp932ToUtf16(const std::uint8_t* bytes, int count, std::uint16_t* units, int capacity) override;
  void Pause(unsigned ms) override;

 private:
  std::uint8_t pendingLead_ = 0;  // a two-byte character's first byte, posted with its second
};

// Caps Lock is toggled on (bit 0 of GetKeyState(VK_CAPITAL)).
bool CapsLockToggledOn();

// ---- integrity levels ------------------------------------------------------------------------

// The integrity levels of processes and windows, read from their access tokens, and whether the
// window in front is of a higher level than this process (IntegrityRefusesInput).

// The level of the process's primary token; none when it cannot be read.
std::optional<IntegrityLevel> ProcessIntegrityLevel(HANDLE process);
// The level of the process that created the window; none for no window or a process that
// cannot be opened or whose token cannot be read.
std::optional<IntegrityLevel> WindowIntegrityLevel(HWND window);
// The window's process is of a higher integrity level than this process, so the system drops
// our input to it.
bool WindowRefusesOurInput(HWND window);
// The same for the foreground window.
bool ForegroundOfHigherIntegrity();

// ---- the typing lock -------------------------------------------------------------------------

// The lock that the copies of the program in one session hold while they type a frame, so
// that devices served by separate copies (one copy per port, each with its own "/F" settings
// file) never mix their keystrokes in the window in front.

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
