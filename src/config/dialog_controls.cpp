#include "config/dialog_controls.h"

#include <cstdio>
#include <cstring>

#include "common/text_rules.h"

#include "ids_ext_dialog.h"
#include "ids_main_dialog.h"

// ---- port text and number edits ------------------------------------------------------------

bool PortFromText(const char* text, std::uint8_t* port) {
  const char* com = std::strstr(text, "COM");
  if (com == nullptr) return false;
  unsigned number = 0;
  // Only the low 8 bits are kept ("COM300" is 44), so the digits are folded in without overflow;
  // a number held at a maximum would read otherwise.
  for (const char* p = com + 3; DecimalDigit(*p) >= 0; ++p) number = (number * 10 + DecimalDigit(*p)) & 0xFF;
  *port = static_cast<std::uint8_t>(number == 0 ? 0 : number - 1);
  return true;
}

void FormatPortText(std::uint8_t port, char* out, std::size_t size) {
  std::snprintf(out, size, "COM%d", port + 1);
}

// Read as strtol reads (white space, a sign, the digits; 0 without a digit); a text of more
// digits than a long holds is held, not undefined.
HeldNumber HoldIntervalText(const char* text) {
  while (IsBlank(*text, Blanks::Scan)) ++text;
  const NumberRead r = ReadNumber(text, kToTheEnd, kIntervalMax + 1L, Sign::Allowed);
  const long value = r.negative ? -r.value : r.value;
  if (value < kIntervalMin) return {kIntervalMin, true};
  if (value > kIntervalMax) return {kIntervalMax, true};
  return {static_cast<std::int16_t>(value), false};
}

CheckedNumber CheckNumberText(const char* text, std::int32_t min, std::int32_t max, std::int32_t raiseTo) {
  // Digits only, the whole text; an empty text is 0.
  const NumberRead r = ReadNumber(text, kToTheEnd, max);
  if (text[r.used] != 0 || r.status == NumberStatus::TooLarge) return {false, 0};
  long value = r.value;
  if (value < min) return {false, 0};
  if (value > 0 && value < raiseTo) value = raiseTo;
  return {true, static_cast<std::int32_t>(value)};
}

// ---- the control tables --------------------------------------------------------------------

