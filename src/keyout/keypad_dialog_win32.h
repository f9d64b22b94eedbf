// The key code list dialog KeyPadDlg: writes one code field of the main dialog with the help
// of two grids of codes. One dialog at a time; its handles live here so that the grids'
// window procedure can reach them.
#pragma once
#include <windows.h>

// Which code field (0 KANJIIN ... 5 RCVEND, 6 PRECODE, 7 POSTCODE) the dialog edits; set by
// the opener before the dialog starts.
extern int CodeFieldIndex;

struct KeyPadWindows {
  HWND dialog = nullptr;
  HWND charList = nullptr;   // IDC_CHAR_LIST
  HWND vkeyList = nullptr;   // IDC_VKEY_LIST
  WNDPROC listProc = nullptr;  // the list-view class's own procedure, which CodeListProc wraps
};
extern KeyPadWindows KeyPad;

// Runs KeyPadDlg modally, owned by owner, for code field fieldIndex (0 KANJIIN ... 5 RCVEND,
// 6 PRECODE, 7 POSTCODE); it edits the text of edit IDC_FIRST_CODE_EDIT + fieldIndex.
void OpenKeyCodeListDialog(HWND owner, int fieldIndex);
INT_PTR CALLBACK KeyPadDlgProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

// Grids (keypad_grid_win32.cpp): fills both lists with their columns, rows and names, and
// puts CodeListProc on the lists that insert codes.
void SetUpCodeGrids(HWND dialog, bool keyMode);
// Answers a custom-draw notification of one of the two lists (the result for DWLP_MSGRESULT).
LRESULT DrawCodeGrid(const NMHDR* header, bool keyMode);
// Double-click on a cell types its token into the code text; every other message goes to
// the list-view class's procedure.
LRESULT CALLBACK CodeListProc(HWND list, UINT message, WPARAM wparam, LPARAM lparam);
