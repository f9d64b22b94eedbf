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

#include "keyout/code_notation.h"
#include "keyout/keyboard.h"

// ---- key output ------------------------------------------------------------------------------

inline constexpr int kDefaultKeyPauseMs = 20;
// SENDMODE: how characters are typed.
inline constexpr std::uint8_t kSendModeAltCodes = 0;
inline constexpr std::uint8_t kSendModeUnicode = 1;

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
