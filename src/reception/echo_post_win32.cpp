#include "reception/echo_post_win32.h"

#include "common/ui_win32.h"
#include "reception/echo_ring.h"

namespace {
EchoRing Echoes;
}  // namespace

void PostEcho(const char* text, int length) {
  HWND dialog = MainDialogWindow;
  if (dialog == nullptr) return;
  const int slot = Echoes.Put(text, length);
  if (slot < 0) return;
  if (!PostMessageA(dialog, kEchoMessage, static_cast<WPARAM>(slot), 0)) Echoes.Release(slot);
}

void AppendPostedEcho(HWND display, WPARAM slot) {
  const int index = slot < static_cast<WPARAM>(kEchoSlots) ? static_cast<int>(slot) : -1;
  const char* text = Echoes.Text(index);
  if (text == nullptr) return;
  // The echo is hexadecimal ASCII: each byte is its own UTF-16 unit.
  static wchar_t wide[kEchoTextSize + 1];
  int n = 0;
  const int held = GetWindowTextLengthW(display);
  if (held > 0) wide[n++] = L' ';
  for (const char* p = text; *p != 0 && n < kEchoTextSize; ++p) wide[n++] = static_cast<wchar_t>(*p);
  wide[n] = 0;
  Echoes.Release(index);
  SendMessageW(display, EM_SETSEL, static_cast<WPARAM>(held), static_cast<LPARAM>(held));
  SendMessageW(display, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(wide));
}
