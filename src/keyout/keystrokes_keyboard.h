// The keyboard as key output sees it: the few platform services that typing needs. The Win32
// layer executes them with user32 (keyboard_win32.h); tests record them with a fake. Keeping
// the planning of key events apart from their execution lets every sequence be checked natively.
#pragma once
#include <cstdint>

// One keyboard record of a SendInput batch. The scan code only accompanies the key code: the
// platform acts on the key code.
struct KeyRecord {
  std::uint16_t vk;
  std::uint16_t scan;
  std::uint32_t flags;
};

// Record flags, with the platform's values.
inline constexpr std::uint32_t kKeyFlagExtended = 0x0001;  // KEYEVENTF_EXTENDEDKEY
inline constexpr std::uint32_t kKeyFlagUp = 0x0002;        // KEYEVENTF_KEYUP
// The record carries a UTF-16 unit in `scan` and no key code (vk 0): the target receives it as
// VK_PACKET and the character itself, whatever the layout, the code page or Caps Lock.
inline constexpr std::uint32_t kKeyFlagUnicode = 0x0004;   // KEYEVENTF_UNICODE

// Keys whose scan code comes with the E0 prefix on a real keyboard: the navigation cluster
// (Page Up/Down, End, Home, the arrows, Insert, Delete), Print Screen, Break (VK_CANCEL), the
// Windows and Application keys, keypad Divide, Num Lock, right Ctrl and right Alt, and the
// browser and media keys. Sent without the extended flag they arrive as the keypad keys that
// share their scan codes, which is what scan-code readers (remote desktops, terminals) act on.
constexpr bool IsExtendedKey(std::uint8_t vk) {
  return vk == 0x03 || (vk >= 0x21 && vk <= 0x28) || vk == 0x2C || vk == 0x2D || vk == 0x2E ||
         (vk >= 0x5B && vk <= 0x5D) || vk == 0x6F || vk == 0x90 || vk == 0xA3 || vk == 0xA5 ||
         (vk >= 0xA6 && vk <= 0xB7);
}

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
  // The system's ANSI code page (half-width katakana are characters only under 932).
  virtual unsigned AnsiCodePage() = 0;
  // The UTF-16 units of `count` code page 932 bytes (code page 932 named, whatever the system's
  // code page), at most `capacity`; 0 when the bytes are no character of code page 932.
  virtual int Cp932ToUtf16(const std::uint8_t* bytes, int count, std::uint16_t* units, int capacity) = 0;
  // Caps Lock is toggled on (bit 0 of GetKeyState(VK_CAPITAL)).
  virtual bool CapsLockOn() = 0;
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
};
