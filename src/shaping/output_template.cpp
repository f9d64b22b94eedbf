#include "shaping/output_template.h"

#include <cstdio>
#include <cstring>

#include "common/two_byte_text.h"
#include "framing/text_codec.h"
#include "shaping/shaped_frame.h"

namespace {

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// The virtual key whose name in the key code list is name[0..length), either case; 0 if none.
KeyItem KeyByName(const char* name, std::size_t length) {
  for (int code = 0; code < 256; ++code) {
    const char* known = VirtualKeyNames[code];
    if (known[0] == 0 || std::strlen(known) != length) continue;
    std::size_t i = 0;
    while (i < length && Upper(name[i]) == known[i]) ++i;
    if (i == length) return static_cast<KeyItem>(KEYITEM_VKEY | code);
  }
  return 0;
}

// The end of the "[NAME]" that starts at text[i] (the index of its "]"), or -1 if unclosed.
// A two-byte character inside the name is skipped whole: its second byte may be 0x5D.
int NameEnd(const char* text, std::size_t i) {
  for (std::size_t j = i + 1; text[j] != 0; j += CharLength(text, j)) {
    if (text[j] == ']') return static_cast<int>(j);
  }
  return -1;
}

class Parser {
 public:
  Parser(const char* text, int groups, OutputTemplate& out, char* error, int errorSize)
      : text_(text), groups_(groups), out_(out), error_(error), errorSize_(errorSize) {}

  bool Parse() {
    std::size_t i = 0;
    while (text_[i] != 0) {
      const char c = text_[i];
      if (c == '$') {
        if (!Dollar(i)) return false;
      } else if (c == '[' && text_[i + 1] == '[') {
        AddText(i + 1, 1, false);
        i += 2;
      } else if (c == '[') {
        if (!Keys(i)) return false;
      } else {
        const std::size_t n = CharLength(text_, i);
        AddText(i, n, true);
        i += n;
      }
    }
    return true;
  }

 private:
  bool Dollar(std::size_t& i) {
    const char next = text_[i + 1];
    if (next == '$') {
      AddText(i + 1, 1, false);
    } else if (next >= '0' && next <= '9') {
      const int group = next - '0';
      if (group > groups_) {
        if (groups_ == 0) {
          return Fail("出力テンプレートの $%d: パターンがないため $0 (受信データ全体) だけが使えます", group);
        }
        return Fail("出力テンプレートの $%d: パターンのグループ ( ) は %d 個です", group, groups_);
      }
      TemplatePiece& piece = NewPiece(TemplatePieceKind::Group);
      piece.group = static_cast<std::uint8_t>(group);
    } else {
      return Fail("出力テンプレートの %d 文字目の $ の後には 0 から 9 か $ を書いてください",
                  static_cast<int>(i) + 1);
    }
    i += 2;
    return true;
  }

  // "[NAME]" or keys held together, "[NAME]+[NAME]": a "+" joins only when a key follows it.
  bool Keys(std::size_t& i) {
    TemplatePiece& piece = NewPiece(TemplatePieceKind::Keys);
    int count = 0;
    for (;;) {
      const int end = NameEnd(text_, i);
      if (end < 0) {
        return Fail("出力テンプレートの %d 文字目の [ が閉じていません ([ を入力するには [[)",
                    static_cast<int>(i) + 1);
      }
      const std::size_t length = static_cast<std::size_t>(end) - i - 1;
      const KeyItem key = KeyByName(text_ + i + 1, length);
      if (key == 0) {
        char name[24];
        CopyTextCut(name, length + 1 < sizeof name ? length + 1 : sizeof name, text_ + i + 1);
        return Fail("出力テンプレートのキー [%s] はキーコード一覧にありません", name);
      }
      if (count == kMaxKeyItems) {
        return Fail("出力テンプレートの同時に押すキーは %d 個までです", kMaxKeyItems);
      }
      piece.keys[count++] = key;
      i = static_cast<std::size_t>(end) + 1;
      if (text_[i] != '+' || text_[i + 1] != '[' || text_[i + 2] == '[') return true;
      piece.keys[count - 1] |= KEYITEM_HOLD;
      ++i;
    }
  }

  // Bytes of the template typed as they are, joined to the text piece just before when they
  // follow it in the template.
  void AddText(std::size_t at, std::size_t n, bool join) {
    if (join && out_.count > 0) {
      TemplatePiece& last = out_.pieces[out_.count - 1];
      if (last.kind == TemplatePieceKind::Text && last.start + last.length == at) {
        last.length = static_cast<std::uint8_t>(last.length + n);
        return;
      }
    }
    TemplatePiece& piece = NewPiece(TemplatePieceKind::Text);
    piece.start = static_cast<std::uint8_t>(at);
    piece.length = static_cast<std::uint8_t>(n);
  }

