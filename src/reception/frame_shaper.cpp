#include "reception/frame_shaper.h"

#include <cstring>
#include <memory>


// ---- the frame pattern on code page 932 texts

const FramePatternPreset kFramePatternPresets[3] = {
    {"数値 (符号付き、先頭の0を除く)", kPresetNumber},
    {"安定した計量値 (ST行の数値)", kPresetStableReading},
    {"数字のみ", kPresetDigits},
};

const char kPatternPreviewNoMatch[] = "一致しません";

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
    if (match.group[g].start >= 0) append(match.group[g]);
  }
  work.result[used] = 0;
  return codec.toCp932(work.result, out, size);
}

PatternPreview PreviewFramePattern(const char* pattern, const char* sample, const TextCodec& codec,
                                   char* out, int size) {
  struct Memory {
    FramePattern pattern;
    FrameShapingWork work;
  };
  const auto memory = std::make_unique<Memory>();
  const char* error = nullptr;
  PatternPreview result = PatternPreview::Result;
  if (!CompileFramePattern932(pattern, codec, memory->pattern, &error)) {
    CopyTextCut(out, static_cast<std::size_t>(size), error);
    result = PatternPreview::Refused;
  } else if (ShapeFrameText(memory->pattern, codec, memory->work, sample, out, size) < 0) {
    CopyTextCut(out, static_cast<std::size_t>(size), kPatternPreviewNoMatch);
    result = PatternPreview::NoMatch;
  }
  return result;
}

// ---- the shaper

namespace {

void TypeLists(const KeyItem (&lists)[kShapedKeyLists][kMaxKeyItems + 1], FrameOutput& out) {
  for (const auto& list : lists) {
    if (list[0] != 0) out.TypeKeyItems(list);
  }
}

}  // namespace

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

bool FrameShaper::RepeatsLastFrame(std::uint32_t now) const {
  return lastLength_ == frame_.length && now - lastTime_ < options_.duplicateMs &&
         std::memcmp(last_, frame_.text, static_cast<std::size_t>(frame_.length)) == 0;
}

void FrameShaper::FrameEnded() {
  if (frame_.length == 0 && before_ == 0 && after_ == 0) return;
  if (options_.pattern != nullptr) {
    char* text = reinterpret_cast<char*>(frame_.text);
    const int length = ShapeFrameText(*options_.pattern, codec_, work_, text, text,
                                      static_cast<int>(sizeof frame_.text));
    if (length <= 0) {  // no match, or nothing of the frame left to type: dropped
      Forget();
      return;
    }
    frame_.length = length;
  }
  if (options_.duplicateMs > 0) {
    const std::uint32_t now = clock_();
    if (RepeatsLastFrame(now)) {
      Forget();
      return;
    }
    std::memcpy(last_, frame_.text, static_cast<std::size_t>(frame_.length) + 1);
    lastLength_ = frame_.length;
    lastTime_ = now;
  }
  // The record is written where the frame ends, before its delivery: a stop during the
  // typing, or a frame held for a target, is in the log all the same, stamped at its end.
  if (frame_.length > 0) inner_.LogAppend(frame_.text);
  inner_.LogFlush();
  delivery_.DeliverFrame(frame_);
  Forget();
  inner_.FrameEnded();
}

void TypeShapedFrame(const ShapedFrame& frame, FrameOutput& out) {
  TypeLists(frame.before, out);
  TypeCharacters(frame.text, frame.length, out);
  TypeLists(frame.after, out);
}
