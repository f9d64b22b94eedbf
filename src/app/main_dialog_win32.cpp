// The main dialog's procedure: initialisation, showing and the automatic start, minimising to
// the tray, and the commands of its buttons (start, stop, clear, load, save, sub-dialogs, close);
// the controls filled from Settings and each control's value stored back; the file chooser.
#include "app/main_dialog_win32.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "app/ext_dialog_win32.h"
#include "app/main_window_win32.h"
#include "app/setting_controls_win32.h"
#include "common/two_byte_text.h"
#include "common/ui_win32.h"
#include "common/wide_text_win32.h"
#include "config/dialog_controls.h"
#include "config/settings.h"
#include "config/settings_location.h"
#include "datalog/log_writer_win32.h"
#include "delivery/reception_pipeline_win32.h"
#include "delivery/target_window_win32.h"
#include "ids_main_dialog.h"
#include "keyout/keypad_dialog_win32.h"
#include "shaping/frame_shaper.h"
#include "shaping/pattern_presets.h"
#include "source/device_request_win32.h"
#include "source/network_source.h"
#include "source/network_source_win32.h"
#include "source/receive_thread_win32.h"
#include "source/serial_port_win32.h"

signed char AutoStartState = -1;
BYTE InitialPort = 0;

namespace {

constexpr int kStartAttempts = 4;
constexpr DWORD kAttemptPauseMs = 1000;
// The timer of the next start attempt; the dialog keeps answering during the pause.
constexpr UINT_PTR kStartAttemptTimer = 522;

// Set for a reception that types Alt codes on a system whose ANSI code page is not 932: the
// receiving application reads the keypad digits in its own code page, so kanji and kana come
// out as other characters. Said in the caption and the tray tip until reception stops.
bool AltCodesMistype = false;
// Set for a reception whose request hot key (REQHOTKEY) another program holds: said in the
// caption and the tray tip until reception stops, so the key's silence is not a mystery.
bool RequestKeyTaken = false;
// The attempt the start timer brings next; -1 when no start is under way.
int NextStartAttempt = -1;
// The attempt whose port's open runs on its thread, which the start timer looks at every
// kOpenPollMs; -1 when none.
int OpenAttempt = -1;
constexpr DWORD kOpenPollMs = 50;
// The dialog was to hide into the tray (the automatic start, the minimise box) while the shell
// did not hold the icon yet: it stays visible, the only way back to the program, and hides
// when the icon is in. Cleared by 中止 and by restoring the dialog.
bool HideWhenTrayIn = false;

// Hides the dialog into the tray, or, while the shell has not taken the icon, keeps it visible
// until it has.
void HideToTray(HWND dialog) {
  if (TrayIconIn()) {
    ShowWindow(dialog, SW_HIDE);
  } else {
    HideWhenTrayIn = true;
  }
}

// The shell took the icon or lost it.
void OnTrayState(HWND dialog) {
  if (TrayIconIn()) {
    if (HideWhenTrayIn) ShowWindow(dialog, SW_HIDE);
    HideWhenTrayIn = false;
  } else if (!IsWindowVisible(dialog)) {
    // A new shell that refuses the icon: the dialog is the way back meanwhile.
    ShowWindow(dialog, SW_SHOWNORMAL);
    HideWhenTrayIn = true;
  }
}

void ShowPortState(HWND dialog);

// What an attempt of the start came to: the port's open still runs (looked at again on the
// timer), reception runs, or the attempt failed.
void OnAttemptResult(HWND dialog, int attempt, int result) {
  if (result == kOpenPending) {
    OpenAttempt = attempt;
    SetTimer(dialog, kStartAttemptTimer, kOpenPollMs, nullptr);
    return;
  }
  if (result == 1) {
    if (AutoStartState < 0 && Settings.AUTOSTA == 1) {
      AutoStartState = 1;
      HideToTray(dialog);
    }
    SetReceptionRunning(true);
    RequestKeyTaken = !RegisterRequestHotKey(MainWindow);
    ClearLogNotices();
    AltCodesMistype = Settings.SENDMODE == 0 && GetACP() != 932;
    ShowPortState(dialog);
    return;
  }
  AutoStartState = 1;
  if (!IsWindowVisible(dialog)) ShowWindow(dialog, SW_SHOW);
  // Settings the port refused stay refused: asking again would only keep the user waiting.
  if (result == kPortSettingsRefused || result == kNoAllowedPeer || attempt == kStartAttempts - 1) {
    ShowPortError(result, dialog);
    FillDialog(dialog);
    return;
  }
  NextStartAttempt = attempt + 1;
  SetTimer(dialog, kStartAttemptTimer, kAttemptPauseMs, nullptr);
}

// One attempt of the start. A failed one is tried again a second later, on a timer, so that the
// dialog paints and answers meanwhile, as it does while the port's open runs on its thread;
// 中止 or closing the dialog ends the attempts and gives up a pending open (ClosePort).
void AttemptStart(HWND dialog, int attempt) {
  NextStartAttempt = -1;
  SetSettingsEditable(dialog, false);
  SaveSettings(nullptr);
  OnAttemptResult(dialog, attempt, BeginStartReception());
}

void OnStartTimer(HWND dialog) {
  KillTimer(dialog, kStartAttemptTimer);
  if (OpenAttempt >= 0) {
    const int attempt = OpenAttempt;
    OpenAttempt = -1;
    OnAttemptResult(dialog, attempt, FinishStartReception());
  } else if (NextStartAttempt >= 0) {
    AttemptStart(dialog, NextStartAttempt);
  }
}

// The attempts left of a start are not made.
void CancelStart(HWND dialog) {
  KillTimer(dialog, kStartAttemptTimer);
  NextStartAttempt = -1;
  OpenAttempt = -1;
}

void Start(HWND dialog) {
  char text[255] = {};
  GetDlgItemTextA(dialog, IDC_PORT, text, sizeof text);
  if (!IsNetworkSource(Settings) && std::strstr(text, "COM") == nullptr) {
    ShowWarning(dialog, "通信設定のポートを COMxx 形式で入力してください。");
    SetDlgItemTextA(dialog, IDC_PORT, "COM");
    SetFocus(GetDlgItem(dialog, IDC_PORT));
    return;
  }
  // A pattern or an output template written into the file by hand is checked here as the
  // dialog checks them.
  static FramePattern pattern;  // large: kept off the dialog thread's stack
  static OutputTemplate output;
  char error[kOutputTemplateErrorSize];
  const ShapingRefusal refused =
      PrepareShaping(Settings.FILTER, Settings.OUTPUT, kCp932Codec, pattern, output, error, sizeof error);
  if (refused != ShapingRefusal::None) {
    char text[256];
    std::snprintf(text, sizeof text, "%s\n%s",
                  refused == ShapingRefusal::Pattern ? "拡張設定のパターンを使えません。"
                                                     : "拡張設定の出力テンプレートを使えません。",
                  error);
    ShowWarning(dialog, text);
    return;
  }
  AttemptStart(dialog, 0);
}

void Stop(HWND dialog) {
  EnableWindow(GetDlgItem(dialog, IDC_STOP), FALSE);
  HideWhenTrayIn = false;
  CancelStart(dialog);
  ClosePort();
  UnregisterRequestHotKey(MainWindow);
  SetReceptionRunning(false);
  AltCodesMistype = false;
  RequestKeyTaken = false;
  ClearLogNotices();
  ShowPortState(dialog);
  FillDialog(dialog);
  // The focus was on 中止, now disabled: it goes to 開始, as the dialog manager moves it.
  SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDC_START)), TRUE);
}

