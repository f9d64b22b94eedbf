// The key code list dialog KeyPadDlg: the text of one code field, edited with the help of two
// grids of codes (keypad_dialog_win32.cpp, grids in keypad_grid_win32.cpp).
#pragma once
#include <windows.h>

#include <optional>

// A code field's text: read with room for 98 characters, the most a code field holds.
struct CodeFieldText {
  char text[99] = {};
};

// Runs KeyPadDlg modally, owned by owner, for code field fieldIndex (0 KANJIIN ... 5 RCVEND,
// 6 PRECODE, 7 POSTCODE, 8 REQCODE), starting from `start`. The edited text on OK (not validated), nothing
// on cancel or for a field index out of range.
std::optional<CodeFieldText> EditCodeFieldText(HWND owner, int fieldIndex, const CodeFieldText& start);

// What one opening of the dialog works on, kept in the dialog's user data and handed to the
// grids' subclass procedure.
struct KeyPadState {
  int fieldIndex = 0;
  CodeFieldText text;         // in: the starting text; out: the text OK read
  HWND dialog = nullptr;
  HWND vkeyList = nullptr;    // IDC_VKEY_LIST
};

// Grids (keypad_grid_win32.cpp): fills both lists with their columns (sized for the lists' DPI),
// rows and names, and puts CodeListProc on the lists that insert codes.
void SetUpCodeGrids(KeyPadState& state, bool keyMode);
// Sizes the grids' columns for dpi (the columns are sized in pixels, the lists in dialog units).
void ScaleCodeGrids(HWND dialog, UINT dpi);
// Answers a custom-draw notification of one of the two lists (the result for DWLP_MSGRESULT).
LRESULT DrawCodeGrid(const NMHDR* header, bool keyMode);
// Subclass procedure of the lists (reference data: the KeyPadState): a double-click on a cell
// types its token into the code text; every other message goes on to the list view.
LRESULT CALLBACK CodeListProc(HWND list, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR id,
                              DWORD_PTR state);
