#include "keyout/code_notation.h"

#include <cstdio>
#include <cstring>

#include "common/text_rules.h"
#include "common/two_byte_text.h"

namespace {

struct Token {
  const char* text;
  std::size_t length;
  bool endedByPlus;  // key mode: the token was joined to the next one with "+"
};

// The number at the start of text[0..length): optional sign, then digits of the base up to the
// first other character. False when there is no digit. At most 3 characters are ever given,
// so the value cannot overflow.
bool LeadingNumber(const char* text, std::size_t length, int base, int& value) {
  const NumberRead r = ReadNumber(text, length, 0xFFF, Sign::Allowed, base);
  const int v = static_cast<int>(r.value);
  value = r.negative ? -v : v;
  return r.status != NumberStatus::NoDigits;
}

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// The item a token stands for, or 0 for an error. lastValid is the most recent valid item
// before this token (0 when there is none).
KeyItem ReadToken(const Token& t, NotationMode mode, KeyItem lastValid) {
  const bool keys = mode == NotationMode::Keys;
  const KeyItem hold = t.endedByPlus ? KEYITEM_HOLD : 0;
  if (t.length == 1) {
    const auto b = static_cast<unsigned char>(t.text[0]);
    return b >= 0x01 && b <= 0x7F ? static_cast<KeyItem>(b | hold) : 0;
  }
  const char letter = Upper(t.text[0]);
  const std::size_t restLength = t.length - 1;
  int code = 0;
  if (letter == 'D' && restLength <= 3) {
    LeadingNumber(t.text + 1, restLength, 10, code);
    return code >= 1 && code <= 255 ? static_cast<KeyItem>(code | hold) : 0;
  }
  if (letter == 'X' && restLength <= 2) {
    if (!LeadingNumber(t.text + 1, restLength, 16, code) || code < 1 || code > 255) return 0;
    // An X code may open or close a "+" group but not stand inside one.
    if (keys && t.endedByPlus && (lastValid & KEYITEM_HOLD)) return 0;
    return static_cast<KeyItem>(code | hold);
  }
  if (letter == 'V' && restLength <= 2) {
    if (!keys) return 0;
    if (!LeadingNumber(t.text + 1, restLength, 16, code) || code < 1 || code > 255) return 0;
    if (VirtualKeyNames[code][0] == 0) return 0;
    return static_cast<KeyItem>(code | KEYITEM_VKEY | hold);
  }
  return 0;
}

// Appends text to the display (size bytes), never past its end.
void Append(char* display, std::size_t size, const char* text) {
  const std::size_t used = std::strlen(display);
  const std::size_t room = size - 1 - used;
  std::size_t n = std::strlen(text);
  if (n > room) n = room;
  std::memcpy(display + used, text, n);
  display[used + n] = 0;
}

void AppendItemName(char* display, std::size_t size, KeyItem item) {
  char framed[16];
  const int code = item & 0xFF;
  if (item == 0) {
    Append(display, size, "Err");
  } else if (item & KEYITEM_VKEY) {
    std::snprintf(framed, sizeof framed, "[%s]", VirtualKeyNames[code]);
    Append(display, size, framed);
  } else if (std::strlen(CharCodeNames[code]) == 1) {
    Append(display, size, CharCodeNames[code]);
  } else {
    std::snprintf(framed, sizeof framed, "<%s>", CharCodeNames[code]);
    Append(display, size, framed);
  }
}

bool IsSeparator(char c, NotationMode mode) { return c == ' ' || (c == '+' && mode == NotationMode::Keys); }

// Writes "x%02X"/"v%02X" items (or "D%d" for letter 'D') with their separators into out; a
// piece that does not fit is left out whole.
void AppendCode(char* out, std::size_t size, std::size_t& used, const char* separator, char letter, int code) {
  char piece[8];
  const int n = letter == 'D' ? std::snprintf(piece, sizeof piece, "%sD%d", separator, code & 0xFF)
                              : std::snprintf(piece, sizeof piece, "%s%c%02X", separator, letter, code & 0xFF);
  if (n <= 0 || used + static_cast<std::size_t>(n) + 1 > size) return;
  std::memcpy(out + used, piece, static_cast<std::size_t>(n) + 1);
  used += static_cast<std::size_t>(n);
}

// Splits text into at most maxTokens tokens, hands item i of each to store(i, item) and writes
// what the text means into display (size bytes, at least 1).
template <typename Store>
void ParseTokens(const char* text, NotationMode mode, int maxTokens, char* display, std::size_t size, Store store) {
  display[0] = 0;
  if (text == nullptr) return;
  KeyItem lastValid = 0;
  const char* p = text;
  for (int i = 0; i < maxTokens && *p != 0; ++i) {
    Token t{p, 0, false};
    while (*p != 0 && !IsSeparator(*p, mode)) ++p;
    t.length = static_cast<std::size_t>(p - t.text);
    if (*p != 0) t.endedByPlus = *p++ == '+';  // the separator belongs to no token
    const KeyItem item = t.length == 0 ? 0 : ReadToken(t, mode, lastValid);
    if (display[0] != 0) Append(display, size, (lastValid & KEYITEM_HOLD) ? "+" : " ");
    AppendItemName(display, size, item);
    store(i, item);
    if (item != 0) lastValid = item;
  }
}

}  // namespace