void Close(HWND dialog) {
  CancelStart(dialog);
  // Reception stops first: removing the tray icon can take the shell a while.
  ClosePort();
  UnregisterRequestHotKey(MainWindow);
  RemoveTrayIcon();
  SetReceptionRunning(false);
  EndDialog(dialog, 2);
}

// The reader ended by itself: its port cannot be waited on. Back to idle, as after 中止, with
// the port's message.
void OnReceptionEnded(HWND dialog) {
  if (!ReceptionRunning() || ReceptionStopping()) return;
  Stop(dialog);
  ShowPortError(-101, dialog);
}

// The caption and the tray tip say what stands in reception's way, the most pressing first:
//   the port's device has gone (a USB adapter pulled) and reception waits for it to return;
//   the line reports errors (a wrong speed or parity garbles every byte), with the remedy;
//   the device request could not be sent whole;
//   frames wait for a target window, or one was given up waiting;
//   the window in front refused a frame's input;
//   a log condition (records discarded: a folder named as the file, a file that cannot be
//   opened; else the file at its size limit), which began during reception and lasts until a
//   record meets none;
//   the request's hot key held by another program, known from the start;
//   Alt codes on a system whose code page garbles them, known from the start.
// The tip holds 63 characters, so the remedy for a refusal goes into the caption alone.
void ShowPortState(HWND dialog) {
  char text[128];
  const char* remedy = "";
  const char* logNotice = LastingLogNoticeText();
  if (const char* link = NetworkStateText()) {
    std::snprintf(text, sizeof text, "%s - %s", kProductVersion, link);
  } else if (ReceivePort.DeviceMissing()) {
    std::snprintf(text, sizeof text, "%s - COM%d が見つかりません", kProductVersion, Settings.PORT + 1);
  } else if (const DWORD lineErrors = ReceivePort.LineErrors()) {
    char kinds[64];
    FormatLineErrors(lineErrors, kinds, sizeof kinds);
    std::snprintf(text, sizeof text, "%s - 通信エラー（%s）", kProductVersion, kinds);
    remedy = "（「通信速度」と「パリティ」を確認してください）";
  } else if (DeviceRequestRefused()) {
    std::snprintf(text, sizeof text, "%s - 要求コードを送信できません", kProductVersion);
  } else if (const char* target = TargetNoticeText()) {
    std::snprintf(text, sizeof text, "%s - %s", kProductVersion, target);
  } else if (InputRefusedShown()) {
    std::snprintf(text, sizeof text, "%s - 前面のウィンドウに入力できません", kProductVersion);
    remedy = "（Tamblix も管理者として実行すると入力できます）";
  } else if (logNotice != nullptr) {
    std::snprintf(text, sizeof text, "%s - %s", kProductVersion, logNotice);
  } else if (RequestKeyTaken) {
    std::snprintf(text, sizeof text, "%s - 要求コードのホットキーは他で使用中です", kProductVersion);
  } else if (AltCodesMistype) {
    std::snprintf(text, sizeof text, "%s - Altコードでは文字が化けます。送信方式を「Unicode」に",
                  kProductVersion);
  } else {
    std::snprintf(text, sizeof text, "%s", kProductVersion);
  }
  char caption[192];
  std::snprintf(caption, sizeof caption, "%s%s", text, remedy);
  SetWindowText932(dialog, caption);
  SetTrayTip(text);
}

