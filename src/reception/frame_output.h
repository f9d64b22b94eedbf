// Where framing sends its results: typed characters and key lists, the log buffer, and the
// end of each frame. The program wires it to keystroke injection and the log writer; tests
// record the calls.
#pragma once
#include <cstdint>

#include "keyout/code_notation.h"

class FrameOutput {
 public:
  virtual ~FrameOutput() = default;
  // One character, zero-terminated: one byte, or a lead byte and its trail byte.
  virtual void TypeCharacter(const std::uint8_t* text) = 0;
  // A zero-terminated key list of at most kMaxKeyItems items (PRECODE or POSTCODE).
  virtual void TypeKeyItems(const KeyItem* list) = 0;
  // Appends a zero-terminated byte string to the log buffer.
  virtual void LogAppend(const std::uint8_t* zeroTerminatedText) = 0;
  // The frame has ended: at an end code after POSTCODE, at a start code (the frame before
  // ends), at a data-interval timeout. Framing calls it right before the LogFlush that writes
  // the frame's record; the program ends the frame's hold on the keyboard here.
  virtual void FrameEnded() = 0;
  // Writes the log buffer as one record and empties it. The result is not used by framing.
  virtual int LogFlush() = 0;
};
