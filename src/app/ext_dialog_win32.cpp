// The extended settings dialog's procedure: filling it from the record it was opened on, the
// readable form of the request, the pattern presets and the sample line, the buttons lent by
// other parts (send now, choose a window), and OK, which checks and stores every control.
#include "app/ext_dialog_win32.h"

#include <cstdio>

#include "app/setting_controls_win32.h"
#include "app/startup_shortcut_win32.h"
#include "common/two_byte_text.h"
#include "common/ui_win32.h"
#include "common/wide_text_win32.h"
#include "config/dialog_controls.h"
#include "delivery/target_window.h"
#include "delivery/target_window_win32.h"
#include "ids_ext_dialog.h"
#include "keyout/code_list.h"
#include "keyout/keypad_dialog_win32.h"
#include "shaping/frame_shaper.h"
#include "shaping/pattern_presets.h"
#include "source/device_request_win32.h"
#include "source/network_source.h"

namespace {

constexpr int kSampleChars = 200;

// What one opening of the dialog works on, kept in the dialog's user data.
struct ExtDialogState {
  SettingsRecord* settings = nullptr;
  bool startedWithWindows = false;  // the check's state when the dialog opened
};

ExtDialogState& State(HWND dialog) {
  return *reinterpret_cast<ExtDialogState*>(GetWindowLongPtrW(dialog, GWLP_USERDATA));
}

// The sample line as the frame pattern and the output template shape it (keys by their
// names), "一致しません", or why one of them is refused.
void UpdateSampleResult(HWND dialog) {
  char pattern[kFilterSize] = {};
  char output[kShortTextSize] = {};
  char sample[kSampleChars * 2 + 1] = {};
  char result[kSampleChars * 4 + 1] = {};
  GetDlgItemText932(dialog, IDC_FILTER, pattern, sizeof pattern);
  GetDlgItemText932(dialog, IDC_OUTPUT, output, sizeof output);
  GetDlgItemText932(dialog, IDC_FILTER_SAMPLE, sample, sizeof sample);
  PreviewFramePattern(pattern, output, sample, kCp932Codec, result, sizeof result);
  SetDlgItemText932(dialog, IDC_FILTER_RESULT, result);
}

// The settings controls only while reception is stopped, "今すぐ送信" only while it runs; a
// button whose service is missing never.
void EnableControls(HWND dialog) {
  const bool running = ReceptionRunning();
  for (const ControlBinding& row : ExtDialogControls()) {
    bool on = row.enabledWhileReceiving == running;
    EnableWindow(GetDlgItem(dialog, row.id), on ? TRUE : FALSE);
  }
}

void Initialise(HWND dialog, ExtDialogState& state) {
  SetWindowLongPtrW(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&state));
  for (const ControlBinding& row : ExtDialogControls()) ShowSetting(dialog, row, *state.settings);
  ShowCodeMeaning(dialog, *FindExtDialogControl(IDC_REQCODE));
  for (const FramePatternPreset& preset : kFramePatternPresets)
    AddComboEntry932(dialog, IDC_FILTER_PRESET, preset.name);
  SendDlgItemMessageW(dialog, IDC_FILTER_SAMPLE, EM_LIMITTEXT, kSampleChars, 0);
  UpdateSampleResult(dialog);
  state.startedWithWindows = StartupShortcutExists();
  CheckDlgButton(dialog, IDC_START_WITH_WINDOWS, state.startedWithWindows ? BST_CHECKED : BST_UNCHECKED);
  EnableControls(dialog);
}

// Moves the focus to the refused control the way the dialog manager does (an edit's text
// selected), after the message that says why.
void Refuse(HWND dialog, int id, const char* message) {
  ShowWarning(dialog, message);
  SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, id)), TRUE);
}

