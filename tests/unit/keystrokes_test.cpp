// Key output against the keystroke sequences it must produce, through a recording keyboard.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "config/settings.h"
#include "delivery/paste_text.h"
#include "keyout/keystrokes.h"

namespace {

using Events = std::vector<std::string>;

// Records every call as a short text: "S[11D 43D 11U 43U]" one SendInput batch (E marks the
// extended flag), "P20" a pause, "REFUSED" the refusal told. Posted characters are collected
// apart. Scan codes are answered so that a test can tell which mapping produced them. Input is
// refused as Microsoft documents it: the foreground check says so, or SendInput inserts fewer
// records than given.
class RecordingKeyboard : public Keyboard {
 public:
  bool inFront = false;
  std::int16_t keyScan[256];
  Events events;
  std::string posted;
  std::vector<KeyRecord> records;          // every record of every batch
  bool foregroundRefuses = false;
  int foregroundQueries = 0;
  std::vector<int> inserted;               // what each SendInput call answers; later ones insert all
  int layoutQueries = 0;
  std::vector<KeyboardLayout> lookupLayouts;  // the layout of each key and scan code look-up

  RecordingKeyboard() {
    for (auto& k : keyScan) k = -1;
    keyScan[0x0D] = 0x000D;  // CR: the Enter key
  }

  bool MainDialogInFront() override { return inFront; }
  void PostChar(std::uint8_t ch) override { posted.push_back(static_cast<char>(ch)); }
  int SendInput(const KeyRecord* r, int count) override {
    std::string s = "S[";
    for (int i = 0; i < count; ++i) {
      if (i > 0) s += " ";
      s += Key(r[i], "");
      records.push_back(r[i]);
    }
    events.push_back(s + "]");
    return calls_ < inserted.size() ? inserted[calls_++] : count;
  }
  bool ForegroundRefusesInput() override {
    ++foregroundQueries;
    return foregroundRefuses;
  }
  void InputRefused() override { events.push_back("REFUSED"); }
  // A layout of its own at each question, so that a test can tell which look-up used which.
  KeyboardLayout ForegroundLayout() override { return 0x04110000u + ++layoutQueries; }
  std::int16_t VkKeyScanChar(std::uint8_t ch, KeyboardLayout layout) override {
    lookupLayouts.push_back(layout);
    return keyScan[ch];
  }
  // An answer with bits above the low byte, which the keys of an Alt code drop.
  unsigned MapVkToScan(std::uint8_t vk, KeyboardLayout layout) override {
    lookupLayouts.push_back(layout);
    return 0x7700u + (vk ^ 0x5Au);
  }
  // Code page 932 for the characters the tests type; 0 for any other bytes.
  int Cp932ToUtf16(const std::uint8_t* b, int count, std::uint16_t* units, int capacity) override {
    const unsigned value = count == 2 ? b[0] * 256u + b[1] : b[0];
    const std::uint16_t unit = value == 0x889F ? 0x4E9C : value == 0xB1 ? 0xFF71
                               : (count == 1 && value >= 0x20 && value <= 0x7E) ? value : 0;
    if (unit == 0 || capacity < 1) return 0;
    units[0] = unit;
    return 1;
  }
  void Pause(unsigned ms) override { events.push_back("P" + std::to_string(ms)); }

 private:
  std::size_t calls_ = 0;
  // A Unicode record shows its UTF-16 unit: "u4E9CD".
  static std::string Key(const KeyRecord& r, const char* prefix) {
    if (!(r.flags & kKeyFlagUnicode)) return Key(r.vk, r.flags, prefix);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%su%04X%s", prefix, r.scan, (r.flags & kKeyFlagUp) ? "U" : "D");
    return buf;
  }
  static std::string Key(unsigned vk, std::uint32_t flags, const char* prefix) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%s%02X%s%s", prefix, vk, (flags & kKeyFlagUp) ? "U" : "D",
                  (flags & kKeyFlagExtended) ? "E" : "");
    return buf;
  }
};

// The Alt code sequence of the worked examples: Alt down alone, SENDDELAY, then one batch of
// each keypad digit down and up and Alt up.
Events AltCode(std::initializer_list<int> digits, int sendDelay = 10) {
  std::string batch = "S[";
  for (int d : digits) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02XD %02XU ", 0x60 + d, 0x60 + d);
    batch += buf;
  }
  return {"S[12D]", "P" + std::to_string(sendDelay), batch + "12U]"};
}

