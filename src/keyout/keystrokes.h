// Keystroke injection: types received characters and configured key lists into the foreground
// window, or shows them in the main dialog's output display when the main dialog is in front.
//
// Printable and two-byte characters go as Alt codes on the numeric keypad (Alt down, then the
// digits and the Alt release), or, in the Unicode send mode, as the character's UTF-16 units in
// one SendInput batch; in both modes control characters of the data go as their plain key (a
// table in keystrokes.cpp) or not at all, control characters of key lists as the key the layout
// gives for them, and virtual keys of key lists as one SendInput batch each. KeyOutput only plans the
// events; the Keyboard executes them. It allocates nothing, and keeps one state between calls:
// what became of the current frame's keys, since a window that refuses our input (UIPI) is
// given nothing more of that frame.
#pragma once
#include <cstdint>
#include <optional>

#include "keyout/code_notation.h"

// ---- the keyboard ----------------------------------------------------------------------------
//
// The keyboard as key output sees it: the few platform services that typing needs. The Win32
// layer executes them with user32 (keyboard_win32.h); tests record them with a fake. Keeping
// the planning of key events apart from their execution lets every sequence be checked natively.

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

// ---- key output ------------------------------------------------------------------------------

inline constexpr int kDefaultKeyPauseMs = 20;
// SENDMODE: how characters are typed.
inline constexpr std::uint8_t kSendModeAltCodes = 0;
inline constexpr std::uint8_t kSendModeUnicode = 1;
// Press and release of each item of a "+" group of a full key list.
inline constexpr int kMaxGroupRecords = 2 * kMaxKeyItems;

// What became of a frame's keys: none were sent, all were, or the window in front refused them.
enum class FrameKeys : std::uint8_t { None, Typed, Refused };

class KeyOutput {
 public:
  // sendDelayMs is the pause after Alt goes down (SENDDELAY), read through the reference at
  // each Alt code (a Unicode character has none), so the owner of the value may change it
  // between calls; keyPauseMs is the pause after each control-character key and each
  // virtual-key group, in both send modes (negative counts as 0).
  KeyOutput(Keyboard& keyboard, const std::int16_t& sendDelayMs, int keyPauseMs = kDefaultKeyPauseMs);
  // The same, with the send mode (SENDMODE) read through the reference at each character too.
  KeyOutput(Keyboard& keyboard, const std::int16_t& sendDelayMs, const std::uint8_t& sendMode,
            int keyPauseMs = kDefaultKeyPauseMs);

  void SetKeyPause(int keyPauseMs);
  int KeyPauseMs() const { return keyPause_; }
  // Log only (a data logger): nothing reaches the keyboard, neither characters nor key lists
  // nor their pauses; with the main dialog in front the output display still shows them.
  void SetLogOnly(bool logOnly) { logOnly_ = logOnly; }

  // Types one character of the received data: its first byte and, for the two-byte class, the
  // byte after it. A control byte 0x00-0x1F or 0x7F types its plain key or nothing.
  void TypeCharacter(const std::uint8_t* ch);
  // Types a key list in order, up to its first zero item (at most kMaxKeyItems items). Its
  // character items are typed as the user configured them: a control byte as the key and
  // shift state the layout gives for it.
  void TypeKeyItems(const KeyItem* items);
  // One synthetic Caps Lock press and release.
  void ToggleCapsLock();

  // Ends the frame whose keys were sent since the last call, so that the next key asks the
  // window in front again (whether it takes our input, and its keyboard layout), and says what
  // became of them.
  FrameKeys FinishFrameKeys();
  // The window in front refused the current frame's input: nothing more of it is typed.
  bool Refused() const { return frame_ == FrameKeys::Refused; }

  // One keyboard record; the scan code comes from the frame's layout, and an extended key
  // (IsExtendedKey) carries the extended flag whatever `flags` says.
  KeyRecord FillKeyRecord(std::uint8_t vk, std::uint32_t flags);
  // Posts 1 or 2 bytes to the output display, first byte first; other counts post nothing.
  void PostCharacters(const std::uint8_t* bytes, int count);
  // Types the byte as the key and shift state the frame's layout gives for it (VkKeyScanExA),
  // in one SendInput call. False (and nothing sent) when the layout has no key for it.
  bool PressCharacterKey(std::uint8_t b);

 private:
  // Where the key of a control byte comes from.
  enum class ControlKeys { Plain, Layout };
  void TypeOneCharacter(const std::uint8_t* ch, ControlKeys controlKeys);
  bool PressControlByte(std::uint8_t b, ControlKeys controlKeys);
  void PressKey(std::uint8_t key, unsigned shiftState);
  void ShowCharacter(const std::uint8_t* ch);
  void PostText(const char* text);
  KeyboardLayout FrameLayout();
  KeyRecord LayoutRecord(std::uint8_t vk, std::uint32_t flags, KeyboardLayout layout);
  KeyRecord AltCodeRecord(std::uint8_t vk, std::uint32_t flags);
  void TypeAltCode(unsigned value, int digits);
  bool TypeUnicode(const std::uint8_t* ch, int count);
  bool TypeUnicodeCharacter(const std::uint8_t* ch);
  void ShowVirtualKey(KeyItem item);
  void SendKeyGroup(const KeyItem* first, int count);
  void PauseAfterKey();
  bool Send(const KeyRecord* records, int count);
  void ReleaseHeldKeys(const KeyRecord* records, int count, int inserted);
  void Refuse();

  Keyboard& keyboard_;
  const std::int16_t& sendDelay_;
  const std::uint8_t& sendMode_;
  int keyPause_;
  bool logOnly_ = false;
  FrameKeys frame_ = FrameKeys::None;
  // The layout of the window in front, taken at the frame's first key look-up.
  KeyboardLayout layout_ = 0;
  bool layoutTaken_ = false;
};
