// The program's texts are code page 932 bytes: its literals (the compiler's execution character
// set), the settings file, received data. Windows turns the bytes of an ...A call into characters
// with the system's ANSI code page, which is 932 only on Japanese Windows without the UTF-8
// option; these calls convert with 932 named and go through the wide-character functions, so
// the texts read right on any system. Paths stay on the ...A calls: the file functions take
// them in the ANSI code page, and a path read from a dialog must match the file it names.
#pragma once
#include <windows.h>

// Room for the longest text the program shows (the About text); longer texts are cut at the
// last whole character that fits.
constexpr int kWideTextUnits = 1024;

// The UTF-16 form of a NUL-terminated code page 932 text in `out` (`capacity` units with the
// terminator); bytes that are no character of 932 become U+30FB, as MultiByteToWideChar gives.
// Returns the units written without the terminator.
int Cp932ToWide(const char* text, wchar_t* out, int capacity);
// The code page 932 form of a UTF-16 text in `out` (`size` bytes with the terminator), never
// half a two-byte character; characters 932 lacks become "?".
void WideToCp932(const wchar_t* text, char* out, int size);
// The code page 932 bytes of the first `units` units of `text` (a position in an edit, counted
// in UTF-16 units, as a byte offset into the text's 932 form); stops at the terminator.
int Cp932Length(const wchar_t* text, int units);

void SetWindowText932(HWND window, const char* text);
void SetDlgItemText932(HWND dialog, int id, const char* text);
// The control's text in code page 932, at most size - 1 bytes.
void GetDlgItemText932(HWND dialog, int id, char* out, int size);
int MessageBox932(HWND owner, const char* text, const char* caption, UINT flags);
// Adds an entry to a combo box; returns its index or CB_ERR.
LRESULT AddComboEntry932(HWND dialog, int id, const char* text);