  // Every piece takes at least one byte of the template: there is always room.
  TemplatePiece& NewPiece(TemplatePieceKind kind) {
    TemplatePiece& piece = out_.pieces[out_.count++];
    std::memset(&piece, 0, sizeof piece);
    piece.kind = kind;
    return piece;
  }

  template <class... Args>
  bool Fail(const char* format, Args... args) {
    if (errorSize_ > 0) std::snprintf(error_, static_cast<std::size_t>(errorSize_), format, args...);
    out_.count = 0;
    return false;
  }

  const char* text_;
  int groups_;
  OutputTemplate& out_;
  char* error_;
  int errorSize_;
};

// Appends n bytes of code page 932 text to the frame, cut before a character that would not
// fit.
void AppendBytes(ShapedFrame& frame, const char* bytes, int n) {
  int i = 0;
  while (i < n) {
    const int length = IsTwoByteClass(static_cast<std::uint8_t>(bytes[i])) && i + 1 < n ? 2 : 1;
    if (frame.length + length > kShapedTextSize) break;
    std::memcpy(frame.text + frame.length, bytes + i, static_cast<std::size_t>(length));
    frame.length += length;
    i += length;
  }
  frame.text[frame.length] = 0;
}

// A record being written: each name or character whole, and nothing after the first one that
// does not fit.
struct Record {
  char* out;
  int size;
  int used = 0;
  bool full = false;
  void Append(const char* text, int n) {
    if (full || used + n > size - 1) {
      full = true;
      return;
    }
    std::memcpy(out + used, text, static_cast<std::size_t>(n));
    used += n;
  }
};

}  // namespace

bool ParseOutputTemplate(const char* text, int groups, OutputTemplate& out, char* error,
                         int errorSize) {
  out.count = 0;
  out.text[0] = 0;
  if (errorSize > 0) error[0] = 0;
  if (std::strlen(text) > static_cast<std::size_t>(kOutputTemplateBytes)) {
    if (errorSize > 0) {
      std::snprintf(error, static_cast<std::size_t>(errorSize),
                    "出力テンプレートは %d バイトまでです", kOutputTemplateBytes);
    }
    return false;
  }
  std::memcpy(out.text, text, std::strlen(text) + 1);
  return Parser(out.text, groups, out, error, errorSize).Parse();
}

void ExpandOutputTemplate(const OutputTemplate& tpl, const char16_t* text,
                          const FramePatternMatch& match, const TextCodec& codec,
                          char16_t* scratch, ShapedFrame& frame) {
  frame.length = 0;
  frame.text[0] = 0;
  frame.keyCount = 0;
  char* const bytes = reinterpret_cast<char*>(frame.text);
  for (int p = 0; p < tpl.count; ++p) {
    const TemplatePiece& piece = tpl.pieces[p];
    switch (piece.kind) {
      case TemplatePieceKind::Text:
        AppendBytes(frame, tpl.text + piece.start, piece.length);
        break;
      case TemplatePieceKind::Group: {
        const FramePatternSpan span = match.group[piece.group];
        if (span.start < 0) break;  // the group took no part in the match: empty
        const int units = span.end - span.start;
        std::memcpy(scratch, text + span.start, static_cast<std::size_t>(units) * sizeof *scratch);
        scratch[units] = 0;
        frame.length += codec.toCp932(scratch, bytes + frame.length, kShapedTextSize + 1 - frame.length);
        break;
      }
      case TemplatePieceKind::Keys: {
        if (frame.keyCount == kShapedKeys) break;  // never: a template holds no more keys
        ShapedKeys& keys = frame.keys[frame.keyCount++];
        keys.at = frame.length;
        std::memcpy(keys.keys, piece.keys, sizeof keys.keys);
        break;
      }
    }
  }
}

int FormatShapedText(const ShapedFrame& frame, char* out, int size) {
  if (size <= 0) return 0;
  Record record{out, size};
  int next = 0;  // the next keys to place
  for (int i = 0; i <= frame.length;) {
    while (next < frame.keyCount && frame.keys[next].at <= i) {
      for (const KeyItem* key = frame.keys[next].keys; *key != 0; ++key) {
        char name[16];
        const int n = std::snprintf(name, sizeof name, "[%s]%s", VirtualKeyNames[*key & 0xFF],
                                    (*key & KEYITEM_HOLD) != 0 ? "+" : "");
        if (n > 0) record.Append(name, n);
      }
      ++next;
    }
    if (i == frame.length) break;
    const int length = IsTwoByteClass(frame.text[i]) && i + 1 < frame.length ? 2 : 1;
    record.Append(reinterpret_cast<const char*>(frame.text) + i, length);
    i += length;
  }
  out[record.used] = 0;
  return record.used;
}
