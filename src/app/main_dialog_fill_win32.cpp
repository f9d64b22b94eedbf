// Filling the main dialog from Settings and storing each control's value back into it.
#include "app/main_dialog_fill_win32.h"

#include <cstdio>
#include <cstring>

#include "app/setting_controls_win32.h"
#include "common/shell_state_win32.h"
#include "common/wide_text_win32.h"
#include "config/dialog_controls.h"
#include "config/settings.h"
#include "ids_main_dialog.h"
#include "reception/receive_thread_win32.h"
#include "reception/serial_port_win32.h"

namespace {

constexpr int kPortTextSize = 255;  // the port text is read as at most 254 characters

// Set while FillDialog sets the controls: the change notifications that this causes are not
// stored; the fill stores each edit once itself when it has set them all.
bool Filling = false;

void SetNumber(HWND dialog, int id, int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", value);
  SetDlgItemTextA(dialog, id, text);
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

// Stores the text of an edit row (number, code, keys) into its field. The main dialog's
// numbers are held to their range as they are typed.
void StoreEdit(HWND dialog, const ControlBinding& row) {
  switch (row.kind) {
    case ControlKind::Number: StoreNumber(dialog, row.id, &(Settings.*row.number)); return;
    case ControlKind::ByteCodes:
    case ControlKind::Keys:
    case ControlKind::Text: ReadSetting(dialog, row, Settings); return;
    default: return;
  }
}

// Sets one control from Settings.
void FillControl(HWND dialog, const ControlBinding& row) {
  if (row.kind == ControlKind::Port) {
    FillPortList(dialog);
  } else {
    ShowSetting(dialog, row, Settings);
  }
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
    AddComboEntry932(dialog, IDC_PORT, "( なし )");
  char text[16];
  FormatPortText(Settings.PORT, text, sizeof text);
  SetDlgItemTextA(dialog, IDC_PORT, text);
}

void HandleSettingControl(HWND dialog, int id, int code) {
  if (Filling) return;
  const ControlBinding* row = FindMainDialogControl(id);
  if (row == nullptr) return;
  switch (row->kind) {
    case ControlKind::Port:
      if (code == CBN_DROPDOWN) FillPortList(dialog);
      else StorePort(dialog);
      return;
    case ControlKind::List:
    case ControlKind::Check:
    case ControlKind::HotKey:
      ReadSetting(dialog, *row, Settings);
      return;
    case ControlKind::Number:
    case ControlKind::ByteCodes:
    case ControlKind::Keys:
    case ControlKind::Text:
      if (code == EN_CHANGE) StoreEdit(dialog, *row);
      return;
    case ControlKind::Button: return;
  }
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
  for (const ControlBinding& row : MainDialogControls()) {
    const bool on = row.enabledWhileReceiving ? !enable : enable;
    EnableWindow(GetDlgItem(dialog, row.id), on ? TRUE : FALSE);
  }
}

void FillDialog(HWND dialog) {
  Filling = true;
  for (const ControlBinding& row : MainDialogControls()) FillControl(dialog, row);
  Filling = false;
  // Each edit parses its text as typing would: the code fields fill their readable forms, and
  // a number out of range is held (and its edit shows the held value).
  for (const ControlBinding& row : MainDialogControls()) StoreEdit(dialog, row);

  ResetReceiveFraming();
  RunningFlag = 0;
  MainDialogWindow = dialog;
  SetSettingsEditable(dialog, true);
}
