#include "keyout/keystrokes.h"

#include "common/two_byte_text.h"

namespace {

constexpr std::uint8_t kCR = 0x0D;
constexpr unsigned kCodePage932 = 932;
// The answer of VkKeyScanExA when the layout has no key for the character.
constexpr std::int16_t kNoKey = -1;
constexpr unsigned kShiftStateShift = 1, kShiftStateCtrl = 2, kShiftStateAlt = 4;

std::uint8_t LowByte(unsigned v) { return static_cast<std::uint8_t>(v & 0xFF); }

// Space and ASCII graphics; the half-width katakana too when the ANSI code page is 932.
constexpr bool IsPrintableByte(std::uint8_t b, bool codePage932) {
  return (b >= 0x20 && b <= 0x7E) || (codePage932 && b >= 0xA1 && b <= 0xDF);
}

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

// The keys that control bytes 0x00-0x1F and DEL (0x7F) of the received data type: the plain
// key (no modifier) that produces the byte, or nothing (kNoPlainKey).
//
// The layout's own answer (VkKeyScanA) is no use for these bytes: its tables give most of them
// as Ctrl shortcuts (LF is Ctrl+Enter, ESC Ctrl+[, DEL Ctrl+Backspace, 0x01 Ctrl+A, ETX the
// Break key), which send a message, fill a selection or break a page in the application in
// front instead of typing data. Only CR, TAB, BS and ESC have a key of their own.
constexpr std::uint8_t kNoPlainKey = 0;

constexpr bool IsAsciiControl(std::uint8_t b) { return b < 0x20 || b == 0x7F; }

// The same keys on every layout the program serves: VK_RETURN, VK_TAB, VK_BACK and VK_ESCAPE
// produce CR, TAB, BS and ESC unshifted on the US layout (kbdus) and on the Japanese 106/109
// layout (kbdjpn) alike.
constexpr std::uint8_t kVkBack = 0x08, kVkTab = 0x09, kVkReturn = 0x0D, kVkEscape = 0x1B;
constexpr std::uint8_t N = kNoPlainKey;

// Indexed by the byte 0x00-0x1F. LF types nothing: a device that ends its lines with CR LF
// would otherwise type two line breaks, or, with CR as the end code, an extra Enter at the
// start of the next frame; a device that ends its lines with LF alone gets its Enter from the
// end code LF and a POSTCODE of v0D. DEL (0x7F) has no key either: the Delete key erases the
// text or the cells after the cursor.
constexpr std::uint8_t kControlKeys[0x20] = {
    N,       N,      N, N,         N, N,         N, N,  // NUL SOH STX ETX EOT ENQ ACK BEL
    kVkBack, kVkTab, N, N,         N, kVkReturn, N, N,  // BS  TAB LF  VT  FF  CR  SO  SI
    N,       N,      N, N,         N, N,         N, N,  // DLE DC1 DC2 DC3 DC4 NAK SYN ETB
    N,       N,      N, kVkEscape, N, N,         N, N,  // CAN EM  SUB ESC FS  GS  RS  US
};

std::uint8_t ControlByteKey(std::uint8_t b) { return b < 0x20 ? kControlKeys[b] : kNoPlainKey; }

}  // namespace

// Without a send mode, characters go as Alt codes.
constexpr std::uint8_t kAltCodesOnly = kSendModeAltCodes;

KeyOutput::KeyOutput(Keyboard& keyboard, const std::int16_t& sendDelayMs, int keyPauseMs)
    : KeyOutput(keyboard, sendDelayMs, kAltCodesOnly, keyPauseMs) {}

KeyOutput::KeyOutput(Keyboard& keyboard, const std::int16_t& sendDelayMs,
                     const std::uint8_t& sendMode, int keyPauseMs)
    : keyboard_(keyboard), sendDelay_(sendDelayMs), sendMode_(sendMode), keyPause_(0) {
  SetKeyPause(keyPauseMs);
}

void KeyOutput::SetKeyPause(int keyPauseMs) { keyPause_ = keyPauseMs < 0 ? 0 : keyPauseMs; }

void KeyOutput::PauseAfterKey() { keyboard_.PauseBetweenKeys(static_cast<unsigned>(keyPause_)); }

