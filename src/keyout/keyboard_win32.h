// The keyboard of key output executed with user32: the foreground window and whether it takes
// our input, SendInput, the layout's key mapping and the main dialog's output display
// IDC_OUTPUT_DISPLAY.
#pragma once
#include "keyout/keystrokes_keyboard.h"

class Win32Keyboard : public Keyboard {
 public:
  bool MainDialogInFront() override;
  void PostChar(std::uint8_t ch) override;
  int SendInput(const KeyRecord* records, int count) override;
  bool ForegroundRefusesInput() override;
  KeyboardLayout ForegroundLayout() override;
  std::int16_t VkKeyScanChar(std::uint8_t ch, KeyboardLayout layout) override;
  unsigned MapVkToScan(std::uint8_t vk, KeyboardLayout layout) override;
  unsigned AnsiCodePage() override;
  int Cp932ToUtf16(const std::uint8_t* bytes, int count, std::uint16_t* units, int capacity) override;
  bool CapsLockOn() override;
  void Pause(unsigned ms) override;

 private:
  std::uint8_t pendingLead_ = 0;  // a two-byte character's first byte, posted with its second
};
