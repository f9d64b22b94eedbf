// The log settings dialog's procedure: filling, enabling, reading the controls into the record
// it was opened on, the error box, and the buttons of the folder browser and the file chooser.
#include "datalog/log_writer_win32.h"

#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <iterator>

#include "common/ui_win32.h"
#include "common/wide_text_win32.h"
#include "datalog/log_dialog.h"
#include "ids_log_dialog.h"

namespace {

// ---- the file chooser and the folder browser -----------------------------------------------

// Chooser owned by the active window: mode 0 open, 1 save; filter is a list of
// description/pattern pairs ending with an empty string. path (size bytes) is the starting
// point and receives the choice; nonzero when a file was confirmed.
int ChooseFile(int mode, char* path, std::size_t size, const char* filter) {
  char buffer[kChooserPathSize] = {};
  ChooserStartPath(path, buffer, sizeof buffer);
  // The default extension is that of the first pattern ("*.log" gives "log").
  const char* pattern = filter + std::strlen(filter) + 1;
  const char* dot = std::strrchr(pattern, '.');
  const char* ext = dot ? dot + 1 : nullptr;
  if (!RunFileChooser(mode, GetActiveWindow(), filter, ext, buffer)) return 0;
  CopyTextCut(path, size, buffer);
  return 1;
}

// The folder browser of the "フォルダ参照" button. Its title goes through the wide browser; the
// folder is kept in the ANSI code page, which the log's file calls take.

// Selects the starting folder (lpData, UTF-16) once the browser has initialised.
int CALLBACK BrowseCallback(HWND browser, UINT message, LPARAM, LPARAM data) {
  if (message == BFFM_INITIALIZED) SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, data);
  return 0;
}

// The shell's folder browser, starting at `path` (size bytes); 1 and the chosen folder (one
// trailing backslash dropped) in `path`, or 0 with `path` unchanged.
int BrowseFolder(char* path, std::size_t size) {
  wchar_t start[MAX_PATH] = {};
  MultiByteToWideChar(CP_ACP, 0, path, -1, start, MAX_PATH);
  wchar_t title[64] = {};
  Cp932ToWide("フォルダを選択してください", title, 64);
  wchar_t display[MAX_PATH] = {};
  BROWSEINFOW info = {};
  info.hwndOwner = GetActiveWindow();
  info.pidlRoot = nullptr;  // the desktop
  info.pszDisplayName = display;
  info.lpszTitle = title;
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX;
  info.lpfn = &BrowseCallback;
  info.lParam = reinterpret_cast<LPARAM>(start);
  PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&info);
  if (item == nullptr) return 0;
  wchar_t chosenWide[MAX_PATH] = {};
  const BOOL hasPath = SHGetPathFromIDListW(item, chosenWide);
  // The item list is freed whether or not it has a file-system path.
  CoTaskMemFree(item);
  if (!hasPath || chosenWide[0] == 0) return 0;
  // A folder the ANSI code page cannot hold could not be written to by the log either.
  char chosen[2 * MAX_PATH] = {};
  BOOL lost = FALSE;
  if (WideCharToMultiByte(CP_ACP, 0, chosenWide, -1, chosen, sizeof chosen, nullptr,
                          GetACP() == CP_UTF8 ? nullptr : &lost) <= 0 || lost)
    return 0;
  DropTrailingBackslash(chosen);
  CopyTextCut(path, size, chosen);
  return 1;
}

// ---- the dialog ----------------------------------------------------------------------------

enum class LogControlsMode { AllOff, RecordingOff, RecordingOn };

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

// The record the dialog was opened on, kept in the dialog's user data.
SettingsRecord& Edited(HWND dialog) {
  return *reinterpret_cast<SettingsRecord*>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
}

// All off: every button and setting disabled. Recording off: OK, cancel and the two recording
// buttons enabled, the other settings disabled. Recording on: all enabled. The read-only folder
// box and the labels are never changed.
void EnableLogControls(HWND dialog, LogControlsMode mode) {
  EnableAll(dialog, kAlwaysControls, std::size(kAlwaysControls), mode != LogControlsMode::AllOff);
  EnableAll(dialog, kRecordingControls, std::size(kRecordingControls), mode == LogControlsMode::RecordingOn);
}

// Loads every control from the record.
void FillLogDialog(HWND dialog, const SettingsRecord& s) {
  SetCheck(dialog, IDC_LOG_OFF, s.LOGEXEC == 0);
  SetCheck(dialog, IDC_LOG_ON, s.LOGEXEC == 1);
  SetCheck(dialog, IDC_LOG_NOSEND, s.LOGNOSEND != 0);
  SetCheck(dialog, IDC_LOG_NEWFILE, s.LOGOPENMD == 0);
  SetCheck(dialog, IDC_LOG_APPEND, s.LOGOPENMD == 1);
  char size[16];
  std::snprintf(size, sizeof size, "%d", static_cast<int>(s.LOGFLSIZE));
  SetBox(dialog, IDC_LOG_SIZE, kSizeBoxChars, size);
  SetCheck(dialog, IDC_LOG_SHOWMSG, s.LOGDSPMSG != 0);
  SetCheck(dialog, IDC_LOG_ABORT, s.LOGABORT != 0);
  SetBox(dialog, IDC_LOG_FOLDER, kFolderBoxChars, s.LOGFOLDER);
  SetBox(dialog, IDC_LOG_FILE, kFileBoxChars, s.LOGFILE);
  SetCheck(dialog, IDC_LOG_BYNAME, s.LOGNAME != 0);
  SetCheck(dialog, IDC_LOG_ADDENT, s.LOGADDENT != 0);
  SetCheck(dialog, IDC_LOG_TIME, s.LOGWTIME != 0);
  SetCheck(dialog, IDC_LOG_DATE, s.LOGWDATE != 0);
}

// Stores the controls into the record; 0, or the id of the refused box (IDC_LOG_FOLDER or
// IDC_LOG_FILE).
int ReadLogDialog(HWND dialog, SettingsRecord& s) {
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
  return StoreLogDialogInput(in, s);
}

void OnOk(HWND dialog) {
  EnableLogControls(dialog, LogControlsMode::AllOff);
  const int refused = ReadLogDialog(dialog, Edited(dialog));
  if (refused == 0) {
    EndDialog(dialog, IDOK);
    return;
  }
  MessageBox932(dialog, "入力項目に誤りがあります。", "Error", MB_OK);
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

INT_PTR CALLBACK LogDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG: {
      SetWindowLongPtrA(dialog, GWLP_USERDATA, lparam);
      const SettingsRecord& s = Edited(dialog);
      FillLogDialog(dialog, s);
      EnableLogControls(dialog, s.LOGEXEC == 1 ? LogControlsMode::RecordingOn
                                               : LogControlsMode::RecordingOff);
      return TRUE;
    }
    case WM_COMMAND:
      OnCommand(dialog, LOWORD(wparam));
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

bool EditLogSettings(HWND owner, SettingsRecord& settings) {
  return DialogBoxParamA(AppInstance, "LogSettingDlg", owner, &LogDialogProc,
                         reinterpret_cast<LPARAM>(&settings)) == IDOK;
}
