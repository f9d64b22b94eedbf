// Recording fakes of the reception seams and a small harness around one framing state.
// Every call is written to one log string as a token, so tests compare exact call orders:
//   T<hex>   TypeCharacter        K<hex3>,..  TypeKeyItems        L<hex>  LogAppend
//   E        FrameEnded           F           LogFlush            CAPS    ToggleCapsLock
//   P<ms>    Pause                U<n>        Utf8ToShiftJis of n bytes
#pragma once
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "config/settings.h"
#include "framing/block_processing.h"
#include "framing/frame_output.h"
#include "framing/framer.h"

class RecordingOutput : public FrameOutput {
 public:
  explicit RecordingOutput(std::string& log) : log_(log) {}
  void TypeCharacter(const std::uint8_t* text) override;
  void TypeKeyItems(const KeyItem* list) override;
  void LogAppend(const std::uint8_t* text) override;
  void FrameEnded() override;
  int LogFlush() override;

 private:
  std::string& log_;
};

class FakeHost : public ReceptionHost {
 public:
  explicit FakeHost(std::string& log) : log_(log) {}
  bool capsOn = false;
  bool inFront = false;
  std::string display;  // what the echo shows, joined as the input code display joins it
  // The fake conversion turns E3 81 82 (あ) into 82 A0 and copies every other byte.
  bool CapsLockOn() override { return capsOn; }
  void ToggleCapsLock() override;
  void Pause(std::uint32_t ms) override;
  bool MainDialogInFront() override { return inFront; }
  void Echo(const char* text, int length) override;
  int echoes = 0;  // calls of Echo
  int Utf8ToShiftJis(const std::uint8_t* src, int srcLength, std::uint8_t* dst,
                     int dstCapacity) override;

 private:
  std::string& log_;
};

void SetCode(CodeBytes& code, std::initializer_list<std::uint8_t> bytes);
void SetKeys(KeySequence& keys, std::initializer_list<KeyItem> items);
// Settings with every code and key list empty, both codes removed, no conversion.
SettingsRecord PlainSettings();

using Bytes = std::vector<std::uint8_t>;

// One framing state with recording fakes; Start() initialises the frame flags as the start of
// reception does.
struct FramingHarness {
  SettingsRecord s = PlainSettings();
  FramerState st;
  std::string log;
  RecordingOutput out{log};
  FakeHost host{log};

  void Start() { InitFrameFlags(st, s); }
  void Block(const Bytes& bytes);                 // one block through ProcessBlock
  // One block per byte; returns the most bytes the accumulator held after a byte. Held bytes
  // are a code's partial match, so at most 4: the byte after them makes at most 5.
  int Bytewise(const Bytes& bytes);
  bool Timeout(std::uint32_t now, std::uint32_t& last);
  std::string TakeLog();                          // the log so far, trimmed, then cleared
  std::string Held() const;                       // accumulator bytes in hex
};
