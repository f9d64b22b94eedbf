#include "support/framing_fakes.h"

#include <cstring>

#include "framing/block_processing.h"

namespace {

void AppendHex(std::string& log, unsigned value, int digits) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) log += kHex[(value >> shift) & 0xF];
}

void Token(std::string& log, char tag, const std::uint8_t* text) {
  log += ' ';
  log += tag;
  // A bound far above any correct call, so that a missing terminator shows as a long token.
  for (int i = 0; i < 64 && text[i] != 0; ++i) AppendHex(log, text[i], 2);
}

}  // namespace

void RecordingOutput::TypeCharacter(const std::uint8_t* text) { Token(log_, 'T', text); }

void RecordingOutput::TypeKeyItems(const KeyItem* list) {
  log_ += " K";
  for (int i = 0; i < 16 && list[i] != 0; ++i) {
    if (i > 0) log_ += ',';
    AppendHex(log_, list[i], 3);
  }
}

void RecordingOutput::LogAppend(const std::uint8_t* text) { Token(log_, 'L', text); }

void RecordingOutput::FrameEnded() { log_ += " E"; }

int RecordingOutput::LogFlush() {
  log_ += " F";
  return 0;
}

void FakeHost::ToggleCapsLock() {
  capsOn = !capsOn;
  log_ += " CAPS";
}

void FakeHost::Pause(std::uint32_t ms) { log_ += " P" + std::to_string(ms); }

void FakeHost::Echo(const char* text, int length) {
  ++echoes;
  if (!display.empty()) display += ' ';
  display.append(text, static_cast<std::size_t>(length));
  // The text is terminated at its length, as the program's echo hands it on.
  if (std::strlen(text) != static_cast<std::size_t>(length)) display += "<unterminated>";
}

int FakeHost::Utf8ToShiftJis(const std::uint8_t* src, int srcLength, std::uint8_t* dst,
                             int dstCapacity) {
  log_ += " U" + std::to_string(srcLength);
  int m = 0;
  for (int i = 0; i < srcLength && m < dstCapacity - 1;) {
    if (i + 2 < srcLength && src[i] == 0xE3 && src[i + 1] == 0x81 && src[i + 2] == 0x82) {
      if (m + 2 > dstCapacity - 1) break;
      dst[m++] = 0x82;
      dst[m++] = 0xA0;
      i += 3;
    } else {
      dst[m++] = src[i++];
    }
  }
  dst[m] = 0;
  return m;
}

void SetCode(CodeBytes& code, std::initializer_list<std::uint8_t> bytes) {
  std::memset(code, 0, sizeof code);
  int i = 0;
  for (std::uint8_t b : bytes) {
    if (i < kMaxCodeBytes + 1) code[i++] = b;
  }
}

void SetKeys(KeySequence& keys, std::initializer_list<KeyItem> items) {
  std::memset(keys, 0, sizeof keys);
  int i = 0;
  for (KeyItem k : items) {
    if (i < kMaxKeyItems + 1) keys[i++] = k;
  }
}

SettingsRecord PlainSettings() {
  SettingsRecord s;
  SetDefaultSettings(s);
  s.RCVSTAOUT = 1;
  s.RCVENDOUT = 1;
  return s;
}

void FramingHarness::Block(const Bytes& bytes) {
  ProcessBlock(st, s, out, host, bytes.data(), static_cast<int>(bytes.size()));
}

int FramingHarness::Bytewise(const Bytes& bytes) {
  int most = 0;
  for (std::uint8_t b : bytes) {
    ProcessBlock(st, s, out, host, &b, 1);
    const int held = AccumulatorLength(st);
    if (held > most) most = held;
  }
  return most;
}

bool FramingHarness::Timeout(std::uint32_t now, std::uint32_t& last) {
  return CheckDataIntervalTimeout(st, s, out, now, last);
}

std::string FramingHarness::TakeLog() {
  std::string r = log.empty() ? log : log.substr(1);
  log.clear();
  return r;
}

std::string FramingHarness::Held() const {
  std::string r;
  for (int i = 0; i < kAccumulatorSize && st.Accumulator[i] != 0; ++i) AppendHex(r, st.Accumulator[i], 2);
  return r;
}
