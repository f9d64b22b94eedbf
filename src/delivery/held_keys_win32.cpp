#include "delivery/held_keys_win32.h"

#include <windows.h>

#include <initializer_list>

// GetAsyncKeyState answers with the key's state at the moment of the call, whatever thread or
// window asks, the most significant bit set while it is down (Microsoft Learn,
// GetAsyncKeyState). VK_SHIFT, VK_CONTROL and VK_MENU stand for both keys of each pair; the
// Windows keys have one code each.
bool ModifierKeysHeld() {
  for (const int vk : {VK_SHIFT, VK_CONTROL, VK_MENU, VK_LWIN, VK_RWIN}) {
    if ((GetAsyncKeyState(vk) & 0x8000) != 0) return true;
  }
  return false;
}
