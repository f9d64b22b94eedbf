#include "config/ext_dialog_controls.h"

#include "ids_ext_dialog.h"

namespace {

using S = SettingsRecord;
using K = ControlKind;

const char* const kTargetModeEntries[] = {"しない", "前面になるまで待つ", "前面に出す"};

// Milliseconds and seconds fit 5 digits; 20 codes written in hexadecimal take 79 characters and
// in decimal up to 99, of which a code field's text holds 98.
constexpr int kNumberChars = 5;
constexpr int kRequestChars = 98;
constexpr int kShortTextChars = kShortTextSize - 1;

constexpr ControlBinding Number(int id, std::int16_t S::*field, std::int16_t max, const char* label,
                                std::int16_t min = 0, std::int16_t raiseTo = 0) {
  return {.id = id, .kind = K::Number, .number = field, .textLimit = kNumberChars, .label = label,
          .min = min, .max = max, .raiseTo = raiseTo};
}
constexpr ControlBinding Text(int id, ShortText S::*field) {
  return {.id = id, .kind = K::Text, .text = field, .textLimit = kShortTextChars};
}
constexpr ControlBinding Button(int id) { return {.id = id, .kind = K::Button}; }

const ControlBinding kControls[] = {
    // Requests to the device
    {.id = IDC_REQCODE, .kind = K::ByteCodes, .request = &S::REQCODE, .textLimit = kRequestChars,
     .display = IDC_REQCODE_TEXT},
    Button(IDC_REQCODE_LIST),
    Number(IDC_REQTIMER, &S::REQTIMER, 30000, "送信間隔(ms)", 0, 100),
    {.id = IDC_REQAFTER, .kind = K::Check, .byte = &S::REQAFTER},
    {.id = IDC_REQHOTKEY, .kind = K::HotKey, .word = &S::REQHOTKEY},
    // The request goes to the open port: there is none unless reception runs.
    {.id = IDC_REQUEST_NOW, .kind = K::Button, .enabledWhileReceiving = true},
    // Frame pattern and repeated frames
    Text(IDC_FILTER, &S::FILTER),
    Button(IDC_FILTER_PRESET),
    Number(IDC_DUPTIME, &S::DUPTIME, 30000, "重複読み取り(ms)"),
    // Target window
    Text(IDC_TARGET, &S::TARGET),
    Button(IDC_TARGET_PICK),
    {.id = IDC_TARGETMODE, .kind = K::List, .byte = &S::TARGETMODE, .entries = kTargetModeEntries},
    Number(IDC_TARGETWAIT, &S::TARGETWAIT, 3600, "待ち時間(秒)", 1),
};

}  // namespace

std::span<const ControlBinding> ExtDialogControls() { return kControls; }

const ControlBinding* FindExtDialogControl(int id) {
  for (const ControlBinding& row : kControls) {
    if (row.id == id) return &row;
  }
  return nullptr;
}