void Clear(HWND dialog) {
  SetDlgItemTextA(dialog, IDC_INPUT_DISPLAY, "");
  SetDlgItemTextA(dialog, IDC_OUTPUT_DISPLAY, "");
  ResetReceiveFraming();
}

void Load(HWND dialog) {
  if (!ChooseSettingsFile(0)) return;
  LoadSettings(CurrentSettingsPath);
  FillDialog(dialog);
}

void Save() {
  if (ChooseSettingsFile(1)) SaveSettings(CurrentSettingsPath);
}

// The first showing decides the automatic start; later showings only settle the state.
void OnShowOrHide(HWND dialog) {
  if (AutoStartState < 0 && Settings.AUTOSTA == 1) {
    if (Settings.PORT == InitialPort) {
      AutoStartState = -2;
      PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_START, BN_CLICKED), 0);
    } else {
      AutoStartState = 1;
      ShowPortError(-101, dialog);
    }
    return;
  }
  AutoStartState = 1;
}

void Initialise(HWND dialog) {
  HICON icon = LoadIconA(AppInstance, "TORVEX");
  if (icon) SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  SetWindowText932(dialog, kProductVersion);
  InitialPort = Settings.PORT;
  FillDialog(dialog);
  AddTrayIcon();
}

// The key code list starts from the field's edit and writes its OK back there, where the
// edit's change handler parses it into Settings.
void OpenKeyCodeList(HWND dialog, int id) {
  const int fieldIndex = id - IDC_FIRST_CODE_LIST;
  const int edit = IDC_FIRST_CODE_EDIT + fieldIndex;
  CodeFieldText text;
  GetDlgItemText932(dialog, edit, text.text, sizeof text.text);
  if (const auto edited = EditCodeFieldText(MainDialogWindow, fieldIndex, text))
    SetDlgItemText932(dialog, edit, edited->text);
}

// The log settings dialog edits a copy; its OK is stored and saved. Reception is stopped
// while the button is enabled, so the whole record can be replaced.
void OpenLogSettings(HWND dialog) {
  SettingsRecord edited = Settings;
  const bool confirmed = EditLogSettings(dialog, edited);
  // A cancel after a refused OK keeps what that OK stored ("キー送信しない").
  Settings = edited;
  if (confirmed) SaveSettings(nullptr);
}

// The extended settings dialog edits a copy in the same way; its OK is stored and saved.
// While reception runs the dialog's settings are disabled and the reader reads Settings: only
// a stopped reception takes what the dialog gives back.
void OpenExtendedSettings(HWND dialog) {
  SettingsRecord edited = Settings;
  if (!EditExtendedSettings(dialog, edited) || ReceptionRunning()) return;
  Settings = edited;
  SaveSettings(nullptr);
  // The source may have changed: the port box and the line settings follow it.
  FillDialog(dialog);
}

