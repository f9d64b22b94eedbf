#include "reception/frame_text_shaping.h"

#include <cstring>
#include <memory>

#include "common/two_byte_text.h"

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
