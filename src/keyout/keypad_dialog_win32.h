// The key code list dialog KeyPadDlg: the text of one code field, edited with the help of two
// grids of codes (keypad_dialog_win32.cpp).
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