namespace {

using S = SettingsRecord;
using K = ControlKind;

// The member of a key, of the type the control edits (a row of another type does not compile).
template <class Member>
consteval Member MemberOf(const SettingField& field) {
  return std::get<Member>(field.member);
}

// Main dialog: interval edits take 4 digits, codes 25 characters, key sequences 50.
constexpr int kIntervalChars = 4;
constexpr int kCodeChars = 25;
constexpr int kKeyChars = 50;
// Extended dialog: milliseconds and seconds fit 5 digits; 20 codes written in hexadecimal take
// 79 characters and in decimal up to 99, of which a code field's text holds 98.
constexpr int kNumberChars = 5;
constexpr int kRequestChars = 98;
constexpr int kShortTextChars = kShortTextSize - 1;

constexpr const char* kBaudEntries[] = {"115200", "57600", "38400", "19200", "9600", "4800", "2400"};
constexpr const char* kBitsEntries[] = {"7", "8"};
constexpr const char* kParityEntries[] = {"None", "Even", "Odd"};
constexpr const char* kRtsEntries[] = {"Disable", "Enable", "HandShake", "Toggle"};
constexpr const char* kStopEntries[] = {"1", "1.5", "2"};
constexpr const char* kConvEntries[] = {"なし", "あり"};
constexpr const char* kSendModeEntries[] = {"Altコード", "Unicode", "貼り付け"};
constexpr const char* kTargetModeEntries[] = {"しない", "前面になるまで待つ", "前面に出す"};
constexpr const char* kSourceEntries[] = {"COMポート", "TCPクライアント", "TCPサーバー", "Telnetクライアント"};

consteval ControlBinding Port(const SettingField& f) {
  return {.id = IDC_PORT, .kind = K::Port, .byte = MemberOf<std::uint8_t S::*>(f)};
}
consteval ControlBinding List(int id, const SettingField& f, std::span<const char* const> entries) {
  return {.id = id, .kind = K::List, .byte = MemberOf<std::uint8_t S::*>(f), .entries = entries};
}
consteval ControlBinding Check(int id, const SettingField& f) {
  return {.id = id, .kind = K::Check, .byte = MemberOf<std::uint8_t S::*>(f)};
}
// A main dialog interval: held to kIntervalMin..kIntervalMax as it is typed.
consteval ControlBinding Interval(int id, const SettingField& f) {
  return {.id = id, .kind = K::Number, .number = MemberOf<std::int16_t S::*>(f),
          .textLimit = kIntervalChars};
}
// An extended dialog number: the key's range, checked on OK; named in the refusal.
consteval ControlBinding Number(int id, const SettingField& f, const char* label, std::int16_t raiseTo = 0) {
  return {.id = id, .kind = K::Number, .number = MemberOf<std::int16_t S::*>(f),
          .textLimit = kNumberChars, .label = label, .min = static_cast<std::int16_t>(f.min),
          .max = static_cast<std::int16_t>(f.max), .raiseTo = raiseTo};
}
// An extended dialog number of 16 bits without sign (a TCP port).
consteval ControlBinding Word(int id, const SettingField& f, const char* label) {
  return {.id = id, .kind = K::Number, .word = MemberOf<std::uint16_t S::*>(f),
          .textLimit = kNumberChars, .label = label, .min = static_cast<std::int32_t>(f.min),
          .max = static_cast<std::int32_t>(f.max)};
}
consteval ControlBinding Code(int id, const SettingField& f) {
  return {.id = id, .kind = K::ByteCodes, .code = MemberOf<CodeBytes S::*>(f), .textLimit = kCodeChars,
          .display = id + IDC_CODE_TEXT_OFFSET};
}
consteval ControlBinding Request(int id, const SettingField& f, int display) {
  return {.id = id, .kind = K::ByteCodes, .request = MemberOf<RequestBytes S::*>(f),
          .textLimit = kRequestChars, .display = display};
}
consteval ControlBinding Keys(int id, const SettingField& f) {
  return {.id = id, .kind = K::Keys, .keys = MemberOf<KeySequence S::*>(f), .textLimit = kKeyChars,
          .display = id + IDC_CODE_TEXT_OFFSET};
}
consteval ControlBinding Text(int id, const SettingField& f) {
  return {.id = id, .kind = K::Text, .text = MemberOf<ShortText S::*>(f), .textLimit = kShortTextChars};
}
consteval ControlBinding HotKey(int id, const SettingField& f) {
  return {.id = id, .kind = K::HotKey, .word = MemberOf<std::uint16_t S::*>(f)};
}
consteval ControlBinding Follow(int id, const SettingField& f) {
  return {.id = id, .kind = K::Follow, .portId = MemberOf<PortIdText S::*>(f)};
}
consteval ControlBinding Button(int id, bool enabledWhileReceiving = false) {
  return {.id = id, .kind = K::Button, .enabledWhileReceiving = enabledWhileReceiving};
}

// A code edit stands beside the button that opens the key code list for it.
constexpr ControlBinding kMainControls[] = {
    // Communication settings
    Port(SettingKey("PORT=")),
    List(IDC_BAUD, SettingKey("BAUD="), kBaudEntries),
    List(IDC_BITS, SettingKey("BITS="), kBitsEntries),
    List(IDC_PARITY, SettingKey("PARITY="), kParityEntries),
    List(IDC_RTSC, SettingKey("RTSC="), kRtsEntries),
    List(IDC_STOPBIT, SettingKey("STOPBIT="), kStopEntries),
    List(IDC_CONVCODE, SettingKey("CONVCODE="), kConvEntries),
    Check(IDC_CTSC, SettingKey("CTSC=")), Check(IDC_XFLOWC, SettingKey("XFLOWC=")),
    Follow(IDC_PORTID, SettingKey("PORTID=")),
    // Receive and send settings
    Code(IDC_RCVSTA, SettingKey("RCVSTA=")), Button(IDC_RCVSTA_LIST),
    Check(IDC_RCVSTAOUT, SettingKey("RCVSTAOUT=")),
    Code(IDC_RCVEND, SettingKey("RCVEND=")), Button(IDC_RCVEND_LIST),
    Check(IDC_RCVENDOUT, SettingKey("RCVENDOUT=")),
    Interval(IDC_DATAWAIT, SettingKey("DATAWAIT=")), Interval(IDC_DATADELAY, SettingKey("DATADELAY=")),
    Interval(IDC_SENDDELAY, SettingKey("SENDDELAY=")),
    List(IDC_SENDMODE, SettingKey("SENDMODE="), kSendModeEntries),
    Check(IDC_AUTOSTA, SettingKey("AUTOSTA=")),
    // Two-byte shift codes: group, edits, presets
    Button(IDC_GROUP_KANJI),
    Code(IDC_KANJIIN, SettingKey("KANJIIN=")), Button(IDC_KANJIIN_LIST),
    Code(IDC_KANJIOUT, SettingKey("KANJIOUT=")), Button(IDC_KANJIOUT_LIST),
    Button(IDC_PRESET_ESC_DOLLAR_B), Button(IDC_PRESET_ESC_K_H), Button(IDC_PRESET_ESC_SO_SI),
    Button(IDC_PRESET_ESC_AT_B), Button(IDC_PRESET_ESC_9B),
    // Half-width kana shift codes: group, edits, presets
    Button(IDC_GROUP_KANA),
    Code(IDC_KANAIN, SettingKey("KANAIN=")), Button(IDC_KANAIN_LIST),
    Code(IDC_KANAOUT, SettingKey("KANAOUT=")), Button(IDC_KANAOUT_LIST),
    Button(IDC_PRESET_SO_SI), Button(IDC_PRESET_ESC_I),
    // Added key sequences
    Keys(IDC_PRECODE, SettingKey("PRECODE=")), Button(IDC_PRECODE_LIST),
    Keys(IDC_POSTCODE, SettingKey("POSTCODE=")), Button(IDC_POSTCODE_LIST),
    // Buttons
    Button(IDC_START), Button(IDC_STOP, true),
    Button(IDC_LOAD), Button(IDC_SAVE), Button(IDC_ABOUT), Button(IDC_LOG_SETTINGS),
    // "拡張設定" stays enabled: while receiving its dialog shows the settings disabled and
    // offers "今すぐ送信", which needs the open port.
};

constexpr ControlBinding kExtControls[] = {
    // Requests to the device
    Request(IDC_REQCODE, SettingKey("REQCODE="), IDC_REQCODE_TEXT),
    Button(IDC_REQCODE_LIST),
    Number(IDC_REQTIMER, SettingKey("REQTIMER="), "送信間隔(ms)", kMinRequestTimerMs),
    Check(IDC_REQAFTER, SettingKey("REQAFTER=")),
    HotKey(IDC_REQHOTKEY, SettingKey("REQHOTKEY=")),
    // The request goes to the open port: there is none unless reception runs.
    Button(IDC_REQUEST_NOW, true),
    // Frame pattern and repeated frames
    Text(IDC_FILTER, SettingKey("FILTER=")),
    Button(IDC_FILTER_PRESET),
    Text(IDC_OUTPUT, SettingKey("OUTPUT=")),
    Number(IDC_DUPTIME, SettingKey("DUPTIME="), "重複読み取り(ms)"),
    // Target window
    Text(IDC_TARGET, SettingKey("TARGET=")),
    Button(IDC_TARGET_PICK),
    List(IDC_TARGETMODE, SettingKey("TARGETMODE="), kTargetModeEntries),
    Number(IDC_TARGETWAIT, SettingKey("TARGETWAIT="), "待ち時間(秒)"),
    // Input method
    Check(IDC_IMEOFF, SettingKey("IMEOFF=")),
    // Connection: the COM port or the network
    List(IDC_SOURCE, SettingKey("SOURCE="), kSourceEntries),
    Text(IDC_TCPHOST, SettingKey("TCPHOST=")),
    Word(IDC_TCPPORT, SettingKey("TCPPORT="), "ポート"),
    Text(IDC_TCPALLOW, SettingKey("TCPALLOW=")),
};

const ControlBinding* FindControl(std::span<const ControlBinding> rows, int id) {
  for (const ControlBinding& row : rows) {
    if (row.id == id) return &row;
  }
  return nullptr;
}

}  // namespace

std::span<std::uint8_t> CodeField(const ControlBinding& row, SettingsRecord& s) {
  if (row.request != nullptr) return {s.*row.request, kMaxRequestBytes};
  if (row.code != nullptr) return {s.*row.code, kMaxCodeBytes};
  return {};
}

std::span<const std::uint8_t> CodeField(const ControlBinding& row, const SettingsRecord& s) {
  if (row.request != nullptr) return {s.*row.request, kMaxRequestBytes};
  if (row.code != nullptr) return {s.*row.code, kMaxCodeBytes};
  return {};
}

std::span<const ControlBinding> MainDialogControls() { return kMainControls; }
const ControlBinding* FindMainDialogControl(int id) { return FindControl(kMainControls, id); }

std::span<const ControlBinding> ExtDialogControls() { return kExtControls; }
const ControlBinding* FindExtDialogControl(int id) { return FindControl(kExtControls, id); }
