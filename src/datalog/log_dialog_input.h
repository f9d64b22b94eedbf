// What the log settings dialog's controls hold when the user presses OK, and how it is checked
// and stored into a settings record. The Win32 dialog reads its controls into this; tests
// build it directly.
#pragma once
#include <cstdint>

#include "config/settings_record.h"
#include "ids_log_dialog.h"

// Ids of the boxes whose content can be refused (the dialog focuses the one returned).
inline constexpr int kLogFolderBoxId = IDC_LOG_FOLDER;
inline constexpr int kLogFileBoxId = IDC_LOG_FILE;

// The largest size limit in megabytes.
inline constexpr std::int32_t kLogSizeLimitMax = 2000;

struct LogDialogInput {
  bool recordOn = false;      // "記録する" checked (else "記録しない")
  bool noSend = false;        // "キー送信しない"
  bool newFile = false;       // "新規作成" checked
  bool append = false;        // "追加書込" checked
  const char* sizeText = "";  // the size box
  bool showMessage = false;   // "メッセージを表示する"
  bool abort = false;         // "データの記録を行わない"
  const char* folder = "";    // the folder box (at most 1074 characters as read)
  const char* name = "";      // the file name box (at most 1074 characters as read)
  bool byName = false;        // "制御コードを文字に変換して出力する"
  bool date = false;          // "日付"
  bool time = false;          // "時間"
  bool addEnd = false;        // "改行を付加する"
};

// The number at the start of `text` as "%d" reads it (leading blanks, a sign, digits), held
// to 0..2000. False when the text does not start with a number.
bool ParseLogSizeLimit(const char* text, std::int32_t* value);

// Stores the input into `s` and returns 0, or returns the id of the refused box: with
// recording on, kLogFolderBoxId when the folder (one trailing backslash dropped) is no
// existing folder, else kLogFileBoxId when the file name (one trailing backslash dropped) is
// no valid template.
// LOGNOSEND is stored first (0 when recording is off) and stays stored when a box is refused;
// nothing else is changed then. With recording off nothing is checked.
int StoreLogDialogInput(const LogDialogInput& in, SettingsRecord& s);