// Keys and scan codes are looked up in the layout of the window the frame goes to, asked once
// a frame: the application in front turns our keys into characters with its own layout.
KeyboardLayout KeyOutput::FrameLayout() {
  if (!layoutTaken_) {
    layout_ = keyboard_.ForegroundLayout();
    layoutTaken_ = true;
  }
  return layout_;
}

KeyRecord KeyOutput::LayoutRecord(std::uint8_t vk, std::uint32_t flags, KeyboardLayout layout) {
  if (IsExtendedKey(vk)) flags |= kKeyFlagExtended;
  return KeyRecord{vk, static_cast<std::uint16_t>(keyboard_.MapVkToScan(vk, layout)), flags};
}

KeyRecord KeyOutput::FillKeyRecord(std::uint8_t vk, std::uint32_t flags) {
  return LayoutRecord(vk, flags, FrameLayout());
}

void KeyOutput::PostCharacters(const std::uint8_t* bytes, int count) {
  if (count != 1 && count != 2) return;
  for (int i = 0; i < count; ++i) keyboard_.PostChar(bytes[i]);
}

void KeyOutput::PostText(const char* text) {
  for (; *text != '\0'; ++text) {
    const auto b = static_cast<std::uint8_t>(*text);
    PostCharacters(&b, 1);
  }
}

// With the main dialog in front the user watches the output instead of sending it anywhere:
// characters as themselves, anything else by name.
void KeyOutput::ShowCharacter(const std::uint8_t* ch) {
  const std::uint8_t b = ch[0];
  if (IsTwoByteClass(b)) {
    PostCharacters(ch, 2);
  } else if (IsPrintableByte(b, keyboard_.ansiCodePage == kCodePage932)) {
    PostCharacters(ch, 1);
  } else {
    PostText("<");
    PostText(CharCodeNames[b]);
    PostText(">");
    if (b == kCR) PostCharacters(&b, 1);  // the display starts a new line
  }
}

// The keys of an Alt code carry the low byte of the scan code, as keybd_event took it when the
// Alt codes went that way.
KeyRecord KeyOutput::AltCodeRecord(std::uint8_t vk, std::uint32_t flags) {
  return KeyRecord{vk, LowByte(keyboard_.MapVkToScan(vk, FrameLayout())), flags};
}

// Alt held, the decimal digits on the keypad (leading zeros included), Alt released. Only the
// pause after Alt goes down gives the target time to enter its Alt-code state, so Alt goes
// down alone and the digits follow with the release in one batch: no other input can come
// between them, and a refused Alt sends no digits.
void KeyOutput::TypeAltCode(unsigned value, int digits) {
  constexpr int kMaxDigits = 5;
  std::uint8_t digitKeys[kMaxDigits];
  for (int i = digits - 1; i >= 0; --i) {
    digitKeys[i] = static_cast<std::uint8_t>(kVkNumpad0 + value % 10);
    value /= 10;
  }
  KeyRecord keys[2 * kMaxDigits + 1];
  int n = 0;
  for (int i = 0; i < digits; ++i) {
    keys[n++] = AltCodeRecord(digitKeys[i], 0);
    keys[n++] = AltCodeRecord(digitKeys[i], kKeyFlagUp);
  }
  keys[n++] = AltCodeRecord(kVkMenu, kKeyFlagUp);
  const KeyRecord altDown = AltCodeRecord(kVkMenu, 0);
  if (!Send(&altDown, 1)) return;
  keyboard_.Pause(sendDelay_ < 0 ? 0u : static_cast<unsigned>(sendDelay_));
  Send(keys, n);
}

// Every key of a frame goes through here. Before the frame's first batch the window in front is
// asked whether it takes our input at all; once it has refused, nothing more is sent.
bool KeyOutput::Send(const KeyRecord* records, int count) {
  if (frame_ == FrameKeys::Refused) return false;
  if (frame_ == FrameKeys::None) {
    if (keyboard_.ForegroundRefusesInput()) {
      Refuse();
      return false;
    }
    frame_ = FrameKeys::Typed;
  }
  int inserted = keyboard_.SendInput(records, count);
  if (inserted >= count) return true;
  if (inserted < 0) inserted = 0;
  ReleaseHeldKeys(records, count, inserted);
  Refuse();
  return false;
}

