// Whole-frame shaping, while a frame pattern, a duplicate time or target windows are set: the
// frame pattern on code page 932 texts (compiling FILTER, shaping a frame's text, making FILTER
// and OUTPUT ready for a reception) and the FrameShaper, the output that collects and shapes
// each frame.
#pragma once
#include <cstdint>

#include "framing/frame_output.h"
#include "framing/text_codec.h"
#include "shaping/frame_pattern.h"
#include "shaping/output_template.h"
#include "shaping/shaped_frame.h"

// ---- the frame pattern on code page 932 texts

// Bytes of FILTER (code page 932).
inline constexpr int kFramePatternBytes = 100;

// What shaping one frame needs besides the pattern (about 160 KB); reused frame after frame.
struct FrameShapingWork {
  FramePatternWork match;
  char16_t text[kShapedTextSize + 1];
  char16_t result[kShapedTextSize + 1];
};

// Compiles a zero-terminated code page 932 pattern of at most kFramePatternBytes bytes. On
// failure sets *error to one of the kPatternError texts.
bool CompileFramePattern932(const char* pattern, const TextCodec& codec, FramePattern& out,
                            const char** error);

// Matches a zero-terminated code page 932 text (its first kShapedTextSize characters).
// No match: returns -1. A match: `out` (`size` bytes with the terminator; it may be `text`)
// gets the outermost groups that took part, joined in order (a group inside another is part
// of it), or the whole match for a pattern without groups; returns its bytes.
int ShapeFrameText(const FramePattern& pattern, const TextCodec& codec, FrameShapingWork& work,
                   const char* text, char* out, int size);

// The pattern (FILTER, "" for none) and the output template (OUTPUT, "" for none) of a
// reception, made ready: the pattern compiled into `pattern`, the template parsed for its
// groups into `output`. Says which of the two is refused, with the reason in `error`.
enum class ShapingRefusal { None, Pattern, Output };
ShapingRefusal PrepareShaping(const char* filter, const char* output, const TextCodec& codec,
                              FramePattern& pattern, OutputTemplate& tpl, char* error,
                              int errorSize);

// ---- the shaper

// An output that sits in front of the program's output while a frame pattern or a duplicate
// time is set. It collects what framing types for one frame (its text and the key lists around
// it) and, where framing ends the frame (FrameEnded), shapes the text by the pattern, drops a
// frame that does not match or that repeats the last one delivered too soon, and delivers the
// rest whole: logged as one record of the shaped text, then typed through the delivery.

// Milliseconds of a clock that wraps around (timeGetTime).
using ShapingClock = std::uint32_t (*)();

struct ShapingOptions {
  const FramePattern* pattern = nullptr;  // compiled FILTER; nullptr: the text is kept as is
  std::uint32_t duplicateMs = 0;          // DUPTIME; 0: repeated frames are delivered
  const OutputTemplate* output = nullptr;  // parsed OUTPUT; nullptr: the groups joined
};

// Shapes a collected frame's text in place by the pattern and the output template; false
// when the pattern does not match.
bool ShapeCollectedFrame(const ShapingOptions& options, const TextCodec& codec,
                         FrameShapingWork& work, ShapedFrame& frame);

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
  // The frame ends: shaped, its record written through the inner output (LogAppend,
  // LogFlush), then delivered and ended (FrameEnded); or dropped (no match, an empty result,
  // a repeat), and the inner output is not called.
  void FrameEnded() override;

 private:
  void Forget();
  bool RepeatsLastFrame(std::uint32_t now, int length) const;

  FrameOutput& inner_;
  FrameDelivery& delivery_;
  const TextCodec& codec_;
  ShapingClock clock_;
  ShapingOptions options_;
  ShapedFrame frame_;
  int before_ = 0;  // key lists collected before the text, and after it
  int after_ = 0;
  bool full_ = false;  // a character did not fit: the rest of the frame's text is dropped
  char record_[kShapedTextSize + 1] = {};  // the frame's log record: its text, keys by their names
  char last_[kShapedTextSize + 1];    // the record of the frame last delivered
  int lastLength_ = -1;               // -1: none since the start
  std::uint32_t lastTime_ = 0;
  FrameShapingWork work_;
};
