// The log settings dialog's procedure: filling, enabling, reading the controls into Settings,
// the error box, the folder browser and the file chooser buttons.
#include "datalog/log_dialog_win32.h"

#include <cstdio>
#include <iterator>

#include "app/shell_state_win32.h"
#include "config/settings_location.h"
#include "config/settings_record.h"
#include "datalog/log_dialog_input.h"
#include "datalog/log_dialog_text.h"
#include "datalog/log_file_chooser_win32.h"
#include "ids_log_dialog.h"

namespace {

constexpr int kSizeBoxChars = 4;
constexpr int kFolderBoxChars = kLogFolderSize - 1;  // 1024
constexpr int kFileBoxChars = kLogFileSize - 1;      // 50

// The controls that only recording on enables.
constexpr int kRecordingControls[] = {
    IDC_LOG_NOSEND, IDC_LOG_NEWFILE, IDC_LOG_APPEND, IDC_LOG_SIZE, IDC_LOG_SHOWMSG,
    IDC_LOG_ABORT,  IDC_LOG_BROWSE_FOLDER, IDC_LOG_BROWSE_FILE, IDC_LOG_FILE, IDC_LOG_BYNAME,
    IDC_LOG_DATE,   IDC_LOG_TIME, IDC_LOG_ADDENT};
constexpr int kAlwaysControls[] = {IDOK, IDCANCEL, IDC_LOG_OFF, IDC_LOG_ON};

const char kLogFilter[] = "ログファイル(*.log)\0*.log\0テキストファイル(*.txt)\0*.txt\0";

void SetCheck(HWND dialog, int id, bool on) { CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED); }
bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

void SetBox(HWND dialog, int id, int limit, const char* text) {
  SendDlgItemMessageA(dialog, id, EM_LIMITTEXT, static_cast<WPARAM>(limit), 0);
  SetDlgItemTextA(dialog, id, text);
}

void ReadBox(HWND dialog, int id, char (&text)[kLogDialogTextSize]) {
  text[0] = 0;
  GetDlgItemTextA(dialog, id, text, static_cast<int>(sizeof text));
}

void EnableAll(HWND dialog, const int* ids, std::size_t count, bool enable) {
  for (std::size_t i = 0; i < count; ++i) EnableWindow(GetDlgItem(dialog, ids[i]), enable ? TRUE : FALSE);
}

void OnOk(HWND dialog) {
  EnableLogControls(dialog, LogControlsMode::AllOff);
  const int refused = ReadLogDialog(dialog);
  if (refused == 0) {
    SaveSettings(nullptr);
    EndDialog(dialog, IDOK);
    return;
  }
  MessageBoxA(dialog, "入力項目に誤りがあります。", "Error", MB_OK);
  if (Checked(dialog, IDC_LOG_OFF)) {
    EnableLogControls(dialog, LogControlsMode::RecordingOff);
  } else if (Checked(dialog, IDC_LOG_ON)) {
    EnableLogControls(dialog, LogControlsMode::RecordingOn);
  }
  SetFocus(GetDlgItem(dialog, refused));
}

void OnBrowseFolder(HWND dialog) {
  char folder[kLogDialogTextSize];
  ReadBox(dialog, IDC_LOG_FOLDER, folder);
  if (BrowseFolder(folder, sizeof folder) == 1) SetDlgItemTextA(dialog, IDC_LOG_FOLDER, folder);
}

void OnBrowseFile(HWND dialog) {
  char folder[kLogDialogTextSize];
  char name[kLogDialogTextSize];
  char path[kLogDialogTextSize];
  ReadBox(dialog, IDC_LOG_FOLDER, folder);
  ReadBox(dialog, IDC_LOG_FILE, name);
  BuildLogChooserPath(folder, name, path, sizeof path);
  if (!ChooseFile(1, path, sizeof path, kLogFilter)) return;
  SplitLogChooserPath(path, folder, sizeof folder, name, sizeof name);
  SetDlgItemTextA(dialog, IDC_LOG_FOLDER, folder);
  SetDlgItemTextA(dialog, IDC_LOG_FILE, name);
}

