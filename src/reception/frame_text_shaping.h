// The frame pattern on code page 932 texts: compiling FILTER, shaping a frame's text (what is
// typed: the capture groups joined in order, or the whole match without groups) and the live
// result the settings dialog shows.
#pragma once
#include "reception/frame_pattern.h"
#include "reception/shaped_frame.h"
#include "reception/text_codec.h"

// Bytes of FILTER (code page 932).
inline constexpr int kFramePatternBytes = 100;

// Patterns the dialog offers. The number keeps a minus sign and drops a plus sign and leading
// zeros: "+00012.34" gives "12.34", "-0003.5" gives "-3.5". The stable reading takes the
// number of an "ST," line of a balance (unstable "US," and overload "OL," lines do not match).
inline constexpr char kPresetNumber[] = R"((-?)\+?0*(\d+(?:\.\d+)?))";
inline constexpr char kPresetStableReading[] = R"(^ST,\s*(-?)\+?0*(\d+(?:\.\d+)?))";
// The digits of the frame and nothing else, in up to eight runs: "4912-3456 78" types
// "4912345678".
inline constexpr char kPresetDigits[] = R"(^\D*(\d*)\D*(\d*)\D*(\d*)\D*(\d*)\D*(\d*)\D*(\d*)\D*(\d*)\D*(\d*))";

struct FramePatternPreset {
  const char* name;  // what the dialog lists (code page 932)
  const char* pattern;
};
extern const FramePatternPreset kFramePatternPresets[3];

// Said by the live result when the sample does not match.
extern const char kPatternPreviewNoMatch[];

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
// gets the groups that took part, joined in order, or the whole match for a pattern without
// groups; returns its bytes.
int ShapeFrameText(const FramePattern& pattern, const TextCodec& codec, FrameShapingWork& work,
                   const char* text, char* out, int size);

enum class PatternPreview { Result, NoMatch, Refused };
// The dialog's live result for a pattern and a sample line (both code page 932): `out` gets the
// shaped sample, kPatternPreviewNoMatch, or the reason the pattern is refused. Not for the
// reception thread: it takes its work memory from the heap.
PatternPreview PreviewFramePattern(const char* pattern, const char* sample, const TextCodec& codec,
                                   char* out, int size);