// Every control into a copy of the record; the record takes the copy only when all of it was
// accepted.
void OnOk(HWND dialog) {
  ExtDialogState& state = State(dialog);
  SettingsRecord edited = *state.settings;
  char message[256];
  for (const ControlBinding& row : ExtDialogControls()) {
    if (ReadSetting(dialog, row, edited)) continue;
    std::snprintf(message, sizeof message, "%s は %d から %d までの数字で入力してください。", row.label,
                  row.min, row.max);
    Refuse(dialog, row.id, message);
    return;
  }
  static FramePattern pattern;  // large: kept off the dialog thread's stack
  static OutputTemplate output;
  char error[kOutputTemplateErrorSize];
  const ShapingRefusal refused =
      PrepareShaping(edited.FILTER, edited.OUTPUT, kCp932Codec, pattern, output, error, sizeof error);
  if (refused != ShapingRefusal::None) {
    const bool byPattern = refused == ShapingRefusal::Pattern;
    std::snprintf(message, sizeof message, "%s\r\n%s",
                  byPattern ? "パターンが正しくありません。" : "出力テンプレートが正しくありません。", error);
    Refuse(dialog, byPattern ? IDC_FILTER : IDC_OUTPUT, message);
    return;
  }
  // A network source needs its host; a server lets nobody in without an allowed address.
  if (IsNetworkSource(edited) && edited.TCPHOST[0] == 0) {
    Refuse(dialog, IDC_TCPHOST, SourceOf(edited) == SourceKind::TcpServer
                                    ? "待ち受けるアドレス（この PC のアドレスか 127.0.0.1）を入力してください。"
                                    : "接続する機器のホスト名かアドレスを入力してください。");
    return;
  }
  if (SourceOf(edited) == SourceKind::TcpServer && AllowedPeerCount(edited.TCPALLOW) == 0) {
    Refuse(dialog, IDC_TCPALLOW,
           "TCP サーバーは、接続を許可するアドレスがないと開始できません。\r\n"
           "許可する機器の IPv4 アドレスを「;」で区切って入力してください。");
    return;
  }
  const bool start = IsDlgButtonChecked(dialog, IDC_START_WITH_WINDOWS) == BST_CHECKED;
  if (start != state.startedWithWindows && !SetStartupShortcut(start)) {
    Refuse(dialog, IDC_START_WITH_WINDOWS, "Windows の起動時に開始する設定を変更できませんでした。");
    return;
  }
  *state.settings = edited;
  EndDialog(dialog, IDOK);
}

// The key code list starts from the request's edit and writes its OK back there, where the
// edit's change handler shows what it means.
void OpenKeyCodeList(HWND dialog) {
  CodeFieldText text;
  GetDlgItemText932(dialog, IDC_REQCODE, text.text, sizeof text.text);
  if (const auto edited = EditCodeFieldText(dialog, kRequestCodeField, text))
    SetDlgItemText932(dialog, IDC_REQCODE, edited->text);
}

void ChoosePreset(HWND dialog) {
  const LRESULT sel = SendDlgItemMessageW(dialog, IDC_FILTER_PRESET, CB_GETCURSEL, 0, 0);
  constexpr LRESULT kCount = sizeof kFramePatternPresets / sizeof kFramePatternPresets[0];
  if (sel < 0 || sel >= kCount) return;
  SetDlgItemText932(dialog, IDC_FILTER, kFramePatternPresets[sel].pattern);
  SetDlgItemText932(dialog, IDC_OUTPUT, kFramePatternPresets[sel].output);
}

// The chosen window's program name is added to the entries already there.
void ChooseTargetWindow(HWND dialog) {
  char entry[kTargetSize] = {};
  if (!ChooseTargetEntry(dialog, entry, sizeof entry)) return;
  char target[kTargetSize] = {};
  GetDlgItemText932(dialog, IDC_TARGET, target, sizeof target);
  if (AppendTargetEntry(target, sizeof target, entry)) SetDlgItemText932(dialog, IDC_TARGET, target);
}

INT_PTR OnCommand(HWND dialog, int id, int code) {
  switch (id) {
    case IDOK: OnOk(dialog); return TRUE;
    case IDCANCEL: EndDialog(dialog, IDCANCEL); return TRUE;
    case IDC_REQCODE_LIST: OpenKeyCodeList(dialog); return TRUE;
    case IDC_TARGET_PICK: ChooseTargetWindow(dialog); return TRUE;
    case IDC_REQUEST_NOW:
      if (ReceptionRunning() && MainWindow != nullptr) PostMessageW(MainWindow, kRequestNowMessage, 0, 0);
      return TRUE;
    case IDC_REQCODE:
      if (code == EN_CHANGE) ShowCodeMeaning(dialog, *FindExtDialogControl(IDC_REQCODE));
      return TRUE;
    case IDC_FILTER:
    case IDC_OUTPUT:
    case IDC_FILTER_SAMPLE:
      if (code == EN_CHANGE) UpdateSampleResult(dialog);
      return TRUE;
    case IDC_FILTER_PRESET:
      if (code == CBN_SELCHANGE) ChoosePreset(dialog);
      return TRUE;
    default: return FALSE;
  }
}

INT_PTR CALLBACK ExtDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG:
      Initialise(dialog, *reinterpret_cast<ExtDialogState*>(lparam));
      return TRUE;
    case WM_COMMAND:
      // Notifications sent while the dialog is being filled come before its state is there.
      if (GetWindowLongPtrW(dialog, GWLP_USERDATA) == 0) return FALSE;
      return OnCommand(dialog, LOWORD(wparam), HIWORD(wparam));
    default:
      return FALSE;
  }
}

}  // namespace

bool EditExtendedSettings(HWND owner, SettingsRecord& settings) {
  ExtDialogState state;
  state.settings = &settings;
  return DialogBoxParamW(AppInstance, L"ExtSettingDlg", owner, &ExtDialogProc,
                         reinterpret_cast<LPARAM>(&state)) == IDOK;
}