void OnCommand(HWND dialog, int id, int code) {
  // While a stop waits for the reader (dispatching messages), nothing starts another stop or
  // a start: 中止, Esc and the close box are inert until it has finished.
  if (ReceptionStopping() && (id == IDC_STOP || id == IDCANCEL || id == IDC_START)) return;
  switch (id) {
    case IDC_START: Start(dialog); return;
    case IDC_STOP: Stop(dialog); return;
    case IDCANCEL: Close(dialog); return;
    case IDC_CLEAR: Clear(dialog); return;
    case IDC_LOAD: Load(dialog); return;
    case IDC_SAVE: Save(); return;
    case IDC_ABOUT: OpenAboutDialog(MainDialogWindow); return;
    case IDC_LOG_SETTINGS: OpenLogSettings(dialog); return;
    case IDC_EXT_SETTINGS: OpenExtendedSettings(dialog); return;
    default: break;
  }
  if (id >= IDC_KANJIIN_LIST && id <= IDC_POSTCODE_LIST) {
    OpenKeyCodeList(dialog, id);
    return;
  }
  if (ApplyPreset(dialog, id)) return;
  HandleSettingControl(dialog, id, code);
}

}  // namespace


INT_PTR CALLBACK MainFormDlgProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      Initialise(dialog);
      return TRUE;
    case WM_SHOWWINDOW:
      OnShowOrHide(dialog);
      return FALSE;
    case WM_SIZE:
      if (wparam == SIZE_MINIMIZED) HideToTray(dialog);
      if (wparam == SIZE_RESTORED) HideWhenTrayIn = false;
      return FALSE;
    case WM_COMMAND:
      OnCommand(dialog, LOWORD(wparam), HIWORD(wparam));
      return FALSE;
    case WM_TIMER:
      if (wparam != kStartAttemptTimer) return FALSE;
      OnStartTimer(dialog);
      return TRUE;
    case WM_ACTIVATE:
      // A log notice kept while another program was in front comes now.
      if (LOWORD(wparam) != WA_INACTIVE) PostDeferredLogNotices();
      return FALSE;
    case WM_DESTROY:
      MainDialogWindow = nullptr;
      return FALSE;
    case kPortStateMessage:
      ShowPortState(dialog);
      return TRUE;
    case kLogNoticeMessage:
      // A notice the reader posted just before a stop is not shown after it.
      if (RunningFlag != 0) ShowLogNoticeBox(wparam);
      return TRUE;
    case kEchoMessage:
      AppendPostedEcho(GetDlgItem(dialog, IDC_INPUT_DISPLAY), wparam);
      return TRUE;
    case kReceptionEndedMessage:
      OnReceptionEnded(dialog);
      return TRUE;
    case kTrayStateMessage:
      OnTrayState(dialog);
      return TRUE;
    default:
      return FALSE;
  }
}

// ---- the settings file chooser ----
int ChooseSettingsFile(int mode) {
  char buffer[kChooserPathSize] = {};
  CopyTextCut(buffer, sizeof buffer, CurrentSettingsPath);
  static const char kFilter[] = "設定ファイル( *.ini )\0*.ini\0";
  if (!RunFileChooser(mode, MainDialogWindow, kFilter, "ini", buffer)) return 0;
  CopyTextCut(CurrentSettingsPath, sizeof CurrentSettingsPath, buffer);
  return 1;
}

// ---- filling the dialog from Settings and storing each control's value back into it ----
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
  char text[kShortTextSize + 16];
  if (IsNetworkSource(Settings)) {
    // The bytes come from the network: the port box names it instead of a COM port.
    char hostPort[kShortTextSize + 8];
    FormatHostPort(Settings, hostPort, sizeof hostPort);
    std::snprintf(text, sizeof text, "TCP %s", hostPort);
    SetDlgItemText932(dialog, IDC_PORT, text);
    return;
  }
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

// The settings of the COM port's line, which a network source does not use.
bool IsPortLineControl(int id) {
  static constexpr int kIds[] = {IDC_PORT, IDC_BAUD, IDC_BITS, IDC_PARITY, IDC_RTSC, IDC_STOPBIT,
                                 IDC_CTSC, IDC_XFLOWC};
  for (int lineId : kIds) {
    if (lineId == id) return true;
  }
  return false;
}

void SetSettingsEditable(HWND dialog, bool enable) {
  const bool network = IsNetworkSource(Settings);
  for (const ControlBinding& row : MainDialogControls()) {
    bool on = row.enabledWhileReceiving ? !enable : enable;
    if (network && IsPortLineControl(row.id)) on = false;
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
