// Filling the main dialog from Settings and storing each control's value back into it.
#include "config/main_dialog_fill_win32.h"

#include <cstdio>
#include <cstring>

#include "app/shell_state_win32.h"
#include "config/main_dialog_values.h"
#include "config/settings_record.h"
#include "ids_main_dialog.h"
#include "keyout/code_notation.h"
#include "reception/receive_thread_win32.h"
#include "reception/serial_port_win32.h"

namespace {

constexpr int kCodeTextSize = 99;   // edits are read as at most 98 characters
constexpr int kPortTextSize = 255;  // the port text is read as at most 254 characters

struct ListFill {
  int id;
  const char* const* entries;
  int count;
};

const char* const kBaudEntries[] = {"115200", "57600", "38400", "19200", "9600", "4800", "2400"};
const char* const kBitsEntries[] = {"7", "8"};
const char* const kParityEntries[] = {"None", "Even", "Odd"};
const char* const kRtsEntries[] = {"Disable", "Enable", "HandShake", "Toggle"};
const char* const kStopEntries[] = {"1", "1.5", "2"};
const char* const kConvEntries[] = {"なし", "あり"};

std::uint8_t* ListField(int id) {
  switch (id) {
    case IDC_BAUD: return &Settings.BAUD;
    case IDC_BITS: return &Settings.BITS;
    case IDC_PARITY: return &Settings.PARITY;
    case IDC_RTSC: return &Settings.RTSC;
    case IDC_STOPBIT: return &Settings.STOPBIT;
    case IDC_CONVCODE: return &Settings.CONVCODE;
    default: return nullptr;
  }
}

std::uint8_t* CheckField(int id) {
  switch (id) {
    case IDC_CTSC: return &Settings.CTSC;
    case IDC_XFLOWC: return &Settings.XFLOWC;
    case IDC_RCVSTAOUT: return &Settings.RCVSTAOUT;
    case IDC_RCVENDOUT: return &Settings.RCVENDOUT;
    case IDC_AUTOSTA: return &Settings.AUTOSTA;
    default: return nullptr;
  }
}

std::int16_t* NumberField(int id) {
  switch (id) {
    case IDC_DATADELAY: return &Settings.DATADELAY;
    case IDC_DATAWAIT: return &Settings.DATAWAIT;
    case IDC_SENDDELAY: return &Settings.SENDDELAY;
    default: return nullptr;
  }
}

// The byte-code fields in the order of their edits IDC_KANJIIN..IDC_RCVEND.
std::uint8_t* CodeField(int id) {
  switch (id) {
    case IDC_KANJIIN: return Settings.KANJIIN;
    case IDC_KANJIOUT: return Settings.KANJIOUT;
    case IDC_KANAIN: return Settings.KANAIN;
    case IDC_KANAOUT: return Settings.KANAOUT;
    case IDC_RCVSTA: return Settings.RCVSTA;
    case IDC_RCVEND: return Settings.RCVEND;
    default: return nullptr;
  }
}

KeyItem* KeyField(int id) {
  if (id == IDC_PRECODE) return Settings.PRECODE;
  if (id == IDC_POSTCODE) return Settings.POSTCODE;
  return nullptr;
}

void FillList(HWND dialog, const ListFill& list, int selected) {
  for (int i = 0; i < list.count; ++i)
    SendDlgItemMessageA(dialog, list.id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(list.entries[i]));
  SendDlgItemMessageA(dialog, list.id, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

void SetNumber(HWND dialog, int id, int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", value);
  SetDlgItemTextA(dialog, id, text);
}

void StoreCode(HWND dialog, int id, std::uint8_t* field) {
  char text[kCodeTextSize] = {};
  GetDlgItemTextA(dialog, id, text, sizeof text);
  const ByteCodes parsed = ParseByteCodes(text);
  std::memcpy(field, parsed.bytes, kMaxCodeBytes);
  field[kMaxCodeBytes] = 0;
  SetDlgItemTextA(dialog, id + IDC_CODE_TEXT_OFFSET, parsed.display);
}

void StoreKeys(HWND dialog, int id, KeyItem* field) {
  char text[kCodeTextSize] = {};
  GetDlgItemTextA(dialog, id, text, sizeof text);
  const CodeNotation parsed = ParseCodeNotation(text, NotationMode::Keys);
  for (int i = 0; i < kMaxKeyItems; ++i) field[i] = parsed.items[i];
  field[kMaxKeyItems] = 0;
  SetDlgItemTextA(dialog, id + IDC_CODE_TEXT_OFFSET, parsed.display);
}

// A held value replaces the edit's text, which comes back here once more with that value.
void StoreNumber(HWND dialog, int id, std::int16_t* field) {
  char text[16] = {};
  GetDlgItemTextA(dialog, id, text, sizeof text);
  const HeldNumber held = HoldIntervalText(text);
  *field = held.value;
  if (held.replace) SetNumber(dialog, id, held.value);
}

void StorePort(HWND dialog) {
  char text[kPortTextSize] = {};
  GetDlgItemTextA(dialog, IDC_PORT, text, sizeof text);
  std::uint8_t port = 0;
  if (PortFromText(text, &port)) Settings.PORT = port;
}

}  // namespace

void FillPortList(HWND dialog) {
  SendDlgItemMessageA(dialog, IDC_PORT, CB_RESETCONTENT, 0, 0);
  int added = 0;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) ==
      ERROR_SUCCESS) {
    DWORD values = 0;
    if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                         nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
      for (DWORD i = 0; i < values; ++i) {
        char name[256] = {};
        BYTE data[256] = {};
        DWORD nameSize = 255;
        DWORD dataSize = 255;  // one byte stays free, so the data is always terminated
        DWORD type = 0;
        if (RegEnumValueA(key, i, name, &nameSize, nullptr, &type, data, &dataSize) != ERROR_SUCCESS)
          continue;
        if (std::strstr(reinterpret_cast<char*>(data), "COM") == nullptr) continue;
        SendDlgItemMessageA(dialog, IDC_PORT, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(data));
        ++added;
      }
    }
    RegCloseKey(key);
  }
  if (added == 0)
    SendDlgItemMessageA(dialog, IDC_PORT, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("( なし )"));
  char text[16];
  FormatPortText(Settings.PORT, text, sizeof text);
  SetDlgItemTextA(dialog, IDC_PORT, text);
}

