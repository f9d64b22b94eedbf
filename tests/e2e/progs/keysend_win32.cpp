// Types the worked keystroke sequences into the foreground window with the real key output and
// its user32 executor, for the keyboard probe to record.
//
//   keysend.exe [SENDDELAY [KEYPAUSE]]
//
// In order: "4912" and Enter (a key list "v0D"); "あ" (82 A0); half-width "ｱ" (B1); CR as a
// character (the Enter key of the layout); the key list "v11+v43" (Ctrl+C); the extended keys
// as the key lists "v25 v26 v27 v28 v24 v23 v21 v22 v2D v2E" (arrows, Home, End, Page Up/Down,
// Insert, Delete) and "v6F vA3 vA5 v90 v90" (keypad Divide, right Ctrl, right Alt, Num Lock
// twice); Caps Lock toggled twice (on, then back off). Prints the scan codes of those keys in
// the layout of the window in front ("scan VK SCAN") and one line per step to stdout.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <initializer_list>

#include "config/settings.h"
#include "keyout/keyboard_win32.h"
#include "keyout/keystrokes.h"

namespace {

void Step(const char* what) {
  std::printf("keysend: %s\n", what);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  SettingsRecord settings;
  SetDefaultSettings(settings);
  if (argc > 1) settings.SENDDELAY = static_cast<std::int16_t>(std::atoi(argv[1]));
  const int keyPause = argc > 2 ? std::atoi(argv[2]) : kDefaultKeyPauseMs;

  Win32Keyboard keyboard;
  KeyOutput out(keyboard, settings.SENDDELAY, keyPause);

  // The scan codes of every key used, for the scenario to compare with what arrives.
  const KeyboardLayout layout = keyboard.ForegroundLayout();
  for (unsigned vk : {0x12u, 0x60u, 0x61u, 0x62u, 0x63u, 0x64u, 0x65u, 0x66u, 0x67u, 0x68u, 0x69u,
                      0x0Du, 0x11u, 0x43u, 0x14u, 0x25u, 0x26u, 0x27u, 0x28u, 0x24u, 0x23u,
                      0x21u, 0x22u, 0x2Du, 0x2Eu, 0x6Fu, 0xA3u, 0xA5u, 0x90u}) {
    const auto key = static_cast<std::uint8_t>(vk);
    std::printf("keysend: scan %02X %02X\n", vk, keyboard.MapVkToScan(key, layout) & 0xFF);
  }
  Step("4912");
  for (const char* p = "4912"; *p != '\0'; ++p) out.TypeCharacter(reinterpret_cast<const std::uint8_t*>(p));
  const KeyItem enter[] = {KEYITEM_VKEY | 0x0D, 0};
  out.TypeKeyItems(enter);

  Step("two-byte character");
  const std::uint8_t a[] = {0x82, 0xA0, 0};
  out.TypeCharacter(a);

  Step("half-width katakana");
  const std::uint8_t ka[] = {0xB1, 0};
  out.TypeCharacter(ka);

  Step("CR");
  const std::uint8_t cr[] = {0x0D, 0};
  out.TypeCharacter(cr);

  Step("v11+v43");
  const KeyItem ctrlC[] = {KEYITEM_VKEY | KEYITEM_HOLD | 0x11, KEYITEM_VKEY | 0x43, 0};
  out.TypeKeyItems(ctrlC);

  Step("extended keys");
  const KeyItem navigation[] = {KEYITEM_VKEY | 0x25, KEYITEM_VKEY | 0x26, KEYITEM_VKEY | 0x27,
                                KEYITEM_VKEY | 0x28, KEYITEM_VKEY | 0x24, KEYITEM_VKEY | 0x23,
                                KEYITEM_VKEY | 0x21, KEYITEM_VKEY | 0x22, KEYITEM_VKEY | 0x2D,
                                KEYITEM_VKEY | 0x2E, 0};
  out.TypeKeyItems(navigation);
  const KeyItem others[] = {KEYITEM_VKEY | 0x6F, KEYITEM_VKEY | 0xA3, KEYITEM_VKEY | 0xA5,
                            KEYITEM_VKEY | 0x90, KEYITEM_VKEY | 0x90, 0};
  out.TypeKeyItems(others);

  Step("caps lock");
  out.ToggleCapsLock();
  Sleep(static_cast<DWORD>(keyPause));
  out.ToggleCapsLock();

  Step("done");
  return 0;
}
