// Typing a collected frame through the frame output, and the delivery that types each frame as
// soon as it is shaped.
#pragma once

#include "framing/frame_output.h"
#include "shaping/shaped_frame.h"

// Types a collected frame: the key lists before its text, the text one character at a time
// (one byte, or a lead byte and its trail byte) with the template's keys at their places, the
// key lists after it.
void TypeShapedFrame(const ShapedFrame& frame, FrameOutput& out);

// The delivery that types each frame at once.
class TypingDelivery final : public FrameDelivery {
 public:
  explicit TypingDelivery(FrameOutput& out) : out_(out) {}
  void DeliverFrame(const ShapedFrame& frame) override { TypeShapedFrame(frame, out_); }

 private:
  FrameOutput& out_;
};
