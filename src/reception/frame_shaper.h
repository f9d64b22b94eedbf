// Whole-frame shaping, while a frame pattern, a duplicate time or target windows are set: the
// frame collected whole (ShapedFrame), the frame pattern on code page 932 texts (compiling
// FILTER, shaping a frame's text, the dialog's live result) with the conversion it matches
// through (TextCodec), and the FrameShaper, the output that collects and shapes each frame.
#pragma once
#include <cstdint>

#include "keyout/code_notation.h"
#include "reception/frame_output.h"
#include "reception/frame_pattern.h"
#include "reception/output_template.h"

// ---- text conversion

// Conversion between code page 932, the program's text, and UTF-16, on which the frame pattern
// matches (so that a class or "." takes a whole kanji, never half of one). A seam: the program
// gives the system's conversion with 932 named (kCp932Codec); tests give their own.
struct TextCodec {
  // The UTF-16 form of a zero-terminated code page 932 text in `out` (`capacity` units with
  // the terminator), cut at whole characters; returns the units without the terminator.
  int (*toUtf16)(const char* text, char16_t* out, int capacity);
  // The code page 932 form of a zero-terminated UTF-16 text in `out` (`size` bytes with the
  // terminator), never half a two-byte character; returns the bytes without the terminator.
  int (*toCp932)(const char16_t* text, char* out, int size);
};

// The program's conversion: 932 named, whatever the system's code page (text_codec_win32.cpp,
// with common/wide_text_win32.h doing the work; Windows only).
extern const TextCodec kCp932Codec;

// ---- the collected frame

// A frame collected whole: the key lists framing asked for before its text, the text as it
// would be typed (code page 932, after shaping by the frame pattern and the output template)
// with the template's keys between its characters, and the key lists after it. Frames are collected when a frame pattern, a duplicate time or a target window is set;
// otherwise framing types character by character and no ShapedFrame exists.

// The text a frame can hold: the size of the log buffer's text.
inline constexpr int kShapedTextSize = 2000;
// Key lists framing can ask for on either side of a frame's text (PRECODE, an owed POSTCODE).
inline constexpr int kShapedKeyLists = 2;
// Keys the output template can place between the characters of the text.
inline constexpr int kShapedKeys = kOutputTemplateKeys;

struct ShapedFrame {
  KeyItem before[kShapedKeyLists][kMaxKeyItems + 1];  // zero-terminated lists, unused ones empty
  std::uint8_t text[kShapedTextSize + 1];             // zero-terminated
  int length;                                         // bytes of text
  ShapedKeys keys[kShapedKeys];                       // in the order of their places
  int keyCount;
  KeyItem after[kShapedKeyLists][kMaxKeyItems + 1];
};

// Where a collected frame goes once it has been shaped and logged: typed at once, or held
// until the target window is in front.
class FrameDelivery {
 public:
  virtual ~FrameDelivery() = default;
  virtual void DeliverFrame(const ShapedFrame& frame) = 0;
};

// ---- the frame pattern on code page 932 texts

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

enum class PatternPreview { Result, NoMatch, Refused };
// The dialog's live result for a pattern, an output template and a sample line (code page
// 932): `out` gets the shaped sample with the template's keys by their names, the sample as
// it is when both are empty, kPatternPreviewNoMatch, or the reason one of them is refused.
// Not for the reception thread: it takes its work memory from the heap.
PatternPreview PreviewFramePattern(const char* pattern, const char* output, const char* sample,
                                   const TextCodec& codec, char* out, int size);

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

// Types a collected frame: the key lists before its text, the text one character at a time
// (one byte, or a lead byte and its trail byte) with the template's keys at their places, the
// key lists after it.
void TypeShapedFrame(const ShapedFrame& frame, FrameOutput& out);

// The delivery that types each frame at once.
class TypingDelivery final : public FrameDelivery {
 public:
  explicit TypingDelivery(FrameOutput& out) : out_(out) {}
  void DeliverFrame(const ShapedFrame& frame) override { TypeShapedFrame(frame, out_); }

 private:
  FrameOutput& out_;
};