namespace {

bool SameKey(const KeyRecord& a, const KeyRecord& b) { return a.vk == b.vk && a.scan == b.scan; }

// The release at `up` is owed when its key went down before the cut at `inserted`: pressed in
// the batch before the cut, or not pressed in the batch at all (held from before it, as the Alt
// of an Alt code is).
bool ReleaseOwed(const KeyRecord* records, int up, int inserted) {
  for (int i = 0; i < up; ++i) {
    if (!(records[i].flags & kKeyFlagUp) && SameKey(records[i], records[up])) return i < inserted;
  }
  return true;
}

}  // namespace

// A batch cut short can leave keys down. Their releases are sent once more, unchecked, so that
// no key stays held once the system takes input again.
void KeyOutput::ReleaseHeldKeys(const KeyRecord* records, int count, int inserted) {
  KeyRecord releases[kMaxGroupRecords];
  int n = 0;
  for (int i = inserted; i < count && n < kMaxGroupRecords; ++i) {
    if ((records[i].flags & kKeyFlagUp) && ReleaseOwed(records, i, inserted)) {
      releases[n++] = records[i];
    }
  }
  if (n > 0) keyboard_.SendInput(releases, n);
}

void KeyOutput::Refuse() {
  frame_ = FrameKeys::Refused;
  keyboard_.InputRefused();
}

FrameKeys KeyOutput::FinishFrameKeys() {
  const FrameKeys keys = frame_;
  frame_ = FrameKeys::None;
  layoutTaken_ = false;
  return keys;
}

// The character's UTF-16 units, each pressed and released, in one SendInput call, so that no
// other input (the user's own typing, another program's) can come between its records. No
// pause follows: SENDDELAY gives the target time to enter its Alt-code state after Alt goes
// down, and a Unicode packet has no Alt. False when the bytes are no character of code page 932.
bool KeyOutput::TypeUnicode(const std::uint8_t* ch, int count) {
  constexpr int kMaxUnits = 2;  // a surrogate pair at most
  std::uint16_t units[kMaxUnits];
  const int n = keyboard_.Cp932ToUtf16(ch, count, units, kMaxUnits);
  if (n <= 0 || n > kMaxUnits) return false;
  KeyRecord records[2 * kMaxUnits];
  int filled = 0;
  for (int i = 0; i < n; ++i) {
    records[filled++] = KeyRecord{0, units[i], kKeyFlagUnicode};
    records[filled++] = KeyRecord{0, units[i], kKeyFlagUnicode | kKeyFlagUp};
  }
  Send(records, filled);
  return true;
}

bool KeyOutput::PressCharacterKey(std::uint8_t b) {
  const std::int16_t scan = keyboard_.VkKeyScanChar(b, FrameLayout());
  if (scan == kNoKey) return false;  // no key on this layout: typing a guess would be wrong
  const auto answer = static_cast<std::uint16_t>(scan);
  PressKey(LowByte(answer), answer >> 8u);
  return true;
}

// The modifiers of the shift state (1 Shift, 2 Ctrl, 4 Alt) go down before the key and come up
// before it, all in one SendInput call.
void KeyOutput::PressKey(std::uint8_t key, unsigned shiftState) {
  std::uint8_t modifiers[3];
  int nModifiers = 0;
  if (shiftState & kShiftStateShift) modifiers[nModifiers++] = kVkShift;
  if (shiftState & kShiftStateCtrl) modifiers[nModifiers++] = kVkControl;
  if (shiftState & kShiftStateAlt) modifiers[nModifiers++] = kVkMenu;

  KeyRecord records[8];
  int n = 0;
  for (int i = 0; i < nModifiers; ++i) records[n++] = FillKeyRecord(modifiers[i], 0);
  records[n++] = FillKeyRecord(key, 0);
  for (int i = 0; i < nModifiers; ++i) records[n++] = FillKeyRecord(modifiers[i], kKeyFlagUp);
  records[n++] = FillKeyRecord(key, kKeyFlagUp);
  Send(records, n);
}

// Data never reaches the layout's Ctrl shortcuts: its control bytes 0x00-0x1F and 0x7F type
// their plain key or nothing. The other control bytes (0xA0, and the katakana under another
// code page) and those of key lists type what the layout gives.
bool KeyOutput::PressControlByte(std::uint8_t b, ControlKeys controlKeys) {
  if (controlKeys == ControlKeys::Layout || !IsAsciiControl(b)) return PressCharacterKey(b);
  const std::uint8_t key = ControlByteKey(b);
  if (key == kNoPlainKey) return false;
  PressKey(key, 0);
  return true;
}

