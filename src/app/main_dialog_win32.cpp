// The main dialog's procedure: initialisation, showing and the automatic start, minimising to
// the tray, and the commands of its buttons (start, stop, clear, load, save, sub-dialogs, close).
#include "app/main_dialog_win32.h"

#include <cstdio>
#include <cstring>

#include "app/main_dialog_files_win32.h"
#include "app/main_dialog_fill_win32.h"
#include "app/main_window_win32.h"
#include "app/tray_icon_win32.h"
#include "common/messages_win32.h"
#include "common/shell_state_win32.h"
#include "common/wide_text_win32.h"
#include "config/settings_file.h"
#include "config/settings_location.h"
#include "config/settings_record.h"
#include "datalog/log_dialog_win32.h"
#include "ids_main_dialog.h"
#include "keyout/keypad_dialog_win32.h"
#include "reception/input_refusal_win32.h"
#include "reception/receive_thread_win32.h"
#include "reception/serial_port_win32.h"
#include "reception/target_window_delivery_win32.h"

signed char AutoStartState = -1;
BYTE InitialPort = 0;

namespace {

constexpr int kStartAttempts = 4;
constexpr DWORD kAttemptPauseMs = 1000;


// Set when the last start opened the port; cleared by every stop.
bool PortOpened = false;
// Set for a reception that types Alt codes on a system whose ANSI code page is not 932: the
// receiving application reads the keypad digits in its own code page, so kanji and kana come
// out as other characters. Said in the caption and the tray tip until reception stops.
bool AltCodesMistype = false;

void ShowPortState(HWND dialog);

void Start(HWND dialog) {
  char text[255] = {};
  GetDlgItemTextA(dialog, IDC_PORT, text, sizeof text);
  if (std::strstr(text, "COM") == nullptr) {
    ShowWarning(dialog, "通信設定のポートを COMxx 形式で入力してください。");
    SetDlgItemTextA(dialog, IDC_PORT, "COM");
    SetFocus(GetDlgItem(dialog, IDC_PORT));
    return;
  }
  for (int attempt = 0;; ++attempt) {
    SetSettingsEditable(dialog, false);
    SaveSettings(nullptr);
    const int result = StartReception();
    if (result == 1) {
      if (AutoStartState < 0 && Settings.AUTOSTA == 1) {
        AutoStartState = 1;
        ShowWindow(dialog, SW_HIDE);
      }
      PortOpened = true;
      AltCodesMistype = Settings.SENDMODE == 0 && GetACP() != 932;
      if (AltCodesMistype) ShowPortState(dialog);
      return;
    }
    AutoStartState = 1;
    if (!IsWindowVisible(dialog)) ShowWindow(dialog, SW_SHOW);
    // Settings the port refused stay refused: asking again would only keep the user waiting.
    if (result == kPortSettingsRefused || attempt == kStartAttempts - 1) {
      ShowPortError(result, dialog);
      FillDialog(dialog);
      return;
    }
    Sleep(kAttemptPauseMs);
  }
}

void Stop(HWND dialog) {
  EnableWindow(GetDlgItem(dialog, IDC_STOP), FALSE);
  ClosePort();
  PortOpened = false;
  if (AltCodesMistype) {
    AltCodesMistype = false;
    ShowPortState(dialog);
  }
  FillDialog(dialog);
}

void Close(HWND dialog) {
  // Reception stops first: removing the tray icon can take the shell a while.
  ClosePort();
  RemoveTrayIcon();
  PortOpened = false;
  EndDialog(dialog, 2);
}

// The caption and the tray tip say when the port's device has gone (a USB adapter pulled) and
// reception waits for it to come back, when frames wait for a target window or one was given
// up waiting, or when the window in front refused a frame's input.
// The tip holds 63 characters, so the remedy for a refusal goes into the caption alone.
void ShowPortState(HWND dialog) {
  char text[128];
  const char* remedy = "";
  if (ReceivePort.DeviceMissing()) {
    std::snprintf(text, sizeof text, "%s - COM%d が見つかりません", kProductVersion, Settings.PORT + 1);
  } else if (const char* target = TargetNoticeText()) {
    std::snprintf(text, sizeof text, "%s - %s", kProductVersion, target);
  } else if (InputRefusedShown()) {
    std::snprintf(text, sizeof text, "%s - 前面のウィンドウに入力できません", kProductVersion);
    remedy = "（Tamblix も管理者として実行すると入力できます）";
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

bool ReceptionRunning() { return PortOpened; }

INT_PTR CALLBACK MainFormDlgProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      Initialise(dialog);
      return TRUE;
    case WM_SHOWWINDOW:
      OnShowOrHide(dialog);
      return FALSE;
    case WM_SIZE:
      if (wparam == SIZE_MINIMIZED) ShowWindow(dialog, SW_HIDE);
      return FALSE;
    case WM_COMMAND:
      OnCommand(dialog, LOWORD(wparam), HIWORD(wparam));
      return FALSE;
    case kPortStateMessage:
      ShowPortState(dialog);
      return TRUE;
    default:
      return FALSE;
  }
}
