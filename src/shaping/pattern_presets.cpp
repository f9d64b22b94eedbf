#include "shaping/pattern_presets.h"

#include <cstring>
#include <memory>

#include "shaping/frame_shaper.h"

const FramePatternPreset kFramePatternPresets[6] = {
    {"数値 (符号付き、先頭の0を除く)", kPresetNumber, ""},
    {"安定した計量値 (ST行の数値)", kPresetStableReading, ""},
    {"数字のみ", kPresetDigits, ""},
    {"カンマ区切り3項目を3つのセルへ", kPresetThreeFields, kPresetThreeFieldsOutput},
    {"コードを文字列として (先頭の0を残す)", kPresetCodeAsText, kPresetCodeAsTextOutput},
    {"重量と単位を2つのセルへ", kPresetWeightAndUnit, kPresetWeightAndUnitOutput},
};

const char kPatternPreviewNoMatch[] = "一致しません";

PatternPreview PreviewFramePattern(const char* pattern, const char* output, const char* sample,
                                   const TextCodec& codec, char* out, int size) {
  struct Memory {
    FramePattern pattern;
    OutputTemplate output;
    FrameShapingWork work;
    ShapedFrame frame;
  };
  const auto memory = std::make_unique<Memory>();
  if (PrepareShaping(pattern, output, codec, memory->pattern, memory->output, out, size) !=
      ShapingRefusal::None) {
    return PatternPreview::Refused;
  }
  ShapedFrame& frame = memory->frame;
  CopyTextCut(reinterpret_cast<char*>(frame.text), sizeof frame.text, sample);
  frame.length = static_cast<int>(std::strlen(reinterpret_cast<char*>(frame.text)));
  ShapingOptions options;
  options.pattern = pattern[0] != 0 ? &memory->pattern : nullptr;
  options.output = output[0] != 0 ? &memory->output : nullptr;
  if (!ShapeCollectedFrame(options, codec, memory->work, frame)) {
    CopyTextCut(out, static_cast<std::size_t>(size), kPatternPreviewNoMatch);
    return PatternPreview::NoMatch;
  }
  FormatShapedText(frame, out, size);
  return PatternPreview::Result;
}