CodeNotation ParseCodeNotation(const char* text, NotationMode mode) {
  CodeNotation result{};
  const int maxTokens = mode == NotationMode::Keys ? kMaxKeyItems : kMaxCodeBytes;
  ParseTokens(text, mode, maxTokens, result.display, sizeof result.display,
              [&result](int i, KeyItem item) { result.items[i] = item; });
  return result;
}

void ParseByteList(const char* text, std::uint8_t* bytes, int count, char* display, std::size_t displaySize) {
  for (int i = 0; i < count; ++i) bytes[i] = 0;
  if (displaySize == 0) return;
  ParseTokens(text, NotationMode::Bytes, count, display, displaySize,
              [bytes](int i, KeyItem item) { bytes[i] = static_cast<std::uint8_t>(item & 0xFF); });
}

ByteCodes ParseByteCodes(const char* text) {
  ByteCodes result{};
  ParseByteList(text, result.bytes, kMaxCodeBytes, result.display, sizeof result.display);
  return result;
}

void FormatByteList(const std::uint8_t* bytes, int count, char* out, std::size_t size) {
  if (size == 0) return;
  out[0] = 0;
  std::size_t used = 0;
  for (int i = 0; i < count && bytes[i] != 0; ++i) AppendCode(out, size, used, i == 0 ? "" : " ", 'x', bytes[i]);
}

void FormatCodeNotation(const std::uint8_t* bytes, char* out, std::size_t size) {
  FormatByteList(bytes, kMaxCodeBytes, out, size);
}

void FormatCodeNotation(const KeyItem* items, char* out, std::size_t size) {
  if (size == 0) return;
  out[0] = 0;
  std::size_t used = 0;
  int i = 0;
  for (; i < kMaxKeyItems && items[i] != 0; ++i) {
    const bool heldBefore = i > 0 && (items[i - 1] & KEYITEM_HOLD) != 0;
    const char* separator = i == 0 ? "" : (heldBefore ? "+" : " ");
    // Inside a "+" group the parser refuses an X token; a D token says the same code.
    const bool inGroup = heldBefore && (items[i] & KEYITEM_HOLD) != 0;
    const char letter = (items[i] & KEYITEM_VKEY) != 0 ? 'v' : (inGroup ? 'D' : 'x');
    AppendCode(out, size, used, separator, letter, items[i]);
  }
  // A hold on the last item is written too ("v11+"), so the text parses back to the same list.
  if (i > 0 && (items[i - 1] & KEYITEM_HOLD) != 0 && used + 2 <= size) {
    out[used++] = '+';
    out[used] = 0;
  }
}

// ---- the names of the codes -------------------------------------------------------------------

// Bytes 0xA1-0xDF are written as escapes: they are the half-width katakana of code page 932
// and must reach the program as those single bytes.