void KeyOutput::TypeCharacter(const std::uint8_t* ch) { TypeOneCharacter(ch, ControlKeys::Plain); }

void KeyOutput::TypeOneCharacter(const std::uint8_t* ch, ControlKeys controlKeys) {
  if (keyboard_.MainDialogInFront()) {
    ShowCharacter(ch);
    return;
  }
  const std::uint8_t b = ch[0];
  if (b == 0 || logOnly_) return;
  if (sendMode_ == kSendModeUnicode && TypeUnicodeCharacter(ch)) return;
  if (IsLeadByte(b)) {
    const std::uint8_t t = ch[1];
    if (IsTrailByte(t)) TypeAltCode(b * 256u + t, 5);  // a lead byte without a trail types nothing
  } else if (IsTwoByteClass(b) || IsPrintableByte(b, keyboard_.ansiCodePage == kCodePage932)) {
    TypeAltCode(b, 3);
  } else if (PressControlByte(b, controlKeys) && !Refused()) {
    PauseAfterKey();
  }
}

// Unicode mode: a two-byte or printable character as its UTF-16 units. The half-width katakana
// are characters here whatever the system's code page, since the conversion names 932. A byte
// that code page 932 does not map (and a lead byte without its trail) falls back to the Alt
// code path, which types it as mode 0 does; control characters stay key presses.
bool KeyOutput::TypeUnicodeCharacter(const std::uint8_t* ch) {
  const std::uint8_t b = ch[0];
  if (IsLeadByte(b)) return IsTrailByte(ch[1]) && TypeUnicode(ch, 2);
  return (IsTwoByteClass(b) || IsPrintableByte(b, true)) && TypeUnicode(ch, 1);
}

void KeyOutput::ShowVirtualKey(KeyItem item) {
  const char* name = VirtualKeyNames[LowByte(item)];
  if (*name != '\0') {
    PostText("[");
    PostText(name);
    PostText("]");
  }
  if (item & KEYITEM_HOLD) PostText("+");
}

// Every key of the group goes down in list order, then every key comes up in list order.
void KeyOutput::SendKeyGroup(const KeyItem* first, int count) {
  KeyRecord records[kMaxGroupRecords];
  for (int i = 0; i < count; ++i) {
    records[i] = FillKeyRecord(LowByte(first[i]), 0);
    records[count + i] = FillKeyRecord(LowByte(first[i]), kKeyFlagUp);
  }
  if (Send(records, 2 * count)) PauseAfterKey();
}

void KeyOutput::TypeKeyItems(const KeyItem* items) {
  constexpr int kNoGroup = -1;
  int groupStart = kNoGroup;
  // A list ends at its first zero item or after its tenth, which bounds a group to 20 records.
  // An interrupted list ends between items: every key sent so far has come up again, and a
  // group still being gathered has sent nothing.
  for (int i = 0; i < kMaxKeyItems && items[i] != 0 && !keyboard_.Interrupted(); ++i) {
    const KeyItem item = items[i];
    if (item & KEYITEM_VKEY) {
      if (keyboard_.MainDialogInFront()) {
        ShowVirtualKey(item);
        continue;
      }
      if (logOnly_) continue;
      if (groupStart == kNoGroup) groupStart = i;
      if (item & KEYITEM_HOLD) continue;
      SendKeyGroup(items + groupStart, i - groupStart + 1);
      groupStart = kNoGroup;
      continue;
    }
    // A character item; a two-byte character takes the next item as its second byte.
    std::uint8_t ch[2] = {LowByte(item), 0};
    const bool hasNext = i + 1 < kMaxKeyItems && items[i + 1] != 0;
    if (IsTwoByteClass(ch[0]) && hasNext) ch[1] = LowByte(items[++i]);
    TypeOneCharacter(ch, ControlKeys::Layout);
  }
  // A group whose last key still waits for a partner is dropped unsent.
}

// Not a frame's key: the toggle and its restore around each block go whatever the frame's fate,
// in the layout of the window in front at the time, which the frame's own keys do not take.
void KeyOutput::ToggleCapsLock() {
  const KeyboardLayout layout = keyboard_.ForegroundLayout();
  const KeyRecord records[2] = {LayoutRecord(kVkCapital, kKeyFlagExtended, layout),
                                LayoutRecord(kVkCapital, kKeyFlagExtended | kKeyFlagUp, layout)};
  keyboard_.SendInput(records, 2);
}