void OnCommand(HWND dialog, int id) {
  switch (id) {
    case IDOK: OnOk(dialog); return;
    case IDCANCEL: EndDialog(dialog, IDCANCEL); return;
    case IDC_LOG_OFF: EnableLogControls(dialog, LogControlsMode::RecordingOff); return;
    case IDC_LOG_ON: EnableLogControls(dialog, LogControlsMode::RecordingOn); return;
    case IDC_LOG_BROWSE_FOLDER: OnBrowseFolder(dialog); return;
    case IDC_LOG_BROWSE_FILE: OnBrowseFile(dialog); return;
    default: return;
  }
}

}  // namespace

void FillLogDialog(HWND dialog) {
  SetCheck(dialog, IDC_LOG_OFF, Settings.LOGEXEC == 0);
  SetCheck(dialog, IDC_LOG_ON, Settings.LOGEXEC == 1);
  SetCheck(dialog, IDC_LOG_NOSEND, Settings.LOGNOSEND != 0);
  SetCheck(dialog, IDC_LOG_NEWFILE, Settings.LOGOPENMD == 0);
  SetCheck(dialog, IDC_LOG_APPEND, Settings.LOGOPENMD == 1);
  char size[16];
  std::snprintf(size, sizeof size, "%d", static_cast<int>(Settings.LOGFLSIZE));
  SetBox(dialog, IDC_LOG_SIZE, kSizeBoxChars, size);
  SetCheck(dialog, IDC_LOG_SHOWMSG, Settings.LOGDSPMSG != 0);
  SetCheck(dialog, IDC_LOG_ABORT, Settings.LOGABORT != 0);
  SetBox(dialog, IDC_LOG_FOLDER, kFolderBoxChars, Settings.LOGFOLDER);
  SetBox(dialog, IDC_LOG_FILE, kFileBoxChars, Settings.LOGFILE);
  SetCheck(dialog, IDC_LOG_BYNAME, Settings.LOGNAME != 0);
  SetCheck(dialog, IDC_LOG_ADDENT, Settings.LOGADDENT != 0);
  SetCheck(dialog, IDC_LOG_TIME, Settings.LOGWTIME != 0);
  SetCheck(dialog, IDC_LOG_DATE, Settings.LOGWDATE != 0);
}

void EnableLogControls(HWND dialog, LogControlsMode mode) {
  EnableAll(dialog, kAlwaysControls, std::size(kAlwaysControls), mode != LogControlsMode::AllOff);
  EnableAll(dialog, kRecordingControls, std::size(kRecordingControls), mode == LogControlsMode::RecordingOn);
}

int ReadLogDialog(HWND dialog) {
  char size[kLogDialogTextSize];
  char folder[kLogDialogTextSize];
  char name[kLogDialogTextSize];
  ReadBox(dialog, IDC_LOG_SIZE, size);
  ReadBox(dialog, IDC_LOG_FOLDER, folder);
  ReadBox(dialog, IDC_LOG_FILE, name);
  LogDialogInput in;
  in.recordOn = Checked(dialog, IDC_LOG_ON);
  in.noSend = Checked(dialog, IDC_LOG_NOSEND);
  in.newFile = Checked(dialog, IDC_LOG_NEWFILE);
  in.append = Checked(dialog, IDC_LOG_APPEND);
  in.sizeText = size;
  in.showMessage = Checked(dialog, IDC_LOG_SHOWMSG);
  in.abort = Checked(dialog, IDC_LOG_ABORT);
  in.folder = folder;
  in.name = name;
  in.byName = Checked(dialog, IDC_LOG_BYNAME);
  in.date = Checked(dialog, IDC_LOG_DATE);
  in.time = Checked(dialog, IDC_LOG_TIME);
  in.addEnd = Checked(dialog, IDC_LOG_ADDENT);
  return StoreLogDialogInput(in, Settings);
}

INT_PTR CALLBACK LogDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      FillLogDialog(dialog);
      EnableLogControls(dialog, Settings.LOGEXEC == 1 ? LogControlsMode::RecordingOn
                                                      : LogControlsMode::RecordingOff);
      return TRUE;
    case WM_COMMAND:
      OnCommand(dialog, LOWORD(wparam));
      return FALSE;
    default:
      return FALSE;
  }
}

void OpenLogSettingDialog(HWND owner) {
  DialogBoxParamA(AppInstance, "LogSettingDlg", owner, &LogDialogProc, 0);
}
