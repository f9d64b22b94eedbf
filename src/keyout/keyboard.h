// The seam between key output and the platform: the keyboard as key output sees it (the few
// platform services typing needs) and whether the window in front takes our input. Key output
// (keystrokes.h) plans key events against it; the Win32 keyboard (keyboard_win32.h) executes
// them; tests record them with a fake. Neither side includes the other.
#pragma once
#include <cstdint>
#include <optional>

#include "keyout/code_notation.h"

// ---- the keyboard ----------------------------------------------------------------------------
//
// Keeping the planning of key events apart from their execution lets every sequence be checked
// natively.

// One keyboard record of a SendInput batch. The scan code only accompanies the key code: the
// platform acts on the key code.
struct KeyRecord {
  std::uint16_t vk;
  std::uint16_t scan;
  std::uint32_t flags;
};

// The most records of one SendInput batch: press and release of each item of a "+" group of a
// full key list.
inline constexpr int kMaxGroupRecords = 2 * kMaxKeyItems;

// Record flags, with the platform's values.
inline constexpr std::uint32_t kKeyFlagExtended = 0x0001;  // KEYEVENTF_EXTENDEDKEY
inline constexpr std::uint32_t kKeyFlagUp = 0x0002;        // KEYEVENTF_KEYUP
// The record carries a UTF-16 unit in `scan` and no key code (vk 0): the target receives it as
// VK_PACKET and the character itself, whatever the layout, the code page or Caps Lock.
inline constexpr std::uint32_t kKeyFlagUnicode = 0x0004;   // KEYEVENTF_UNICODE

// Virtual-key codes key output uses by itself.
inline constexpr std::uint8_t kVkShift = 0x10;
inline constexpr std::uint8_t kVkControl = 0x11;
inline constexpr std::uint8_t kVkMenu = 0x12;  // Alt
inline constexpr std::uint8_t kVkCapital = 0x14;
inline constexpr std::uint8_t kVkNumpad0 = 0x60;

// A keyboard layout (the platform's HKL), carried as an opaque value and only handed back.
using KeyboardLayout = std::uintptr_t;

class Keyboard {
 public:
  virtual ~Keyboard() = default;
  // The foreground window is the main dialog itself.
  virtual bool MainDialogInFront() = 0;
  // Posts one character (0-255) to the main dialog's output display.
  virtual void PostChar(std::uint8_t ch) = 0;
  // One SendInput call with `count` keyboard records: the number of records the system inserted
  // into the input stream. Fewer than `count` (0 when another thread blocks input) means the
  // rest reached no window.
  virtual int SendInput(const KeyRecord* records, int count) = 0;
  // The window in front belongs to a process of higher integrity level than ours (an elevated
  // program, the system's own windows): the system drops our input to it, and SendInput does
  // not always say so. False when that cannot be found out.
  virtual bool ForegroundRefusesInput() = 0;
  // The keyboard layout of the thread that owns the foreground window: the application in
  // front reads our keys through its own layout, which need not be ours.
  virtual KeyboardLayout ForegroundLayout() = 0;
  // VkKeyScanExA in `layout`: low byte the key code, high byte the shift state; -1 when the
  // layout has no key.
  virtual std::int16_t VkKeyScanChar(std::uint8_t ch, KeyboardLayout layout) = 0;
  // MapVirtualKeyExA(vk, MAPVK_VK_TO_VSC, layout).
  virtual unsigned MapVkToScan(std::uint8_t vk, KeyboardLayout layout) = 0;
  // The UTF-16 units of `count` code page 932 bytes (code page 932 named, whatever the system's
  // code page), at most `capacity`; 0 when the bytes are no character of code page 932.
  virtual int Cp932ToUtf16(const std::uint8_t* bytes, int count, std::uint16_t* units, int capacity) = 0;
  // Blocks the calling thread for `ms` milliseconds.
  virtual void Pause(unsigned ms) = 0;

  // True once the typing is to end early (reception stopped): a key list sends no further
  // item. A key already down is always released first, so nothing is left held.
  virtual bool Interrupted() { return false; }
  // The pause after a finished key or group, when no key is held: it may end as soon as the
  // typing is interrupted. The pause with Alt held (SENDDELAY) is always whole, or the target
  // could take the Alt code's digits as plain keys.
  virtual void PauseBetweenKeys(unsigned ms) { Pause(ms); }
  // Told once per frame, at once, when the window in front has refused the frame's input.
  virtual void InputRefused() {}

  // The system's ANSI code page (half-width katakana are characters only under 932). It stays
  // the same while the process runs: the Win32 keyboard reads it once, a fake sets it.
  unsigned ansiCodePage = 932;
};

// ---- whether the window in front takes our input -------------------------------------------

// Whether the system lets our input reach a window, by the integrity levels of the two
// processes (User Interface Privilege Isolation). An integrity level: the last sub-authority (RID) of a token's mandatory label, 0x1000 low,
// 0x2000 medium, 0x3000 high, 0x4000 system (Microsoft Learn, "Getting the Integrity Level
// for an Access Token").
using IntegrityLevel = std::uint32_t;

// Applications may inject input only into applications at an equal or lesser integrity level
// (Microsoft Learn, SendInput). A window whose level cannot be read (another user's elevated
// program, whose process we may not open) counts as refusing: typing into it would vanish
// unseen. Without our own level nothing can be compared, and SendInput's count still tells.
constexpr bool IntegrityRefusesInput(std::optional<IntegrityLevel> target,
                                     std::optional<IntegrityLevel> own) {
  return own.has_value() && (!target.has_value() || *target > *own);
}