void HandleSettingControl(HWND dialog, int id, int code) {
  if (id == IDC_PORT) {
    if (code == CBN_DROPDOWN) FillPortList(dialog);
    else StorePort(dialog);
    return;
  }
  if (std::uint8_t* field = ListField(id)) {
    const LRESULT sel = SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0);
    if (sel != CB_ERR) *field = static_cast<std::uint8_t>(sel);
    return;
  }
  if (std::uint8_t* field = CheckField(id)) {
    *field = IsDlgButtonChecked(dialog, id) == BST_CHECKED ? 1 : 0;
    return;
  }
  if (code != EN_CHANGE) return;
  if (std::int16_t* field = NumberField(id)) StoreNumber(dialog, id, field);
  else if (std::uint8_t* codeField = CodeField(id)) StoreCode(dialog, id, codeField);
  else if (KeyItem* keys = KeyField(id)) StoreKeys(dialog, id, keys);
}

bool ApplyPreset(HWND dialog, int id) {
  struct Preset {
    int button, first, second;
    const char *firstText, *secondText;
  };
  static const Preset kPresets[] = {
      {IDC_PRESET_ESC_DOLLAR_B, IDC_KANJIIN, IDC_KANJIOUT, "x1B x24 x42", "x1B x28 x42"},
      {IDC_PRESET_ESC_K_H, IDC_KANJIIN, IDC_KANJIOUT, "x1B x4B", "x1B x48"},
      {IDC_PRESET_ESC_SO_SI, IDC_KANJIIN, IDC_KANJIOUT, "x1B x0E", "x1B x0F"},
      {IDC_PRESET_ESC_AT_B, IDC_KANJIIN, IDC_KANJIOUT, "x1B x40 x42", "x1B x28 x4A"},
      {IDC_PRESET_ESC_9B, IDC_KANJIIN, IDC_KANJIOUT, "x1B", "x9B"},
      {IDC_PRESET_SO_SI, IDC_KANAIN, IDC_KANAOUT, "x0E", "x0F"},
      {IDC_PRESET_ESC_I, IDC_KANAIN, IDC_KANAOUT, "x1B x28 x49", "x1B x28 x42"},
  };
  for (const Preset& p : kPresets) {
    if (p.button != id) continue;
    SetDlgItemTextA(dialog, p.first, p.firstText);
    SetDlgItemTextA(dialog, p.second, p.secondText);
    return true;
  }
  return false;
}

