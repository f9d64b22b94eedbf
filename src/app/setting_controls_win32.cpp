// Setting the controls of a settings dialog from a record and reading them back into it.
#include "app/setting_controls_win32.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>

#include "common/wide_text_win32.h"
#include "keyout/code_notation.h"

namespace {

constexpr int kCodeTextSize = 99;  // code edits are read as at most 98 characters

void SetNumber(HWND dialog, int id, int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", value);
  SetDlgItemTextA(dialog, id, text);
}

// Parses the code or key edit's text into its field of s and shows what it means.
void ParseCodeEdit(HWND dialog, const ControlBinding& row, SettingsRecord& s) {
  char text[kCodeTextSize] = {};
  GetDlgItemText932(dialog, row.id, text, sizeof text);
  if (row.kind == ControlKind::Keys) {
    const CodeNotation parsed = ParseCodeNotation(text, NotationMode::Keys);
    KeyItem* items = s.*row.keys;
    for (int i = 0; i < kMaxKeyItems; ++i) items[i] = parsed.items[i];
    items[kMaxKeyItems] = 0;
    SetDlgItemText932(dialog, row.display, parsed.display);
    return;
  }
  // The terminator after the field's bytes stays 0: it is never written here.
  const std::span<std::uint8_t> bytes = CodeField(row, s);
  char display[kByteListDisplaySize];
  ParseByteList(text, bytes.data(), static_cast<int>(bytes.size()), display, sizeof display);
  SetDlgItemText932(dialog, row.display, display);
}

bool ReadNumber(HWND dialog, const ControlBinding& row, SettingsRecord& s) {
  char text[16] = {};
  GetDlgItemTextA(dialog, row.id, text, sizeof text);
  const CheckedNumber checked = CheckNumberText(text, row.min, row.max, row.raiseTo);
  if (!checked.accepted) return false;
  if (row.number != nullptr) {
    s.*row.number = static_cast<std::int16_t>(checked.value);
  } else {
    s.*row.word = static_cast<std::uint16_t>(checked.value);
  }
  char shown[16];
  std::snprintf(shown, sizeof shown, "%d", static_cast<int>(checked.value));
  if (std::strcmp(shown, text) != 0) SetDlgItemTextA(dialog, row.id, shown);
  return true;
}

}  // namespace

void ShowSetting(HWND dialog, const ControlBinding& row, const SettingsRecord& s) {
  HWND control = GetDlgItem(dialog, row.id);
  if (row.textLimit > 0) SendMessageA(control, EM_LIMITTEXT, static_cast<WPARAM>(row.textLimit), 0);
  char text[kByteListDisplaySize];
  switch (row.kind) {
    case ControlKind::List:
      SendMessageA(control, CB_RESETCONTENT, 0, 0);
      for (const char* entry : row.entries) AddComboEntry932(dialog, row.id, entry);
      SendMessageA(control, CB_SETCURSEL, static_cast<WPARAM>(s.*row.byte), 0);
      return;
    case ControlKind::Check:
      CheckDlgButton(dialog, row.id, s.*row.byte ? BST_CHECKED : BST_UNCHECKED);
      return;
    case ControlKind::Number:
      SetNumber(dialog, row.id, row.number != nullptr ? s.*row.number : s.*row.word);
      return;
    case ControlKind::ByteCodes: {
      const std::span<const std::uint8_t> code = CodeField(row, s);
      FormatByteList(code.data(), static_cast<int>(code.size()), text, sizeof text);
      SetDlgItemText932(dialog, row.id, text);
      return;
    }
    case ControlKind::Keys:
      FormatCodeNotation(s.*row.keys, text, sizeof text);
      SetDlgItemText932(dialog, row.id, text);
      return;
    case ControlKind::Text: SetDlgItemText932(dialog, row.id, s.*row.text); return;
    case ControlKind::HotKey: SendMessageA(control, HKM_SETHOTKEY, s.*row.word, 0); return;
    case ControlKind::Follow:
      CheckDlgButton(dialog, row.id, (s.*row.portId)[0] != 0 ? BST_CHECKED : BST_UNCHECKED);
      return;
    case ControlKind::Port:
    case ControlKind::Button: return;
  }
}

bool ReadSetting(HWND dialog, const ControlBinding& row, SettingsRecord& s) {
  switch (row.kind) {
    case ControlKind::List: {
      const LRESULT sel = SendDlgItemMessageA(dialog, row.id, CB_GETCURSEL, 0, 0);
      if (sel != CB_ERR) s.*row.byte = static_cast<std::uint8_t>(sel);
      return true;
    }
    case ControlKind::Check:
      s.*row.byte = IsDlgButtonChecked(dialog, row.id) == BST_CHECKED ? 1 : 0;
      return true;
    case ControlKind::Number: return ReadNumber(dialog, row, s);
    case ControlKind::ByteCodes:
    case ControlKind::Keys: ParseCodeEdit(dialog, row, s); return true;
    case ControlKind::Text:
      // Cut to the field, never inside a two-byte character.
      GetDlgItemText932(dialog, row.id, s.*row.text, kShortTextSize);
      return true;
    case ControlKind::HotKey:
      s.*row.word = static_cast<std::uint16_t>(SendDlgItemMessageA(dialog, row.id, HKM_GETHOTKEY, 0, 0));
      return true;
    case ControlKind::Follow:
      // Unchecked clears the identity; the main dialog stores the identity of a checked one.
      if (IsDlgButtonChecked(dialog, row.id) != BST_CHECKED) (s.*row.portId)[0] = 0;
      return true;
    case ControlKind::Port:
    case ControlKind::Button: return true;
  }
  return true;
}

void ShowCodeMeaning(HWND dialog, const ControlBinding& row) {
  if (row.kind != ControlKind::ByteCodes && row.kind != ControlKind::Keys) return;
  SettingsRecord scratch{};
  ParseCodeEdit(dialog, row, scratch);
}
