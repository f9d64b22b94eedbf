// The typing benchmark's reference: the Alt code of one two-byte character (亜, Alt held, the
// keypad digits 3 4 9 7 5, Alt released) COUNT times through keybd_event, with no pause and no
// other call between the events, then Enter. What the program types is compared with this on
// the same probe. With "unicode" it sends the character as one Unicode packet
// instead (one SendInput call of its key-down and key-up records), the ceiling of send mode 1.
// With PAUSE-MS the Alt codes pause as the program's do at SENDDELAY PAUSE-MS, on the program's
// own pause timer, after Alt goes down; Unicode packets, like the program's, never pause.
//
//   bareinject.exe COUNT [alt|unicode] [PAUSE-MS]
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "delivery/reception_pipeline_win32.h"

namespace {

PauseTimer Pauses;
unsigned PauseMs = 0;

void Pause() {
  if (PauseMs > 0) Pauses.Wait(PauseMs, nullptr);
}

void SendUnicodePackets(int count) {
  INPUT records[2] = {};
  records[0].type = records[1].type = INPUT_KEYBOARD;
  records[0].ki.wScan = records[1].ki.wScan = 0x4E9C;  // 亜
  records[0].ki.dwFlags = KEYEVENTF_UNICODE;
  records[1].ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
  for (int n = 0; n < count; ++n) {
    SendInput(2, records, sizeof(INPUT));
  }
}

}  // namespace

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::atoi(argv[1]) : 1000;
  const bool unicode = argc > 2 && std::strcmp(argv[2], "unicode") == 0;
  PauseMs = argc > 3 ? static_cast<unsigned>(std::atoi(argv[3])) : 0;
  Pauses.Begin();
  const BYTE alt = static_cast<BYTE>(MapVirtualKeyA(VK_MENU, MAPVK_VK_TO_VSC));
  const BYTE digits[] = {VK_NUMPAD3, VK_NUMPAD4, VK_NUMPAD9, VK_NUMPAD7, VK_NUMPAD5};
  BYTE scans[5];
  for (int i = 0; i < 5; ++i) scans[i] = static_cast<BYTE>(MapVirtualKeyA(digits[i], MAPVK_VK_TO_VSC));
  if (unicode) SendUnicodePackets(count);
  for (int n = 0; n < count && !unicode; ++n) {
    keybd_event(VK_MENU, alt, 0, 0);
    Pause();
    for (int i = 0; i < 5; ++i) {
      keybd_event(digits[i], scans[i], 0, 0);
      keybd_event(digits[i], scans[i], KEYEVENTF_KEYUP, 0);
    }
    keybd_event(VK_MENU, alt, KEYEVENTF_KEYUP, 0);
  }
  keybd_event(VK_RETURN, static_cast<BYTE>(MapVirtualKeyA(VK_RETURN, MAPVK_VK_TO_VSC)), 0, 0);
  keybd_event(VK_RETURN, static_cast<BYTE>(MapVirtualKeyA(VK_RETURN, MAPVK_VK_TO_VSC)), KEYEVENTF_KEYUP, 0);
  return 0;
}