Events Concat(std::initializer_list<Events> parts) {
  Events all;
  for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

class KeystrokesTest : public ::testing::Test {
 protected:
  KeystrokesTest() : out(kb, settings.SENDDELAY, settings.SENDMODE) {}
  void SetUp() override { SetDefaultSettings(settings); }

  void Type(std::initializer_list<std::uint8_t> bytes) {
    std::vector<std::uint8_t> v(bytes);
    v.push_back(0);
    out.TypeCharacter(v.data());
  }
  void Keys(std::initializer_list<KeyItem> items) {
    std::vector<KeyItem> v(items);
    v.push_back(0);
    out.TypeKeyItems(v.data());
  }

  RecordingKeyboard kb;
  SettingsRecord settings{};
  KeyOutput out;
};

// ---- characters as Alt codes -------------------------------------------------------------

using AltCodeTest = KeystrokesTest;

TEST_F(AltCodeTest, PrintableAsciiIsThreeDigitsWithLeadingZero) {
  Type({'a'});
  EXPECT_EQ(kb.events, AltCode({0, 9, 7}));
}

TEST_F(AltCodeTest, UpperCaseLetterNeedsNoShift) {
  Type({'A'});
  EXPECT_EQ(kb.events, AltCode({0, 6, 5}));
}

TEST_F(AltCodeTest, TildeIs126) {
  Type({'~'});
  EXPECT_EQ(kb.events, AltCode({1, 2, 6}));
}

TEST_F(AltCodeTest, SpaceIsPrintable) {
  Type({' '});
  EXPECT_EQ(kb.events, AltCode({0, 3, 2}));
}

TEST_F(AltCodeTest, TwoByteCharacterIsFiveDigitsOfItsValue) {
  Type({0x82, 0xA0});  // あ, 33440
  EXPECT_EQ(kb.events, AltCode({3, 3, 4, 4, 0}));
}

TEST_F(AltCodeTest, HighestLeadAndTrailBytes) {
  Type({0xFC, 0xFC});  // 64764
  EXPECT_EQ(kb.events, AltCode({6, 4, 7, 6, 4}));
}

TEST_F(AltCodeTest, LowestTrailByte) {
  Type({0x81, 0x40});  // 33088
  EXPECT_EQ(kb.events, AltCode({3, 3, 0, 8, 8}));
}

TEST_F(AltCodeTest, HalfWidthKatakanaIsThreeDigits) {
  Type({0xB1});
  EXPECT_EQ(kb.events, AltCode({1, 7, 7}));
}

TEST_F(AltCodeTest, TwoByteClassBytesThatLeadNothingAreThreeDigits) {
  const struct { std::uint8_t b; std::initializer_list<int> digits; } cases[] = {
      {0x80, {1, 2, 8}}, {0xFD, {2, 5, 3}}, {0xFE, {2, 5, 4}}, {0xFF, {2, 5, 5}}};
  for (const auto& c : cases) {
    kb.events.clear();
    Type({c.b, 0x82});  // the byte after is a valid trail byte and must be ignored
    EXPECT_EQ(kb.events, AltCode(c.digits)) << std::hex << int(c.b);
  }
}

TEST_F(AltCodeTest, LeadByteWithoutTrailByteTypesNothing) {
  for (std::uint8_t t : {0x00, 0x3F, 0x7F, 0xFD, 0x20}) {
    Type({0x82, t});
    EXPECT_TRUE(kb.events.empty()) << std::hex << int(t);
  }
}

TEST_F(AltCodeTest, ZeroByteTypesNothing) {
  Type({0x00});
  EXPECT_TRUE(kb.events.empty());
}

TEST_F(AltCodeTest, PauseAfterAltDownIsSendDelay) {
  settings.SENDDELAY = 37;
  Type({'4'});
  EXPECT_EQ(kb.events, AltCode({0, 5, 2}, 37));
}

TEST_F(AltCodeTest, ScanCodesAreTheLowByteOfTheLayoutsAnswer) {
  Type({'a'});
  ASSERT_EQ(kb.records.size(), 8u);
  const unsigned vks[] = {0x12, 0x60, 0x60, 0x69, 0x69, 0x67, 0x67, 0x12};
  for (size_t i = 0; i < 8; ++i) {
    EXPECT_EQ(kb.records[i].vk, vks[i]) << i;
    EXPECT_EQ(kb.records[i].scan, (vks[i] ^ 0x5Au) & 0xFF) << i;
  }
}

// ---- characters as Unicode packets -----------------------------------------------------------

class UnicodeModeTest : public KeystrokesTest {
 protected:
  void SetUp() override {
    KeystrokesTest::SetUp();
    settings.SENDMODE = kSendModeUnicode;
  }
};

// No SENDDELAY follows a Unicode character (there is no Alt to settle); the control keys keep
// their KeyPause.
TEST_F(UnicodeModeTest, EachCharacterIsOneBatchOfItsUnitsWithoutPause) {
  struct Case {
    const char* name;
    std::vector<std::uint8_t> bytes;
    Events events;
  };
  const Case cases[] = {
      {"ASCII", {'a'}, {"S[u0061D u0061U]"}},
      {"two-byte kanji 0x889F", {0x88, 0x9F}, {"S[u4E9CD u4E9CU]"}},
      {"CR stays the Enter key", {0x0D}, {"S[0DD 0DU]", "P20"}},
      {"a lead byte without a trail types nothing", {0x88, 0x20}, {}},
      {"a byte code page 932 does not map falls back to its Alt code", {0xFD}, AltCode({2, 5, 3})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    kb.events.clear();
    std::vector<std::uint8_t> v = c.bytes;
    v.push_back(0);
    out.TypeCharacter(v.data());
    EXPECT_EQ(kb.events, c.events);
  }
}

TEST_F(UnicodeModeTest, KatakanaAreCharactersWhateverTheSystemCodePage) {
  kb.ansiCodePage = 1252;
  Type({0xB1});
  EXPECT_EQ(kb.events, (Events{"S[uFF71D uFF71U]"}));
}

TEST_F(UnicodeModeTest, TheOutputDisplayShowsWhatModeZeroShows) {
  kb.inFront = true;
  Type({0x88, 0x9F});
  Type({0x0D});
  settings.SENDMODE = kSendModeAltCodes;
  Type({0x88, 0x9F});
  Type({0x0D});
  EXPECT_TRUE(kb.events.empty());
  EXPECT_EQ(kb.posted, "\x88\x9F<CR>\r\x88\x9F<CR>\r");
}

// ---- control bytes as key presses ----------------------------------------------------------

using ControlByteTest = KeystrokesTest;

TEST_F(ControlByteTest, CarriageReturnIsEnterThenKeyPause) {
  Type({0x0D});
  EXPECT_EQ(kb.events, (Events{"S[0DD 0DU]", "P20"}));
}

// A control character of a key list is typed as the layout's key and shift state.
TEST_F(ControlByteTest, CtrlKeyReleasesModifierBeforeKey) {
  kb.keyScan[0x0B] = 0x024B;  // Ctrl + K
  Keys({0x0B});
  EXPECT_EQ(kb.events, (Events{"S[11D 4BD 11U 4BU]", "P20"}));
}

TEST_F(ControlByteTest, ModifiersPressedAndReleasedShiftCtrlAlt) {
  kb.keyScan[0x1C] = 0x0741;  // Shift + Ctrl + Alt + A
  Keys({0x1C});
  EXPECT_EQ(kb.events, (Events{"S[10D 11D 12D 41D 10U 11U 12U 41U]", "P20"}));
}

TEST_F(ControlByteTest, ShiftAndAltWithoutCtrl) {
  kb.keyScan[0x1D] = 0x0532;
  Keys({0x1D});
  EXPECT_EQ(kb.events, (Events{"S[10D 12D 32D 10U 12U 32U]", "P20"}));
}

TEST_F(ControlByteTest, OtherShiftStateBitsAddNoModifier) {
  kb.keyScan[0x1E] = 0x0843;
  Keys({0x1E});
  EXPECT_EQ(kb.events, (Events{"S[43D 43U]", "P20"}));
}

TEST_F(ControlByteTest, NoKeyOnLayoutSendsNothing) {
  Keys({0x01});  // the fake layout answers -1
  Type({0xA0});
  EXPECT_TRUE(kb.events.empty());
}

TEST_F(ControlByteTest, DeleteAndA0AreControlBytes) {
  kb.keyScan[0x7F] = 0x022E;
  kb.keyScan[0xA0] = 0x0020;
  Keys({0x7F});
  Type({0xA0});
  EXPECT_EQ(kb.events, (Events{"S[11D 2EDE 11U 2EUE]", "P20", "S[20D 20U]", "P20"}));
}

TEST_F(ControlByteTest, KatakanaAreKeysUnderAnotherCodePage) {
  kb.ansiCodePage = 1252;
  kb.keyScan[0xB1] = 0x0031;
  Type({0xB1});
  EXPECT_EQ(kb.events, (Events{"S[31D 31U]", "P20"}));
}

TEST_F(ControlByteTest, RecordsCarryTheLayoutsWholeScanCode) {
  kb.keyScan[0x0B] = 0x024B;
  Keys({0x0B});
  ASSERT_EQ(kb.records.size(), 4u);
  for (const auto& r : kb.records) EXPECT_EQ(r.scan, 0x7700u + (r.vk ^ 0x5Au));
}

TEST_F(ControlByteTest, KeyPauseIsConfigurable) {
  KeyOutput slow(kb, settings.SENDDELAY, 35);
  const std::uint8_t cr[] = {0x0D, 0};
  slow.TypeCharacter(cr);
  slow.SetKeyPause(-5);
  slow.TypeCharacter(cr);
  EXPECT_EQ(kb.events, (Events{"S[0DD 0DU]", "P35", "S[0DD 0DU]", "P0"}));
}

TEST_F(ControlByteTest, PressCharacterKeyReportsWhetherItSent) {
  EXPECT_TRUE(out.PressCharacterKey(0x0D));
  EXPECT_FALSE(out.PressCharacterKey(0x02));
  EXPECT_EQ(kb.events, (Events{"S[0DD 0DU]"}));
}

// The layout's answers for the control bytes are Ctrl shortcuts, as on the US layout: the data
// types the plain key of each byte or nothing, never a modifier.
class UsLayoutKeyboard : public RecordingKeyboard {
 public:
  UsLayoutKeyboard() {
    // Ctrl+A to Ctrl+Z
    for (int b = 0x01; b <= 0x1A; ++b) keyScan[b] = static_cast<std::int16_t>(0x0240 + b);
    keyScan[0x00] = 0x0632;  // Ctrl+Shift+2
    keyScan[0x03] = 0x0203;  // Ctrl+Cancel, the Break key
    keyScan[0x08] = 0x0008;  // Backspace
    keyScan[0x09] = 0x0009;  // Tab
    keyScan[0x0A] = 0x020D;  // Ctrl+Enter
    keyScan[0x0D] = 0x000D;  // Enter
    keyScan[0x1B] = 0x02DB;  // Ctrl+[
    keyScan[0x1C] = 0x02DC;  // Ctrl+backslash
    keyScan[0x1D] = 0x02DD;  // Ctrl+]
    keyScan[0x1E] = 0x0636;  // Ctrl+Shift+6
    keyScan[0x1F] = 0x06BD;  // Ctrl+Shift+minus
    keyScan[0x7F] = 0x0208;  // Ctrl+Backspace
  }
};

class DataControlByteTest : public ::testing::Test {
 protected:
  DataControlByteTest() : out(kb, sendDelay) {}
  UsLayoutKeyboard kb;
  const std::int16_t sendDelay = 10;
  KeyOutput out;
};

TEST_F(DataControlByteTest, PlainKeyOrNothing) {
  const struct {
    std::uint8_t b;
    Events expected;
  } rows[] = {
      {0x0D, {"S[0DD 0DU]", "P20"}}, {0x09, {"S[09D 09U]", "P20"}}, {0x08, {"S[08D 08U]", "P20"}},
      {0x1B, {"S[1BD 1BU]", "P20"}}, {0x0A, {}}, {0x7F, {}}, {0x03, {}}, {0x1D, {}}, {0x01, {}},
  };
  for (const auto& row : rows) {
    kb.events.clear();
    const std::uint8_t ch[2] = {row.b, 0};
    out.TypeCharacter(ch);
    EXPECT_EQ(kb.events, row.expected) << std::hex << +row.b;
  }
}

TEST_F(DataControlByteTest, NoControlByteHoldsAModifier) {
  int typed = 0;
  for (int b = 0x00; b <= 0x7F; b = (b == 0x1F) ? 0x7F : b + 1) {
    const std::uint8_t ch[2] = {static_cast<std::uint8_t>(b), 0};
    const auto before = kb.records.size();
    out.TypeCharacter(ch);
    if (kb.records.size() > before) ++typed;
  }
  for (const auto& r : kb.records) {
    EXPECT_TRUE(r.vk != kVkShift && r.vk != kVkControl && r.vk != kVkMenu) << std::hex << r.vk;
  }
  EXPECT_EQ(typed, 4);  // CR, TAB, BS, ESC
}

TEST_F(DataControlByteTest, KeyListCharactersKeepTheLayoutsKey) {
  const KeyItem lf[] = {0x0A, 0};
  out.TypeKeyItems(lf);
  EXPECT_EQ(kb.events, (Events{"S[11D 0DD 11U 0DU]", "P20"}));
}

// ---- key lists -------------------------------------------------------------------------------

using KeyListTest = KeystrokesTest;
constexpr KeyItem V = KEYITEM_VKEY, H = KEYITEM_HOLD;

TEST_F(KeyListTest, SingleKeyIsPressAndReleaseThenPause) {
  Keys({V | 0x0D});
  EXPECT_EQ(kb.events, (Events{"S[0DD 0DU]", "P20"}));
}

TEST_F(KeyListTest, HeldGroupPressesAllThenReleasesAllInListOrder) {
  Keys({V | H | 0x11, V | 0x43});
  EXPECT_EQ(kb.events, (Events{"S[11D 43D 11U 43U]", "P20"}));
}

TEST_F(KeyListTest, ThreeKeyGroupKeepsListOrder) {
  Keys({V | H | 0xA2, V | H | 0xA0, V | 0x41});
  EXPECT_EQ(kb.events, (Events{"S[A2D A0D 41D A2U A0U 41U]", "P20"}));
}

TEST_F(KeyListTest, GroupThenSeparateKey) {
  Keys({V | H | 0x11, V | 0x43, V | 0x0D});
  EXPECT_EQ(kb.events, (Events{"S[11D 43D 11U 43U]", "P20", "S[0DD 0DU]", "P20"}));
}

TEST_F(KeyListTest, CharacterThenKey) {
  Keys({0x41, V | 0x0D});
  EXPECT_EQ(kb.events, Concat({AltCode({0, 6, 5}), {"S[0DD 0DU]", "P20"}}));
}

TEST_F(KeyListTest, TrailingHeldKeyAloneSendsNothing) {
  Keys({V | H | 0x11});
  EXPECT_TRUE(kb.events.empty());
}

TEST_F(KeyListTest, TrailingHeldGroupIsDroppedAfterEarlierKeys) {
  Keys({V | 0x0D, V | H | 0x11, V | H | 0x10});
  EXPECT_EQ(kb.events, (Events{"S[0DD 0DU]", "P20"}));
}

TEST_F(KeyListTest, HighVirtualKeyCodesAreSentExactly) {
  Keys({V | 0xA0, V | 0x90, V | 0x87});
  EXPECT_EQ(kb.events, (Events{"S[A0D A0U]", "P20", "S[90DE 90UE]", "P20", "S[87D 87U]", "P20"}));
}

// The keys a real keyboard sends with the E0 prefix carry the extended flag in every record,
// pressed alone, held in a group or reached through a control character; no other key does.
TEST_F(KeyListTest, ExtendedKeysAndOnlyThoseCarryTheExtendedFlag) {
  const struct {
    std::uint8_t vk;
    bool extended;
  } rows[] = {
      {0x21, true},  {0x22, true},  {0x23, true},  {0x24, true},  {0x25, true},  {0x26, true},
      {0x27, true},  {0x28, true},  {0x2D, true},  {0x2E, true},  {0x2C, true},  {0x03, true},
      {0x5B, true},  {0x5C, true},  {0x5D, true},  {0x6F, true},  {0x90, true},  {0xA3, true},
      {0xA5, true},  {0xA6, true},  {0xB7, true},  {0x0D, false}, {0x08, false}, {0x09, false},
      {0x1B, false}, {0x20, false}, {0x2F, false}, {0x41, false}, {0x60, false}, {0x69, false},
      {0x6A, false}, {0x6E, false}, {0x10, false}, {0x11, false}, {0x12, false}, {0x14, false},
      {0xA0, false}, {0xA1, false}, {0xA2, false}, {0xA4, false}, {0x91, false}, {0xB8, false},
  };
  for (const auto& row : rows) {
    kb.records.clear();
    const auto key = static_cast<KeyItem>(V | row.vk);
    Keys({key});                    // alone
    Keys({V | H | 0x11, key});      // in a group, after Ctrl
    kb.keyScan[0xA0] = static_cast<std::int16_t>(0x0200 | row.vk);
    Type({0xA0});                   // a control character on that key, with Ctrl
    int flagged = 0;
    for (const auto& r : kb.records) {
      if (r.vk == row.vk) {
        EXPECT_EQ((r.flags & kKeyFlagExtended) != 0, row.extended) << std::hex << +row.vk;
      }
      if (r.flags & kKeyFlagExtended) ++flagged;
    }
    EXPECT_EQ(flagged, row.extended ? 6 : 0) << std::hex << +row.vk;
  }
}

TEST_F(KeyListTest, GroupRecordsCarryTheLayoutsWholeScanCode) {
  Keys({V | H | 0x11, V | 0x43});
  ASSERT_EQ(kb.records.size(), 4u);
  for (const auto& r : kb.records) EXPECT_EQ(r.scan, 0x7700u + (r.vk ^ 0x5Au));
}

TEST_F(KeyListTest, MixedCharactersAndKeys) {
  // "v11+v43 D13 x82 xA0 v0D x80": Ctrl+C, CR as Enter, あ from two items, Enter, 0x80 alone.
  Keys({V | H | 0x11, V | 0x43, 0x0D, 0x82, 0xA0, V | 0x0D, 0x80});
  EXPECT_EQ(kb.events, Concat({{"S[11D 43D 11U 43U]", "P20", "S[0DD 0DU]", "P20"},
                               AltCode({3, 3, 4, 4, 0}),
                               {"S[0DD 0DU]", "P20"},
                               AltCode({1, 2, 8})}));
}

TEST_F(KeyListTest, TwoByteItemTakesTheNextItemWhateverItIs) {
  Keys({0x82, V | 0xA0});  // the virtual key's low byte becomes the trail byte
  Keys({0x80, V | 0x0D});  // 0x80 is typed alone, yet the key after it is used up
  EXPECT_EQ(kb.events, Concat({AltCode({3, 3, 4, 4, 0}), AltCode({1, 2, 8})}));
}

TEST_F(KeyListTest, LeadByteItemAtEndOfListTypesNothing) {
  Keys({V | 0x0D, 0x82});
  EXPECT_EQ(kb.events, (Events{"S[0DD 0DU]", "P20"}));
}

TEST_F(KeyListTest, CharacterInsideGroupIsTypedAndJoinsTheGroup) {
  // "v11+D65+v0D": the character is typed when reached; the group spans its position too.
  Keys({V | H | 0x11, H | 0x41, V | 0x0D});
  EXPECT_EQ(kb.events,
            Concat({AltCode({0, 6, 5}), {"S[11D 41D 0DD 11U 41U 0DU]", "P20"}}));
}

// A stop interrupts a list between items: the key or character being sent is finished (an Alt
// code keeps its whole SENDDELAY pause with Alt held), a group still being gathered sends
// nothing, and the pause after a finished key is the interruptible kind ("B").
class InterruptingKeyboard : public RecordingKeyboard {
 public:
  int interruptAtCall = 0;  // the Interrupted() call that first answers true; 0 for never
  bool Interrupted() override { return ++calls_ == interruptAtCall; }
  void PauseBetweenKeys(unsigned ms) override { events.push_back("B" + std::to_string(ms)); }

 private:
  int calls_ = 0;
};

Events Join(std::initializer_list<Events> parts) {
  Events all;
  for (const Events& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

TEST(KeyListInterrupt, EndsBetweenItemsWithNothingHeld) {
  // Enter, Ctrl+C as a held group, あ (0x82A0, Alt code 33440, two items), Enter.
  const KeyItem items[] = {V | 0x0D, V | H | 0x11, V | 0x43, 0x82, 0xA0, V | 0x0D, 0};
  const Events enter = {"S[0DD 0DU]", "B20"}, group = {"S[11D 43D 11U 43U]", "B20"};
  const Events a = AltCode({3, 3, 4, 4, 0});
  const struct {
    const char* name;
    int interruptAtCall;
    Events expected;
  } rows[] = {
      {"never", 0, Join({enter, group, a, enter})},
      {"before the first item", 1, {}},
      {"after the first key", 2, enter},
      {"while the group waits for its partner", 3, enter},
      {"after the group", 4, Join({enter, group})},
      {"after the two-byte character", 5, Join({enter, group, a})},
  };
  for (const auto& row : rows) {
    InterruptingKeyboard kb;
    kb.interruptAtCall = row.interruptAtCall;
    const std::int16_t sendDelay = 10;
    KeyOutput out(kb, sendDelay);
    out.TypeKeyItems(items);
    EXPECT_EQ(kb.events, row.expected) << row.name;
  }
}

TEST_F(KeyListTest, ListEndsAfterTenItems) {
  KeyItem items[12];
  for (int i = 0; i < 9; ++i) items[i] = V | H | 0x41;
  items[9] = V | H | 0x42;
  items[10] = V | 0x0D;  // beyond a list's ten items: must not close the group
  items[11] = 0;
  out.TypeKeyItems(items);
  EXPECT_TRUE(kb.events.empty());
}

TEST_F(KeyListTest, FullGroupOfTenKeysIsOneBatchOfTwenty) {
  KeyItem items[11] = {};
  for (int i = 0; i < 9; ++i) items[i] = V | H | static_cast<KeyItem>(0x41 + i);
  items[9] = V | 0x4A;
  out.TypeKeyItems(items);
  ASSERT_EQ(kb.records.size(), 20u);
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(kb.records[i].vk, 0x41 + i);
    EXPECT_EQ(kb.records[i].flags, 0u);
    EXPECT_EQ(kb.records[10 + i].vk, 0x41 + i);
    EXPECT_EQ(kb.records[10 + i].flags, kKeyFlagUp);
  }
}

TEST_F(KeyListTest, EmptyListTypesNothing) {
  Keys({});
  EXPECT_TRUE(kb.events.empty());
}

// ---- input the window in front refuses ------------------------------------------------------

using RefusedInputTest = KeystrokesTest;

// PRECODE "v0D", the data "a", CR and あ, POSTCODE "v09"; what became of the frame.
FrameKeys TypeFrame(KeyOutput& keys) {
  const KeyItem precode[] = {V | 0x0D, 0}, postcode[] = {V | 0x09, 0};
  const std::uint8_t a[] = {'a', 0}, cr[] = {0x0D, 0}, kana[] = {0x82, 0xA0, 0};
  keys.TypeKeyItems(precode);
  keys.TypeCharacter(a);
  keys.TypeCharacter(cr);
  keys.TypeCharacter(kana);
  keys.TypeKeyItems(postcode);
  return keys.FinishFrameKeys();
}

TEST_F(RefusedInputTest, NothingMoreOfTheFrameOnceRefusedAndHeldKeysReleased) {
  const Events enter = {"S[0DD 0DU]", "P20"};
  const struct {
    const char* name;
    bool foregroundRefuses;
    std::vector<int> inserted;
    std::uint8_t sendMode;
    Events expected;
  } rows[] = {
      {"accepted", false, {}, kSendModeAltCodes,
       Concat({enter, AltCode({0, 9, 7}), enter, AltCode({3, 3, 4, 4, 0}), {"S[09D 09U]", "P20"}})},
      {"the window in front is of higher integrity", true, {}, kSendModeAltCodes, {"REFUSED"}},
      {"the first batch inserts nothing", false, {0}, kSendModeAltCodes, {"S[0DD 0DU]", "REFUSED"}},
      {"a batch cut after a press", false, {1}, kSendModeAltCodes,
       {"S[0DD 0DU]", "S[0DU]", "REFUSED"}},
      {"Alt refused: no pause, no digits", false, {2, 0}, kSendModeAltCodes,
       Concat({enter, {"S[12D]", "REFUSED"}})},
      {"digits refused after Alt went down", false, {2, 1, 0}, kSendModeAltCodes,
       Concat({enter, AltCode({0, 9, 7}), {"S[12U]", "REFUSED"}})},
      {"a control byte refused: no pause after it", false, {2, 1, 7, 0}, kSendModeAltCodes,
       Concat({enter, AltCode({0, 9, 7}), {"S[0DD 0DU]", "REFUSED"}})},
      {"accepted in Unicode mode: a pause after each key, none after a character", false, {},
       kSendModeUnicode,
       Concat({enter, {"S[u0061D u0061U]"}, enter, AltCode({3, 3, 4, 4, 0}), {"S[09D 09U]", "P20"}})},
      {"a refused Unicode character: no pause after it", false, {2, 0}, kSendModeUnicode,
       Concat({enter, {"S[u0061D u0061U]", "REFUSED"}})},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    RecordingKeyboard fresh;
    fresh.foregroundRefuses = row.foregroundRefuses;
    fresh.inserted = row.inserted;
    settings.SENDMODE = row.sendMode;
    KeyOutput keys(fresh, settings.SENDDELAY, settings.SENDMODE);
    const FrameKeys outcome = TypeFrame(keys);
    EXPECT_EQ(fresh.events, row.expected);
    EXPECT_EQ(fresh.foregroundQueries, 1) << "asked once, before the frame's first key";
    const bool refused = row.foregroundRefuses || !row.inserted.empty();
    EXPECT_EQ(outcome, refused ? FrameKeys::Refused : FrameKeys::Typed);
  }
}

TEST_F(RefusedInputTest, EachFrameAsksAgainAndAFrameWithoutKeysSaysNothing) {
  kb.foregroundRefuses = true;
  EXPECT_EQ(TypeFrame(out), FrameKeys::Refused);
  kb.foregroundRefuses = false;
  EXPECT_EQ(TypeFrame(out), FrameKeys::Typed);
  EXPECT_EQ(kb.foregroundQueries, 2);
  kb.inFront = true;  // shown in the output display: no key, nothing asked
  EXPECT_EQ(TypeFrame(out), FrameKeys::None);
  EXPECT_EQ(out.FinishFrameKeys(), FrameKeys::None);
  EXPECT_EQ(kb.foregroundQueries, 2);
}

// Every key and scan code of a frame is looked up in the layout of the window in front, asked
// once, at the frame's first key; the next frame asks again. A Caps Lock toggle in the middle
// of a frame asks for itself and leaves the frame's layout alone.
TEST_F(RefusedInputTest, EachFrameLooksUpItsKeysInTheLayoutOfTheWindowInFront) {
  kb.keyScan[0x0B] = 0x024B;
  const KeyItem ctrlK[] = {0x0B, 0};  // a key list's control character: a key scan in the layout
  const auto countOf = [&](KeyboardLayout layout) {
    return std::count(kb.lookupLayouts.begin(), kb.lookupLayouts.end(), layout);
  };
  out.TypeKeyItems(ctrlK);
  out.ToggleCapsLock();
  TypeFrame(out);
  EXPECT_EQ(kb.layoutQueries, 2);
  EXPECT_EQ(countOf(0x04110002u), 2) << "the toggle's own layout, for its two records";
  EXPECT_EQ(countOf(0x04110001u), static_cast<std::ptrdiff_t>(kb.lookupLayouts.size()) - 2);
  EXPECT_GT(kb.lookupLayouts.size(), 20u);
  kb.lookupLayouts.clear();
  TypeFrame(out);
  EXPECT_EQ(kb.layoutQueries, 3);
  EXPECT_EQ(countOf(0x04110003u), static_cast<std::ptrdiff_t>(kb.lookupLayouts.size()));
  kb.inFront = true;  // shown in the output display: no layout asked
  TypeFrame(out);
  EXPECT_EQ(kb.layoutQueries, 3);
}

TEST_F(RefusedInputTest, TheCapsLockToggleIsNoFramesKey) {
  kb.foregroundRefuses = true;
  out.ToggleCapsLock();
  EXPECT_EQ(kb.events, (Events{"S[14DE 14UE]"}));
  EXPECT_EQ(out.FinishFrameKeys(), FrameKeys::None);
}

// ---- log only ---------------------------------------------------------------------------------

// A frame and a key list with characters, a control character and a "+" group, typed in both
// send modes: log only sends nothing, pauses nowhere and asks the window in front nothing; with
// the main dialog in front the display shows what it shows when typing.
TEST(LogOnly, NothingReachesTheKeyboardAndTheDisplayStaysAsItWas) {
  const KeyItem list[] = {0x41, 0x0B, V | H | 0x11, V | 0x43, 0};
  for (const std::uint8_t mode : {kSendModeAltCodes, kSendModeUnicode}) {
    SCOPED_TRACE(+mode);
    const std::int16_t sendDelay = 10;
    RecordingKeyboard typed, logged;
    typed.keyScan[0x0B] = logged.keyScan[0x0B] = 0x024B;
    KeyOutput typing(typed, sendDelay, mode), logging(logged, sendDelay, mode);
    logging.SetLogOnly(true);
    for (const bool inFront : {false, true}) {
      typed.inFront = logged.inFront = inFront;
      typing.TypeKeyItems(list);
      logging.TypeKeyItems(list);
      EXPECT_EQ(TypeFrame(typing), inFront ? FrameKeys::None : FrameKeys::Typed);
      EXPECT_EQ(TypeFrame(logging), FrameKeys::None);
    }
    EXPECT_FALSE(typed.events.empty());
    EXPECT_TRUE(logged.events.empty());
    EXPECT_EQ(logged.foregroundQueries, 0);
    EXPECT_EQ(logged.posted, typed.posted);
    EXPECT_FALSE(logged.posted.empty());
  }
}

TEST(IntegrityLevels, InputReachesOnlyEqualOrLowerLevels) {
  constexpr IntegrityLevel low = 0x1000, medium = 0x2000, high = 0x3000, system = 0x4000;
  const struct {
    std::optional<IntegrityLevel> target, own;
    bool refused;
  } rows[] = {
      {high, medium, true},    {system, high, true},   {medium, low, true},
      {medium, medium, false}, {high, high, false},    {medium, high, false},
      {std::nullopt, medium, true}, {high, std::nullopt, false},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(IntegrityRefusesInput(row.target, row.own), row.refused)
        << std::hex << row.target.value_or(0) << " " << row.own.value_or(0);
  }
}

// ---- Caps Lock -------------------------------------------------------------------------------

using CapsLockTest = KeystrokesTest;

TEST_F(CapsLockTest, ToggleIsOneExtendedPressAndRelease) {
  out.ToggleCapsLock();
  EXPECT_EQ(kb.events, (Events{"S[14DE 14UE]"}));
  ASSERT_EQ(kb.records.size(), 2u);
  EXPECT_EQ(kb.records[0].scan, 0x7700u + (0x14 ^ 0x5Au));
}

TEST_F(CapsLockTest, ToggleIsSentEvenWithMainDialogInFront) {
  kb.inFront = true;
  out.ToggleCapsLock();
  EXPECT_EQ(kb.events, (Events{"S[14DE 14UE]"}));
  EXPECT_TRUE(kb.posted.empty());
}

// ---- main dialog in front: output display ----------------------------------------------------

using OutputDisplayTest = KeystrokesTest;

TEST_F(OutputDisplayTest, CharactersAndNamedControlCodes) {
  kb.inFront = true;
  Type({'A'});
  Type({'B'});
  Type({0x0D});
  Type({0xB1});
  EXPECT_EQ(kb.posted, "AB<CR>\r\xB1");
  EXPECT_TRUE(kb.events.empty());
}

TEST_F(OutputDisplayTest, TwoByteCharacterArrivesAsItsBytes) {
  kb.inFront = true;
  Type({0x82, 0xA0});
  EXPECT_EQ(kb.posted, "\x82\xA0");
  EXPECT_TRUE(kb.events.empty());
}

TEST_F(OutputDisplayTest, OnlyCarriageReturnGetsLineBreak) {
  kb.inFront = true;
  Type({0x1B});
  Type({0x0A});
  Type({0x7F});
  EXPECT_EQ(kb.posted, "<ESC><LF><DEL>");
}

TEST_F(OutputDisplayTest, KeyListShowsNamesAndJoins) {
  kb.inFront = true;
  Keys({V | H | 0x11, V | 0x43, V | 0x0D});
  EXPECT_EQ(kb.posted, "[CTRL]+[C][ENT]");
  EXPECT_TRUE(kb.events.empty());
}

TEST_F(OutputDisplayTest, KeyListWithCharacters) {
  kb.inFront = true;
  Keys({0x41, 0x82, 0xA0, V | 0x0D});
  EXPECT_EQ(kb.posted, "A\x82\xA0[ENT]");
  EXPECT_TRUE(kb.events.empty());
}

TEST_F(OutputDisplayTest, UnnamedVirtualKeyShowsOnlyItsJoin) {
  kb.inFront = true;
  Keys({V | H | 0x07, V | 0x41});
  EXPECT_EQ(kb.posted, "+[A]");
}

TEST_F(OutputDisplayTest, PostCharactersTakesOneOrTwo) {
  const std::uint8_t bytes[3] = {'x', 'y', 'z'};
  out.PostCharacters(bytes, 0);
  out.PostCharacters(bytes, 3);
  out.PostCharacters(bytes, -1);
  EXPECT_TRUE(kb.posted.empty());
  out.PostCharacters(bytes, 2);
  out.PostCharacters(bytes + 2, 1);
  EXPECT_EQ(kb.posted, "xyz");
}

TEST_F(OutputDisplayTest, MainDialogBehindMeansTypedNotPosted) {
  Type({'A'});
  Keys({V | 0x0D});
  EXPECT_TRUE(kb.posted.empty());
  EXPECT_FALSE(kb.events.empty());
}

// ---- paste mode ------------------------------------------------------------------------------

struct PasteRow {
  const char* bytes;
  int capacity;
  const char* units;  // hexadecimal, blank separated
};

// Line ends of any kind become CR LF, Tab stays, other control bytes and bytes that are no
// character are left out; a text that does not fit ends at a whole character (a CR LF whole).
const PasteRow kPasteRows[] = {
    {"A1", 16, "0041 0031"},
    {"a\r\nb", 16, "0061 000D 000A 0062"},
    {"a\rb", 16, "0061 000D 000A 0062"},
    {"a\nb", 16, "0061 000D 000A 0062"},
    {"\r\n\r\n", 16, "000D 000A 000D 000A"},
    {"a\tb", 16, "0061 0009 0062"},
    {"a\x1B\x01\x7F" "b", 16, "0061 0062"},
    {"\x88\x9F\xB1", 16, "4E9C FF71"},
    {"a\x88", 16, "0061"},
    {"ab\r", 4, "0061 0062"},
    {"abc", 1, ""},
};

TEST(PasteText, TheUnitsOfTheTable) {
  RecordingKeyboard kb;
  for (const PasteRow& row : kPasteRows) {
    std::uint16_t units[16];
    const int length = static_cast<int>(std::string(row.bytes).size());
    const int n = PasteTextUnits(kb, reinterpret_cast<const std::uint8_t*>(row.bytes), length,
                                 units, row.capacity);
    std::string hex;
    for (int i = 0; i < n; ++i) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "%s%04X", i > 0 ? " " : "", units[i]);
      hex += buf;
    }
    EXPECT_EQ(hex, row.units) << row.bytes;
    EXPECT_EQ(units[n], 0) << row.bytes;
  }
}

// The user's clipboard comes back once the target has read the text or the bound has passed,
// and only while nobody else has changed the clipboard since our own last change.
TEST(PasteText, TheUsersClipboardComesBackAfterTheReadOrTheBoundWhileStillOurs) {
  using A = PasteRestore::Action;
  PasteRestore r;
  const std::uint32_t t0 = 0xFFFFFF00u;  // the clock wraps during the wait
  r.Pasted(t0, 5);
  EXPECT_EQ(r.Decide(t0 + kPasteRestoreBoundMs - 1, 5), A::Wait);
  EXPECT_EQ(r.Decide(t0 + kPasteRestoreBoundMs, 5), A::Restore);
  EXPECT_EQ(r.Decide(t0 + kPasteRestoreBoundMs, 6), A::Forget) << "the user copied meanwhile";
  r.Rendered(7);
  EXPECT_EQ(r.Decide(t0 + 10, 7), A::Restore) << "read: given back at once";
  EXPECT_EQ(r.Decide(t0 + 10, 8), A::Forget);
  r.Pasted(100, 9);
  EXPECT_FALSE(r.Rendered());
  EXPECT_EQ(r.Decide(110, 9), A::Wait) << "a new paste waits again";
  r.Lost();
  EXPECT_EQ(r.Decide(110, 9), A::Forget) << "another program emptied the clipboard";
}

}  // namespace
