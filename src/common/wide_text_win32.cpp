#include "common/wide_text_win32.h"

#include "common/two_byte_text.h"

namespace {
constexpr UINT kCodePage = 932;
}  // namespace

int Cp932ToWide(const char* text, wchar_t* out, int capacity) {
  if (capacity <= 0) return 0;
  out[0] = L'\0';
  if (text == nullptr) return 0;
  const int units = MultiByteToWideChar(kCodePage, 0, text, -1, out, capacity);
  if (units > 0) return units - 1;
  // Too long for the buffer: convert character by character while each whole one fits.
  int used = 0;
  for (int i = 0; text[i] != '\0';) {
    const int length =
        IsLeadByte(static_cast<std::uint8_t>(text[i])) && text[i + 1] != '\0' ? 2 : 1;
    wchar_t wide[2];
    const int n = MultiByteToWideChar(kCodePage, 0, text + i, length, wide, 2);
    if (n <= 0 || used + n > capacity - 1) break;
    for (int k = 0; k < n; ++k) out[used++] = wide[k];
    i += length;
  }
  out[used] = L'\0';
  return used;
}

void WideToCp932(const wchar_t* text, char* out, int size) {
  if (size <= 0) return;
  out[0] = '\0';
  int written = WideCharToMultiByte(kCodePage, 0, text, -1, out, size, nullptr, nullptr);
  if (written > 0) return;
  // Too long: convert character by character while each whole character fits.
  int used = 0;
  for (const wchar_t* c = text; *c != L'\0'; ++c) {
    char bytes[4];
    const int n = WideCharToMultiByte(kCodePage, 0, c, 1, bytes, sizeof bytes, nullptr, nullptr);
    if (n <= 0 || used + n > size - 1) break;
    for (int i = 0; i < n; ++i) out[used++] = bytes[i];
  }
  out[used] = '\0';
}

int Cp932Length(const wchar_t* text, int units) {
  int count = 0;
  while (count < units && text[count] != L'\0') ++count;
  if (count == 0) return 0;
  const int bytes = WideCharToMultiByte(kCodePage, 0, text, count, nullptr, 0, nullptr, nullptr);
  return bytes > 0 ? bytes : 0;
}

void SetWindowText932(HWND window, const char* text) {
  wchar_t wide[kWideTextUnits];
  Cp932ToWide(text, wide, kWideTextUnits);
  SetWindowTextW(window, wide);
}

void SetDlgItemText932(HWND dialog, int id, const char* text) {
  wchar_t wide[kWideTextUnits];
  Cp932ToWide(text, wide, kWideTextUnits);
  SetDlgItemTextW(dialog, id, wide);
}

void GetDlgItemText932(HWND dialog, int id, char* out, int size) {
  wchar_t wide[kWideTextUnits];
  GetDlgItemTextW(dialog, id, wide, kWideTextUnits);
  WideToCp932(wide, out, size);
}

int MessageBox932(HWND owner, const char* text, const char* caption, UINT flags) {
  wchar_t wideText[kWideTextUnits];
  wchar_t wideCaption[64];
  Cp932ToWide(text, wideText, kWideTextUnits);
  Cp932ToWide(caption, wideCaption, 64);
  return MessageBoxW(owner, wideText, wideCaption, flags);
}

LRESULT AddComboEntry932(HWND dialog, int id, const char* text) {
  wchar_t wide[kWideTextUnits];
  Cp932ToWide(text, wide, kWideTextUnits);
  return SendDlgItemMessageW(dialog, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide));
}
