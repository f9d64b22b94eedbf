// Sub-dialogs that the main dialog opens, each modal and owned by owner.
#pragma once
#include <windows.h>

// LogSettingDlg.
void OpenLogSettingDialog(HWND owner);
// KeyPadDlg for code field fieldIndex (0 KANJIIN ... 5 RCVEND, 6 PRECODE, 7 POSTCODE); it edits
// the text of edit IDC_FIRST_CODE_EDIT + fieldIndex.
void OpenKeyCodeListDialog(HWND owner, int fieldIndex);
