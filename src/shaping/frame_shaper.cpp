#include "shaping/frame_shaper.h"

#include <cstring>

// ---- the frame pattern on code page 932 texts

bool CompileFramePattern932(const char* pattern, const TextCodec& codec, FramePattern& out,
                            const char** error) {
  if (std::strlen(pattern) > static_cast<std::size_t>(kFramePatternBytes)) {
    *error = kPatternErrorTooLong;
    out.size = 0;
    return false;
  }
  // Never more units than bytes: the whole pattern fits.
  char16_t units[kFramePatternBytes + 1];
  const int n = codec.toUtf16(pattern, units, kFramePatternBytes + 1);
  return CompileFramePattern(units, n, out, error);
}

int ShapeFrameText(const FramePattern& pattern, const TextCodec& codec, FrameShapingWork& work,
                   const char* text, char* out, int size) {
  const int n = codec.toUtf16(text, work.text, kShapedTextSize + 1);
  FramePatternMatch match{};
  if (!MatchFramePattern(pattern, work.text, n, work.match, match)) return -1;
  int used = 0;
  const auto append = [&](const FramePatternSpan& span) {
    for (int i = span.start; i < span.end && used < kShapedTextSize; ++i) {
      work.result[used++] = work.text[i];
    }
  };
  if (pattern.groups == 0) append(match.group[0]);
  for (int g = 1; g <= pattern.groups; ++g) {
    const bool outermost = (pattern.nested & 1u << g) == 0;
    if (outermost && match.group[g].start >= 0) append(match.group[g]);
  }
  work.result[used] = 0;
  return codec.toCp932(work.result, out, size);
}

ShapingRefusal PrepareShaping(const char* filter, const char* output, const TextCodec& codec,
                              FramePattern& pattern, OutputTemplate& tpl, char* error,
                              int errorSize) {
  const char* reason = nullptr;
  if (filter[0] != 0 && !CompileFramePattern932(filter, codec, pattern, &reason)) {
    CopyTextCut(error, static_cast<std::size_t>(errorSize), reason);
    return ShapingRefusal::Pattern;
  }
  const int groups = filter[0] != 0 ? pattern.groups : 0;
  if (output[0] != 0 && !ParseOutputTemplate(output, groups, tpl, error, errorSize)) {
    return ShapingRefusal::Output;
  }
  return ShapingRefusal::None;
}

bool ShapeCollectedFrame(const ShapingOptions& options, const TextCodec& codec,
                         FrameShapingWork& work, ShapedFrame& frame) {
  char* const text = reinterpret_cast<char*>(frame.text);
  if (options.output == nullptr) {
    if (options.pattern == nullptr) return true;
    const int length = ShapeFrameText(*options.pattern, codec, work, text, text,
                                      static_cast<int>(sizeof frame.text));
    if (length < 0) return false;
    frame.length = length;
    return true;
  }
  const int n = codec.toUtf16(text, work.text, kShapedTextSize + 1);
  FramePatternMatch match{};
  if (options.pattern == nullptr) {
    for (FramePatternSpan& span : match.group) span = {-1, -1};
    match.group[0] = {0, n};  // $0: the whole frame
  } else if (!MatchFramePattern(*options.pattern, work.text, n, work.match, match)) {
    return false;
  }
  ExpandOutputTemplate(*options.output, work.text, match, codec, work.result, frame);
  return true;
}

// ---- the shaper

FrameShaper::FrameShaper(FrameOutput& inner, FrameDelivery& delivery, const TextCodec& codec,
                         ShapingClock clock)
    : inner_(inner), delivery_(delivery), codec_(codec), clock_(clock), work_() {
  Forget();
  last_[0] = 0;
}

void FrameShaper::Start(const ShapingOptions& options) {
  options_ = options;
  Forget();
  lastLength_ = -1;
}

void FrameShaper::Forget() {
  std::memset(frame_.before, 0, sizeof frame_.before);
  std::memset(frame_.after, 0, sizeof frame_.after);
  frame_.text[0] = 0;
  frame_.length = 0;
  frame_.keyCount = 0;
  before_ = 0;
  after_ = 0;
  full_ = false;
}

void FrameShaper::TypeCharacter(const std::uint8_t* text) {
  const int length = text[0] == 0 ? 0 : text[1] == 0 ? 1 : 2;
  // A text longer than the log buffer loses its end, from the first character that does not
  // fit (never half a character, never one after a gap).
  if (full_ || length == 0) return;
  if (frame_.length + length > kShapedTextSize) {
    full_ = true;
    return;
  }
  std::memcpy(frame_.text + frame_.length, text, static_cast<std::size_t>(length));
  frame_.length += length;
  frame_.text[frame_.length] = 0;
}

void FrameShaper::TypeKeyItems(const KeyItem* list) {
  if (list[0] == 0) return;
  KeyItem* slot = nullptr;
  if (frame_.length == 0 && before_ < kShapedKeyLists) slot = frame_.before[before_++];
  if (frame_.length > 0 && after_ < kShapedKeyLists) slot = frame_.after[after_++];
  if (slot == nullptr) return;
  for (int i = 0; i < kMaxKeyItems && list[i] != 0; ++i) slot[i] = list[i];
}

// Compares records, so that the template's keys count: "1,23" and "12,3" through "$1[TAB]$2"
// are two frames.
bool FrameShaper::RepeatsLastFrame(std::uint32_t now, int length) const {
  return lastLength_ == length && now - lastTime_ < options_.duplicateMs &&
         std::memcmp(last_, record_, static_cast<std::size_t>(length)) == 0;
}

void FrameShaper::FrameEnded() {
  if (frame_.length == 0 && before_ == 0 && after_ == 0) return;
  if (!ShapeCollectedFrame(options_, codec_, work_, frame_)) {
    Forget();
    return;
  }
  const int length = FormatShapedText(frame_, record_, static_cast<int>(sizeof record_));
  // A pattern or template that leaves nothing to type drops the frame, as a frame it does
  // not match: a bare PRECODE and POSTCODE would type an empty reading.
  if (length == 0 && (options_.pattern != nullptr || options_.output != nullptr)) {
    Forget();
    return;
  }
  if (options_.duplicateMs > 0) {
    const std::uint32_t now = clock_();
    if (RepeatsLastFrame(now, length)) {
      Forget();
      return;
    }
    std::memcpy(last_, record_, static_cast<std::size_t>(length) + 1);
    lastLength_ = length;
    lastTime_ = now;
  }
  // The record is written where the frame ends, before its delivery: a stop during the
  // typing, or a frame held for a target, is in the log all the same, stamped at its end.
  if (length > 0) inner_.LogAppend(reinterpret_cast<const std::uint8_t*>(record_));
  inner_.LogFlush();
  delivery_.DeliverFrame(frame_);
  Forget();
  inner_.FrameEnded();
}

