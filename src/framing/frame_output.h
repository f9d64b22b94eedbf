// Where framing sends its results: typed characters and key lists, the log buffer, and the
// end of each frame. The program wires it to keystroke injection and the log writer; tests
// record the calls.
#pragma once
#include <cstdint>

#include "common/two_byte_text.h"
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

// Types the n bytes of text through out, one character at a time: a two-byte character's lead
// byte with its trail byte, a lead byte at the very end alone.
inline void TypeCharacters(const std::uint8_t* text, int n, FrameOutput& out) {
  for (int i = 0; i < n;) {
    const int length = IsTwoByteClass(text[i]) && i + 1 < n ? 2 : 1;
    const std::uint8_t ch[3] = {text[i], length == 2 ? text[i + 1] : std::uint8_t{0}, 0};
    out.TypeCharacter(ch);
    i += length;
  }
}
