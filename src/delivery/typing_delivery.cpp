#include "delivery/typing_delivery.h"

namespace {

void TypeLists(const KeyItem (&lists)[kShapedKeyLists][kMaxKeyItems + 1], FrameOutput& out) {
  for (const auto& list : lists) {
    if (list[0] != 0) out.TypeKeyItems(list);
  }
}

}  // namespace

void TypeShapedFrame(const ShapedFrame& frame, FrameOutput& out) {
  TypeLists(frame.before, out);
  int typed = 0;
  for (int k = 0; k < frame.keyCount; ++k) {
    const ShapedKeys& keys = frame.keys[k];
    TypeCharacters(frame.text + typed, keys.at - typed, out);
    typed = keys.at;
    out.TypeKeyItems(keys.keys);
  }
  TypeCharacters(frame.text + typed, frame.length - typed, out);
  TypeLists(frame.after, out);
}
