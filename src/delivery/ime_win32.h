// The input method of the window in front, reached with imm32 and user32 (ime_gate.h says
// what the program does with it).
#pragma once
#include "delivery/ime_gate.h"

class Win32InputMethod final : public InputMethodSystem {
 public:
  ImeStatus Look(ImeWindow& window) override;
  void SetOpen(ImeWindow window, bool open) override;
  bool Round() override;
};
