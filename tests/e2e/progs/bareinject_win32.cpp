// The typing benchmark's reference: the Alt code of one two-byte character (亜, Alt held, the
// keypad digits 3 4 9 7 5, Alt released) COUNT times through keybd_event, with no pause and no
// other call between the events, then Enter. What the program types at SENDDELAY 0 is compared
// with this on the same probe.
//
//   bareinject.exe COUNT
#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::atoi(argv[1]) : 1000;
  const BYTE alt = static_cast<BYTE>(MapVirtualKeyA(VK_MENU, MAPVK_VK_TO_VSC));
  const BYTE digits[] = {VK_NUMPAD3, VK_NUMPAD4, VK_NUMPAD9, VK_NUMPAD7, VK_NUMPAD5};
  BYTE scans[5];
  for (int i = 0; i < 5; ++i) scans[i] = static_cast<BYTE>(MapVirtualKeyA(digits[i], MAPVK_VK_TO_VSC));
  for (int n = 0; n < count; ++n) {
    keybd_event(VK_MENU, alt, 0, 0);
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
