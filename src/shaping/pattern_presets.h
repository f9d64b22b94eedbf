// The frame patterns and output templates the dialogs offer, and the dialogs' live result of a
// pattern and a template on a sample line.
#pragma once

#include "framing/text_codec.h"

// Patterns the dialog offers. The number keeps a minus sign and drops a plus sign and leading
// zeros: "+00012.34" gives "12.34", "-0003.5" gives "-3.5". The stable reading takes the
// number of an "ST," line of a balance (unstable "US," and overload "OL," lines do not match).
inline constexpr char kPresetNumber[] = R"((-?)\+?0*(\d+(?:\.\d+)?))";
inline constexpr char kPresetStableReading[] = R"(^ST,\s*(-?)\+?0*(\d+(?:\.\d+)?))";
// The digits of the frame and nothing else, in up to eight runs: "4912-3456 78" types
// "4912345678".
inline constexpr char kPresetDigits[] = R"(^\D*(\d*)\D*(\d*)\D*(\d*)\D*(\d*)\D*(\d*)\D*(\d*)\D*(\d*)\D*(\d*))";

// Presets that fill the pattern and the output template together, for Excel: three
// comma-separated fields into three cells, a code kept as text (a leading "'"), a balance's
// weight and its unit in two cells.
inline constexpr char kPresetThreeFields[] = R"(^([^,]*),([^,]*),([^,]*))";
inline constexpr char kPresetThreeFieldsOutput[] = "$1[TAB]$2[TAB]$3";
inline constexpr char kPresetCodeAsText[] = R"(^(.*)$)";
inline constexpr char kPresetCodeAsTextOutput[] = "'$1";
inline constexpr char kPresetWeightAndUnit[] = R"((-?)\+?0*(\d+(?:\.\d+)?)\s*(\S*))";
inline constexpr char kPresetWeightAndUnitOutput[] = "$1$2[TAB]$3";

struct FramePatternPreset {
  const char* name;  // what the dialog lists (code page 932)
  const char* pattern;
  const char* output;  // the output template that goes with it, "" for none
};
extern const FramePatternPreset kFramePatternPresets[6];

// Said by the live result when the sample does not match.
extern const char kPatternPreviewNoMatch[];

enum class PatternPreview { Result, NoMatch, Refused };
// The dialog's live result for a pattern, an output template and a sample line (code page
// 932): `out` gets the shaped sample with the template's keys by their names, the sample as
// it is when both are empty, kPatternPreviewNoMatch, or the reason one of them is refused.
// Not for the reception thread: it takes its work memory from the heap.
PatternPreview PreviewFramePattern(const char* pattern, const char* output, const char* sample,
                                   const TextCodec& codec, char* out, int size);
