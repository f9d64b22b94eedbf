// The Win32 side of the log: the program's one writer with its notices (log_writer_win32.cpp)
// and the log settings dialog (log_dialog_win32.cpp).
//
// The program's one log writer, used by the reader thread: it reads the process-wide
// `Settings` and the C runtime's local time. Its notices never hold the reader: a condition
// that begins is posted to the main dialog, whose thread shows the box (one of a kind at a
// time), and the conditions that last are kept for the dialog's caption and tray tip.
//
// A box takes the keyboard from the window in front, and the scans that follow would go into
// it (an Enter closing it) and then to the main dialog. So while a window of another program is
// in front the box waits: the dialog's taskbar button flashes, the caption and tray tip say
// it, and the box comes when the main dialog is next activated.
#pragma once
#include <windows.h>

#include "config/settings.h"
#include "datalog/log_writer.h"

// Posted to MainDialogWindow when a log condition begins; wparam is its LogNotice.
inline constexpr UINT kLogNoticeMessage = WM_APP + 21;

LogWriter& ProcessLogWriter();

// GUI thread, on kLogNoticeMessage: the notice box of that kind (ShowNotice), unless a box of
// that kind is open already; returns when it is closed. Kept for later while another program
// is in front.
void ShowLogNoticeBox(WPARAM notice);
// GUI thread, when the main dialog is activated: posts the notices kept for later to it.
void PostDeferredLogNotices();
// The text of the lasting condition the caption and tray tip show, nullptr when none lasts. A
// discarded record comes before a file at its limit that still takes records.
const char* LastingLogNoticeText();
// GUI thread, at each start and stop of reception: no condition lasts any more, and no notice
// waits.
void ClearLogNotices();

// The log settings dialog LogSettingDlg: edits the log fields of a settings record that the
// caller hands in; the caller stores the result and saves it. Runs modally, owned by owner, on
// `settings`, whose log fields fill the dialog. True when the user confirmed with OK:
// `settings` then holds every log field as entered. False for cancel: a refused OK before it
// has stored "キー送信しない" (LOGNOSEND) into `settings`, and it stays there; nothing else is
// changed.
bool EditLogSettings(HWND owner, SettingsRecord& settings);
