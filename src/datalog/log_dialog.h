// The log settings dialog, free of any window: what its controls hold when the user presses
// OK, how it is checked and stored into a settings record, and the texts of its folder and file
// name boxes and its file chooser. The Win32 dialog (log_dialog_win32.cpp) reads its controls
// into these; tests call them directly.
//
// The texts are code page 932: a 0x5C byte that is the second byte of a two-byte character
// (表, ソ) is no backslash, and a cut never leaves the first byte of a character behind.
#pragma once
#include <cstddef>
#include <cstdint>

#include "common/two_byte_text.h"
#include "config/settings.h"
#include "ids_log_dialog.h"

// ---- the input -----------------------------------------------------------------------------

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

// ---- the folder and file name texts --------------------------------------------------------

// The dialog's working buffers: 1074 characters and the terminator.
inline constexpr std::size_t kLogDialogTextSize = 1075;

// The starting path of the file chooser: `folder`, then a backslash when the folder is not
// empty and does not end in one, then as much of `name` as fits; "*.log" is added (as far as
// it fits) when the result ends in a backslash. `out` has `size` bytes.
void BuildLogChooserPath(const char* folder, const char* name, char* out, std::size_t size);

// The file name the file chooser starts with: `path` cut to `size` bytes (with the terminator)
// at a character boundary, without one trailing backslash (never the second byte of 表 or ソ).
void ChooserStartPath(const char* path, char* out, std::size_t size);

// Splits a chosen path at its last backslash: the part before into `folder`, the part after
// into `name`. Without a backslash the folder is empty and the whole path is the name. Each
// part is cut to its buffer.
void SplitLogChooserPath(const char* path, char* folder, std::size_t folderSize, char* name,
                         std::size_t nameSize);
