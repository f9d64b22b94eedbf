#include "config/main_dialog_controls.h"

#include "ids_main_dialog.h"

namespace {

const char* const kBaudEntries[] = {"115200", "57600", "38400", "19200", "9600", "4800", "2400"};
const char* const kBitsEntries[] = {"7", "8"};
const char* const kParityEntries[] = {"None", "Even", "Odd"};
const char* const kRtsEntries[] = {"Disable", "Enable", "HandShake", "Toggle"};
const char* const kStopEntries[] = {"1", "1.5", "2"};
const char* const kConvEntries[] = {"なし", "あり"};
const char* const kSendModeEntries[] = {"Altコード", "Unicode"};

constexpr int kNumberChars = 4;
constexpr int kCodeChars = 25;
constexpr int kKeyChars = 50;

using S = SettingsRecord;
using K = ControlKind;

constexpr ControlBinding List(int id, std::uint8_t S::*field, std::span<const char* const> entries) {
  return {.id = id, .kind = K::List, .byte = field, .entries = entries};
}
constexpr ControlBinding Check(int id, std::uint8_t S::*field) {
  return {.id = id, .kind = K::Check, .byte = field};
}
constexpr ControlBinding Number(int id, std::int16_t S::*field) {
  return {.id = id, .kind = K::Number, .number = field, .textLimit = kNumberChars};
}
constexpr ControlBinding Code(int id, CodeBytes S::*field) {
  return {.id = id, .kind = K::ByteCodes, .code = field, .textLimit = kCodeChars,
          .display = id + IDC_CODE_TEXT_OFFSET};
}
constexpr ControlBinding Keys(int id, KeySequence S::*field) {
  return {.id = id, .kind = K::Keys, .keys = field, .textLimit = kKeyChars,
          .display = id + IDC_CODE_TEXT_OFFSET};
}
constexpr ControlBinding Button(int id) { return {.id = id, .kind = K::Button}; }

// A code edit stands beside the button that opens the key code list for it.
const ControlBinding kControls[] = {
    // Communication settings
    {.id = IDC_PORT, .kind = K::Port, .byte = &S::PORT},
    List(IDC_BAUD, &S::BAUD, kBaudEntries),
    List(IDC_BITS, &S::BITS, kBitsEntries),
    List(IDC_PARITY, &S::PARITY, kParityEntries),
    List(IDC_RTSC, &S::RTSC, kRtsEntries),
    List(IDC_STOPBIT, &S::STOPBIT, kStopEntries),
    List(IDC_CONVCODE, &S::CONVCODE, kConvEntries),
    Check(IDC_CTSC, &S::CTSC), Check(IDC_XFLOWC, &S::XFLOWC),
    // Receive and send settings
    Code(IDC_RCVSTA, &S::RCVSTA), Button(IDC_RCVSTA_LIST), Check(IDC_RCVSTAOUT, &S::RCVSTAOUT),
    Code(IDC_RCVEND, &S::RCVEND), Button(IDC_RCVEND_LIST), Check(IDC_RCVENDOUT, &S::RCVENDOUT),
    Number(IDC_DATAWAIT, &S::DATAWAIT), Number(IDC_DATADELAY, &S::DATADELAY),
    Number(IDC_SENDDELAY, &S::SENDDELAY), List(IDC_SENDMODE, &S::SENDMODE, kSendModeEntries),
    Check(IDC_AUTOSTA, &S::AUTOSTA),
    // Two-byte shift codes: group, edits, presets
    Button(IDC_GROUP_KANJI),
    Code(IDC_KANJIIN, &S::KANJIIN), Button(IDC_KANJIIN_LIST),
    Code(IDC_KANJIOUT, &S::KANJIOUT), Button(IDC_KANJIOUT_LIST),
    Button(IDC_PRESET_ESC_DOLLAR_B), Button(IDC_PRESET_ESC_K_H), Button(IDC_PRESET_ESC_SO_SI),
    Button(IDC_PRESET_ESC_AT_B), Button(IDC_PRESET_ESC_9B),
    // Half-width kana shift codes: group, edits, presets
    Button(IDC_GROUP_KANA),
    Code(IDC_KANAIN, &S::KANAIN), Button(IDC_KANAIN_LIST),
    Code(IDC_KANAOUT, &S::KANAOUT), Button(IDC_KANAOUT_LIST),
    Button(IDC_PRESET_SO_SI), Button(IDC_PRESET_ESC_I),
    // Added key sequences
    Keys(IDC_PRECODE, &S::PRECODE), Button(IDC_PRECODE_LIST),
    Keys(IDC_POSTCODE, &S::POSTCODE), Button(IDC_POSTCODE_LIST),
    // Buttons
    Button(IDC_START), {.id = IDC_STOP, .kind = K::Button, .enabledWhileReceiving = true},
    Button(IDC_LOAD), Button(IDC_SAVE), Button(IDC_ABOUT), Button(IDC_LOG_SETTINGS),
    // "拡張設定" stays enabled: while receiving its dialog shows the settings disabled and
    // offers "今すぐ送信", which needs the open port.
};

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

std::span<const ControlBinding> MainDialogControls() { return kControls; }

const ControlBinding* FindMainDialogControl(int id) {
  for (const ControlBinding& row : kControls) {
    if (row.id == id) return &row;
  }
  return nullptr;
}