void SetSettingsEditable(HWND dialog, bool enable) {
  static const int kSettingControls[] = {
      IDC_PORT, IDC_BAUD, IDC_BITS, IDC_PARITY, IDC_RTSC, IDC_STOPBIT, IDC_CONVCODE, IDC_CTSC,
      IDC_XFLOWC, IDC_GROUP_KANJI, IDC_GROUP_KANA, IDC_RCVSTAOUT, IDC_RCVENDOUT, IDC_AUTOSTA,
      IDC_DATADELAY, IDC_DATAWAIT, IDC_SENDDELAY, IDC_START, IDC_LOAD, IDC_SAVE, IDC_ABOUT,
      IDC_LOG_SETTINGS};
  for (int id : kSettingControls) EnableWindow(GetDlgItem(dialog, id), enable);
  for (int id = IDC_KANJIIN; id <= IDC_POSTCODE; ++id) EnableWindow(GetDlgItem(dialog, id), enable);
  for (int id = IDC_KANJIIN_LIST; id <= IDC_POSTCODE_LIST; ++id)
    EnableWindow(GetDlgItem(dialog, id), enable);
  for (int id = IDC_PRESET_ESC_SO_SI; id <= IDC_PRESET_ESC_I; ++id)
    EnableWindow(GetDlgItem(dialog, id), enable);
  EnableWindow(GetDlgItem(dialog, IDC_STOP), !enable);
}

void FillDialog(HWND dialog) {
  for (int id = IDC_KANJIIN; id <= IDC_RCVEND; ++id) SendDlgItemMessageA(dialog, id, EM_LIMITTEXT, 25, 0);
  SendDlgItemMessageA(dialog, IDC_PRECODE, EM_LIMITTEXT, 50, 0);
  SendDlgItemMessageA(dialog, IDC_POSTCODE, EM_LIMITTEXT, 50, 0);
  for (int id = IDC_PORT; id <= IDC_CONVCODE; ++id) SendDlgItemMessageA(dialog, id, CB_RESETCONTENT, 0, 0);
  FillPortList(dialog);
  FillList(dialog, {IDC_BAUD, kBaudEntries, 7}, Settings.BAUD);
  FillList(dialog, {IDC_BITS, kBitsEntries, 2}, Settings.BITS);
  FillList(dialog, {IDC_PARITY, kParityEntries, 3}, Settings.PARITY);
  FillList(dialog, {IDC_RTSC, kRtsEntries, 4}, Settings.RTSC);
  FillList(dialog, {IDC_STOPBIT, kStopEntries, 3}, Settings.STOPBIT);
  FillList(dialog, {IDC_CONVCODE, kConvEntries, 2}, Settings.CONVCODE);
  CheckDlgButton(dialog, IDC_CTSC, Settings.CTSC ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dialog, IDC_XFLOWC, Settings.XFLOWC ? BST_CHECKED : BST_UNCHECKED);

  for (int id : {IDC_DATADELAY, IDC_DATAWAIT, IDC_SENDDELAY}) SendDlgItemMessageA(dialog, id, EM_LIMITTEXT, 4, 0);
  // Copies: each set text re-parses into Settings while the next field is still being read.
  const int delay = Settings.DATADELAY, wait = Settings.DATAWAIT, send = Settings.SENDDELAY;
  SetNumber(dialog, IDC_DATADELAY, delay);
  SetNumber(dialog, IDC_DATAWAIT, wait);
  SetNumber(dialog, IDC_SENDDELAY, send);

  char text[100];
  for (int id = IDC_KANJIIN; id <= IDC_RCVEND; ++id) {
    FormatCodeNotation(CodeField(id), text, sizeof text);
    SetDlgItemTextA(dialog, id, text);
  }
  CheckDlgButton(dialog, IDC_RCVSTAOUT, Settings.RCVSTAOUT ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dialog, IDC_RCVENDOUT, Settings.RCVENDOUT ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dialog, IDC_AUTOSTA, Settings.AUTOSTA ? BST_CHECKED : BST_UNCHECKED);
  for (int id : {IDC_PRECODE, IDC_POSTCODE}) {
    FormatCodeNotation(KeyField(id), text, sizeof text);
    SetDlgItemTextA(dialog, id, text);
  }

  ResetReceiveFraming();
  RunningFlag = 0;
  MainDialogWindow = dialog;
  SetSettingsEditable(dialog, true);
}
