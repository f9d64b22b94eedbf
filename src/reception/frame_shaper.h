// Whole-frame shaping: an output that sits in front of the program's output while a frame
// pattern or a duplicate time is set. It collects what framing types for one frame (its text
// and the key lists around it) and, where framing ends the frame (FrameEnded), shapes the text
// by the pattern, drops a frame that does not match or that repeats the last one delivered
// too soon, and delivers the rest whole: typed through the delivery, then logged as one record
// of the shaped text.
#pragma once
#include <cstdint>

#include "reception/frame_output.h"
#include "reception/frame_text_shaping.h"
#include "reception/shaped_frame.h"
#include "reception/text_codec.h"

// Milliseconds of a clock that wraps around (timeGetTime).
using ShapingClock = std::uint32_t (*)();

struct ShapingOptions {
  const FramePattern* pattern = nullptr;  // compiled FILTER; nullptr: the text is kept as is
  std::uint32_t duplicateMs = 0;          // DUPTIME; 0: repeated frames are delivered
};

class FrameShaper final : public FrameOutput {
 public:
  // `inner` gets the log record and the end of each delivered frame; `delivery` its typing.
  FrameShaper(FrameOutput& inner, FrameDelivery& delivery, const TextCodec& codec,
              ShapingClock clock);

  // At the start of reception: forgets a frame collected before a stop and the last frame
  // delivered. The pattern must stay in place while reception runs.
  void Start(const ShapingOptions& options);

  void TypeCharacter(const std::uint8_t* text) override;
  void TypeKeyItems(const KeyItem* list) override;
  // The typed text is the logged text (kept start and end codes are typed too), so the log
  // is written from the shaped text at the frame's end instead.
  void LogAppend(const std::uint8_t*) override {}
  int LogFlush() override { return 0; }
  // The frame ends: shaped and delivered, then its record written through the inner output
  // (LogAppend, FrameEnded, LogFlush); or dropped, and the inner output is not called.
  void FrameEnded() override;

 private:
  void Forget();
  bool RepeatsLastFrame(std::uint32_t now) const;

  FrameOutput& inner_;
  FrameDelivery& delivery_;
  const TextCodec& codec_;
  ShapingClock clock_;
  ShapingOptions options_;
  ShapedFrame frame_;
  int before_ = 0;  // key lists collected before the text, and after it
  int after_ = 0;
  bool full_ = false;  // a character did not fit: the rest of the frame's text is dropped
  std::uint8_t last_[kShapedTextSize + 1];  // the shaped text last delivered
  int lastLength_ = -1;                     // -1: none since the start
  std::uint32_t lastTime_ = 0;
  FrameShapingWork work_;
};

// Types a collected frame: the key lists before its text, the text one character at a time
// (one byte, or a lead byte and its trail byte), the key lists after it.
void TypeShapedFrame(const ShapedFrame& frame, FrameOutput& out);

// The delivery that types each frame at once.
class TypingDelivery final : public FrameDelivery {
 public:
  explicit TypingDelivery(FrameOutput& out) : out_(out) {}
  void DeliverFrame(const ShapedFrame& frame) override { TypeShapedFrame(frame, out_); }

 private:
  FrameOutput& out_;
};