const char* const CharCodeNames[256] = {
    "NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL",
    "BS", "HT", "LF", "VT", "FF", "CR", "SO", "SI",
    "DLE", "DC1", "DC2", "DC3", "DC4", "NAK", "SYN", "ETB",
    "CAN", "EM", "SUB", "ESC", "FS", "GS", "RS", "US",
    "SPC", "!", "\"", "#", "$", "%", "&", "'",
    "( ", " )", "*", "+", ",", "-", ".", "/",
    "0", "1", "2", "3", "4", "5", "6", "7",
    "8", "9", ":", ";", "<", "=", ">", "?",
    "@", "A", "B", "C", "D", "E", "F", "G",
    "H", "I", "J", "K", "L", "M", "N", "O",
    "P", "Q", "R", "S", "T", "U", "V", "W",
    "X", "Y", "Z", "[", "\\", "]", "^", "_",
    "`", "a", "b", "c", "d", "e", "f", "g",
    "h", "i", "j", "k", "l", "m", "n", "o",
    "p", "q", "r", "s", "t", "u", "v", "w",
    "x", "y", "z", "{", "|", "}", "~", "DEL",
    "x80", "x81", "x82", "x83", "x84", "x85", "x86", "x87",
    "x88", "x89", "x8A", "x8B", "x8C", "x8D", "x8E", "x8F",
    "x90", "x91", "x92", "x93", "x94", "x95", "x96", "x97",
    "x98", "x99", "x9A", "x9B", "x9C", "x9D", "x9E", "x9F",
    "xA0", "\xA1", "\xA2", "\xA3", "\xA4", "\xA5", "\xA6", "\xA7",
    "\xA8", "\xA9", "\xAA", "\xAB", "\xAC", "\xAD", "\xAE", "\xAF",
    "\xB0", "\xB1", "\xB2", "\xB3", "\xB4", "\xB5", "\xB6", "\xB7",
    "\xB8", "\xB9", "\xBA", "\xBB", "\xBC", "\xBD", "\xBE", "\xBF",
    "\xC0", "\xC1", "\xC2", "\xC3", "\xC4", "\xC5", "\xC6", "\xC7",
    "\xC8", "\xC9", "\xCA", "\xCB", "\xCC", "\xCD", "\xCE", "\xCF",
    "\xD0", "\xD1", "\xD2", "\xD3", "\xD4", "\xD5", "\xD6", "\xD7",
    "\xD8", "\xD9", "\xDA", "\xDB", "\xDC", "\xDD", "\xDE", "\xDF",
    "xE0", "xE1", "xE2", "xE3", "xE4", "xE5", "xE6", "xE7",
    "xE8", "xE9", "xEA", "xEB", "xEC", "xED", "xEE", "xEF",
    "xF0", "xF1", "xF2", "xF3", "xF4", "xF5", "xF6", "xF7",
    "xF8", "xF9", "xFA", "xFB", "xFC", "xFD", "xFE", "xFF",
};

const char* const VirtualKeyNames[256] = {
    "", "LBTN", "RBTN", "CAN", "MBTN", "", "", "",
    "BACK", "TAB", "", "", "CLR", "ENT", "", "",
    "SFT", "CTRL", "ALT", "PAUS", "CAPS", "KANA", "", "",
    "", "KANJ", "", "ESC", "CNV", "NCNV", "", "",
    "SPC", "PUP", "PDWN", "END", "HOME", "LEFT", "UP", "RIT",
    "DOWN", "SEL", "PRN", "EXE", "PSCR", "INS", "DEL", "HELP",
    "0", "1", "2", "3", "4", "5", "6", "7",
    "8", "9", "", "", "", "", "", "",
    "", "A", "B", "C", "D", "E", "F", "G",
    "H", "I", "J", "K", "L", "M", "N", "O",
    "P", "Q", "R", "S", "T", "U", "V", "W",
    "X", "Y", "Z", "LWIN", "RWIN", "APL", "", "SLEP",
    "T0", "T1", "T2", "T3", "T4", "T5", "T6", "T7",
    "T8", "T9", "T*", "T+", "TENT", "T-", "T.", "T/",
    "F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8",
    "F9", "F10", "F11", "F12", "F13", "F14", "F15", "F16",
    "F17", "F18", "F19", "F20", "F21", "F22", "F23", "F24",
    "", "", "", "", "", "", "", "",
    "NUML", "SCRL", "", "", "", "", "", "",
    "", "", "", "", "", "", "", "",
    "LSFT", "RSFT", "LCTL", "RCTL", "LALT", "RALT", "", "",
    "", "", "", "", "", "", "", "",
    "", "", "", "", "", "", "", "",
    "", "", "", "", "", "", "", "",
    "", "", "", "", "", "", "", "",
    "", "", "", "", "", "", "", "",
    "", "", "", "", "", "", "", "",
    "", "", "", "", "", "", "", "",
    "", "", "", "", "", "", "", "",
    "", "", "", "", "", "", "", "",
    "", "", "", "", "", "", "", "",
    "", "", "", "", "", "", "", "",
};
