// Fuzzing of the output template: the input gives a pattern, a template and a frame (code page
// 932 bytes; the ASCII stand-in codec below keeps the bytes' count). A crash, a leak, a
// refusal without a reason, a parse that names a group the pattern lacks or a piece outside
// the template, an expansion past the frame's text or with keys out of order or past the text,
// and a record past its buffer or without its terminator abort. A first byte with its high bit
// set repeats the frame to the whole text buffer, so that the cut at its end is reached.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "shaping/frame_shaper.h"
#include "shaping/output_template.h"

namespace {

// Code page 932 stand-in: one unit per byte both ways, so lengths are easy to check.
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
    out[n] = static_cast<char>(text[n] & 0xFF);
    ++n;
  }
  out[n] = 0;
  return n;
}
const TextCodec kByteCodec = {ToUtf16, ToCp932};

FramePattern Pattern;
OutputTemplate Template;
FrameShapingWork Work;
ShapedFrame Frame;

void CheckParsed(int groups) {
  if (Template.count < 0 || Template.count > kOutputTemplateBytes) std::abort();
  const int length = static_cast<int>(std::strlen(Template.text));
  int keys = 0;
  for (int p = 0; p < Template.count; ++p) {
    const TemplatePiece& piece = Template.pieces[p];
    if (piece.kind == TemplatePieceKind::Group && piece.group > groups) std::abort();
    if (piece.kind == TemplatePieceKind::Text && piece.start + piece.length > length) std::abort();
    if (piece.kind == TemplatePieceKind::Keys && (piece.keys[0] == 0 || piece.keys[kMaxKeyItems] != 0)) std::abort();
    if (piece.kind == TemplatePieceKind::Keys) ++keys;
  }
  if (keys > kShapedKeys) std::abort();
}

void CheckExpanded() {
  if (Frame.length < 0 || Frame.length > kShapedTextSize || Frame.text[Frame.length] != 0) std::abort();
  if (Frame.keyCount < 0 || Frame.keyCount > kShapedKeys) std::abort();
  int last = 0;
  for (int k = 0; k < Frame.keyCount; ++k) {
    if (Frame.keys[k].at < last || Frame.keys[k].at > Frame.length) std::abort();
    last = Frame.keys[k].at;
  }
  static char record[64 + 8];
  std::memset(record, 0x55, sizeof record);
  const int n = FormatShapedText(Frame, record, 64);
  if (n < 0 || n >= 64 || record[n] != 0) std::abort();
  for (int i = 64; i < static_cast<int>(sizeof record); ++i) {
    if (record[i] != 0x55) std::abort();
  }
}

// Takes a zero-terminated piece of at most `most` bytes from the input.
const char* Take(const std::uint8_t*& data, std::size_t& size, char* out, std::size_t most) {
  std::size_t n = 0;
  while (n < size && n < most && data[n] != 0) {
    out[n] = static_cast<char>(data[n]);
    ++n;
  }
  out[n] = 0;
  const std::size_t used = n < size ? n + 1 : n;
  data += used;
  size -= used;
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const bool repeat = (data[0] & 0x80) != 0;
  ++data;
  --size;
  char filter[kFramePatternBytes + 1];
  char output[kOutputTemplateBytes + 8];
  Take(data, size, filter, kFramePatternBytes);
  Take(data, size, output, kOutputTemplateBytes + 4);  // a little past the limit too
  char error[kOutputTemplateErrorSize];
  std::memset(error, 0, sizeof error);
  const ShapingRefusal refused = PrepareShaping(filter, output, kByteCodec, Pattern, Template, error, sizeof error);
  if (refused != ShapingRefusal::None) {
    if (error[0] == 0 || std::memchr(error, 0, sizeof error) == nullptr) std::abort();
    return 0;
  }
  if (output[0] == 0) return 0;
  CheckParsed(filter[0] != 0 ? Pattern.groups : 0);
  int n = 0;
  for (; static_cast<std::size_t>(n) < size && n < kShapedTextSize; ++n) {
    Frame.text[n] = data[n] != 0 ? data[n] : 'x';
  }
  if (repeat && n > 0) {
    for (int i = n; i < kShapedTextSize; ++i) Frame.text[i] = Frame.text[i % n];
    n = kShapedTextSize;
  }
  Frame.text[n] = 0;
  Frame.length = n;
  ShapingOptions options;
  options.pattern = filter[0] != 0 ? &Pattern : nullptr;
  options.output = &Template;
  if (ShapeCollectedFrame(options, kByteCodec, Work, Frame)) CheckExpanded();
  return 0;
}
