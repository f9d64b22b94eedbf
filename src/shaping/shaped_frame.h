// A frame collected whole, as shaping leaves it, and the seam through which it is delivered.
#pragma once
#include <cstdint>

#include "keyout/code_notation.h"

// A frame collected whole: the key lists framing asked for before its text, the text as it
// would be typed (code page 932, after shaping by the frame pattern and the output template)
// with the template's keys between its characters, and the key lists after it. Frames are
// collected when a frame pattern, a duplicate time or a target window is set; otherwise framing
// types character by character and no ShapedFrame exists.

// The text a frame can hold: the size of the log buffer's text.
inline constexpr int kShapedTextSize = 2000;
// Key lists framing can ask for on either side of a frame's text (PRECODE, an owed POSTCODE).
inline constexpr int kShapedKeyLists = 2;
// Keys the output template can place between the characters of the text.
inline constexpr int kShapedKeys = 33;

// Keys placed between the characters of a collected frame's text: typed before the character
// at byte `at` (at the text's length: after the last one).
struct ShapedKeys {
  int at;
  KeyItem keys[kMaxKeyItems + 1];
};


struct ShapedFrame {
  KeyItem before[kShapedKeyLists][kMaxKeyItems + 1];  // zero-terminated lists, unused ones empty
  std::uint8_t text[kShapedTextSize + 1];             // zero-terminated
  int length;                                         // bytes of text
  ShapedKeys keys[kShapedKeys];                       // in the order of their places
  int keyCount;
  KeyItem after[kShapedKeyLists][kMaxKeyItems + 1];
};

// Where a collected frame goes once it has been shaped and logged: typed at once, or held
// until the target window is in front.
class FrameDelivery {
 public:
  virtual ~FrameDelivery() = default;
  virtual void DeliverFrame(const ShapedFrame& frame) = 0;
};
