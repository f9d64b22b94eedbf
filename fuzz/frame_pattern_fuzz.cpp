// Fuzzing of the frame pattern: the input gives a pattern and a frame (bytes become UTF-16
// units: ASCII as it is, the rest a handful of units that matter: a kanji, half-width kana,
// white space and line terminators beyond ASCII, a lone surrogate). A crash, a leak, a step
// count over the bound, a closure needing more stack than measured, a group outside the
// match or the text, or a shaped text past its buffer aborts. A first byte with its high bit
// set repeats the frame to 2000 units, so that slow patterns show as timeouts.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "shaping/frame_pattern.h"
#include "shaping/frame_shaper.h"

namespace {

constexpr char16_t kOtherUnits[16] = {0x4E9C, 0xFF71, 0x3000, 0x2028, 0x2029, 0x00A0, 0xFEFF, 0xD800,
                                      0x3042, 0x0660, 0x212A, 0x017F, 0x00E9, 0x5C, 0xFF10, 0x000B};

char16_t Unit(std::uint8_t b) { return b < 0x80 ? b : kOtherUnits[b & 15]; }

// Code page 932 stand-in: ASCII both ways, anything else "?".
int ToUtf16(const char* text, char16_t* out, int capacity) {
  int n = 0;
  while (text[n] != 0 && n < capacity - 1) {
    out[n] = static_cast<std::uint8_t>(text[n]);
    ++n;
  }
  out[n] = 0;
  return n;
}
int ToCp932(const char16_t* text, char* out, int size) {
  int n = 0;
  while (text[n] != 0 && n < size - 1) {
    out[n] = text[n] < 0x80 ? static_cast<char>(text[n]) : '?';
    ++n;
  }
  out[n] = 0;
  return n;
}
const TextCodec kAsciiCodec = {ToUtf16, ToCp932};

FramePattern Pattern;
FramePatternWork Work;
FrameShapingWork Shaping;

bool SpanInside(const FramePatternSpan& s, int from, int to) {
  return (s.start == -1 && s.end == -1) || (from <= s.start && s.start <= s.end && s.end <= to);
}

void CheckMatch(const char16_t* text, int n) {
  FramePatternMatch m;
  const bool matched = MatchFramePattern(Pattern, text, n, Work, m);
  if (Work.steps > FramePatternStepBound(Pattern, n) || Work.overflowed) std::abort();
  if (!matched) {
    for (const FramePatternSpan& s : m.group) {
      if (s.start != -1) std::abort();
    }
    return;
  }
  const FramePatternSpan whole = m.group[0];
  if (whole.start < 0 || !SpanInside(whole, 0, n)) std::abort();
  for (int g = 1; g <= kFramePatternGroups; ++g) {
    if (!SpanInside(m.group[g], whole.start, whole.end)) std::abort();
    if (g > Pattern.groups && m.group[g].start != -1) std::abort();
  }
}

// The shaped text stays inside its buffer and is terminated.
void CheckShaping(const char16_t* text, int n) {
  static char in[kShapedTextSize + 1];
  static char out[40 + 8];
  int k = 0;
  for (; k < n && k < kShapedTextSize; ++k) in[k] = text[k] != 0 && text[k] < 0x80 ? static_cast<char>(text[k]) : 'x';
  in[k] = 0;
  std::memset(out, 0x55, sizeof out);
  const int r = ShapeFrameText(Pattern, kAsciiCodec, Shaping, in, out, 40);
  if (r >= 40) std::abort();
  if (r >= 0 && out[r] != 0) std::abort();
  for (int i = 40; i < static_cast<int>(sizeof out); ++i) {
    if (out[i] != 0x55) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const bool repeat = (data[0] & 0x80) != 0;
  std::size_t patternLength = data[0] & 0x7F;
  ++data;
  --size;
  if (patternLength > size) patternLength = size;
  char16_t pattern[128];
  for (std::size_t i = 0; i < patternLength; ++i) pattern[i] = Unit(data[i]);
  const char* error = nullptr;
  const bool compiled = CompileFramePattern(pattern, static_cast<int>(patternLength), Pattern, &error);
  if (compiled != (error == nullptr)) std::abort();
  if (!compiled) return 0;
  if (Pattern.size > kFramePatternInstructions || Pattern.groups > kFramePatternGroups ||
      Pattern.registers > kFramePatternRegisters) {
    std::abort();
  }
  data += patternLength;
  size -= patternLength;
  static char16_t text[kShapedTextSize];
  int n = 0;
  for (; static_cast<std::size_t>(n) < size && n < kShapedTextSize; ++n) text[n] = Unit(data[n]);
  if (repeat && n > 0) {
    for (int i = n; i < kShapedTextSize; ++i) text[i] = text[i % n];
    n = kShapedTextSize;
  }
  CheckMatch(text, n);
  CheckShaping(text, n);
  return 0;
}
