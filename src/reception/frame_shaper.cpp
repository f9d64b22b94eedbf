#include "reception/frame_shaper.h"

#include <cstring>

#include "common/two_byte_text.h"

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
    if (length < 0) {
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
  delivery_.DeliverFrame(frame_);
  if (frame_.length > 0) inner_.LogAppend(frame_.text);
  Forget();
  inner_.FrameEnded();
  inner_.LogFlush();
}

void TypeShapedFrame(const ShapedFrame& frame, FrameOutput& out) {
  TypeLists(frame.before, out);
  for (int i = 0; i < frame.length;) {
    const int length = IsTwoByteClass(frame.text[i]) && i + 1 < frame.length ? 2 : 1;
    const std::uint8_t ch[3] = {frame.text[i], length == 2 ? frame.text[i + 1] : std::uint8_t{0}, 0};
    out.TypeCharacter(ch);
    i += length;
  }
  TypeLists(frame.after, out);
}
