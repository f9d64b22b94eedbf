// The output template (OUTPUT): what is typed for each frame the pattern matched, written as
// text with the pattern's groups ($0 .. $9, "$$" a dollar sign) and keys by their names in the
// key code list ("[TAB]", "[SFT]+[TAB]" held together, "[[" an opening bracket). Parsed once
// at a start or in the dialog into fixed pieces; expanded frame after frame into the collected
// frame (ShapedFrame: its text and the keys placed between its characters), allocating
// nothing.
#pragma once
#include <cstdint>

#include "keyout/code_notation.h"
#include "shaping/frame_pattern.h"
#include "shaping/shaped_frame.h"

struct TextCodec;

// Bytes of OUTPUT (code page 932).
inline constexpr int kOutputTemplateBytes = 100;
// Keys a template can place: the shortest key, "[A]", takes three bytes.
inline constexpr int kOutputTemplateKeys = kOutputTemplateBytes / 3;
static_assert(kOutputTemplateKeys == kShapedKeys, "a collected frame holds every key a template places");
// Room for the reason a template is refused (code page 932).
inline constexpr int kOutputTemplateErrorSize = 160;

enum class TemplatePieceKind : std::uint8_t {
  Text,   // bytes of the template typed as they are
  Group,  // the text of a group of the match
  Keys,   // a key list
};

struct TemplatePiece {
  TemplatePieceKind kind;
  std::uint8_t group;   // Group: 0 .. 9
  std::uint8_t start;   // Text: first byte in OutputTemplate::text
  std::uint8_t length;  // Text: bytes
  KeyItem keys[kMaxKeyItems + 1];  // Keys: zero-terminated, KEYITEM_HOLD joins held keys
};

struct OutputTemplate {
  char text[kOutputTemplateBytes + 1];
  TemplatePiece pieces[kOutputTemplateBytes];
  int count;
};

// Parses a zero-terminated code page 932 template for a pattern of `groups` capture groups (0
// without a pattern: only $0, the whole frame). Refused: an unknown key name, a group the
// pattern does not have, a "$" before anything but a digit or "$", an unclosed "[", more than
// kMaxKeyItems keys held together, more than kOutputTemplateBytes bytes. On refusal `error`
// (`errorSize` bytes) says which and false is returned.
bool ParseOutputTemplate(const char* text, int groups, OutputTemplate& out, char* error,
                         int errorSize);

// Fills the frame's text and keys from the template: `text` is the frame's UTF-16 text and
// `match` the pattern's match on it (group 0 the whole frame without a pattern). `scratch`
// holds at least as many units as a group can take, plus one. The text is cut at whole
// characters where it would pass the frame's buffer.
void ExpandOutputTemplate(const OutputTemplate& tpl, const char16_t* text,
                          const FramePatternMatch& match, const TextCodec& codec,
                          char16_t* scratch, ShapedFrame& frame);

// The frame's text with its keys written by their bracketed names ("123[TAB]ABC"), as the log
// records it and the dialog's live result shows it, into `out` (`size` bytes with the
// terminator; cut at whole characters and names). Returns the bytes written.
int FormatShapedText(const ShapedFrame& frame, char* out, int size);
