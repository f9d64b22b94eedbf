// The sample settings files shipped with the program and the user guides that explain them.
// Each sample is read with the program's own reader, must be byte for byte the file the program
// itself would write for it, and a frame from the device is run through the real block
// processing, framing and keystroke planning. A keyboard that decodes Alt codes the way Windows
// does for the user turns the planned key events back into the typed text, which must be what
// the guides promise: each guide has a table row naming the sample, the bytes sent and the text
// typed, and the row must hold exactly the texts checked here.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "config/settings.h"
#include "delivery/typing_delivery.h"
#include "framing/block_processing.h"
#include "framing/frame_output.h"
#include "framing/framer.h"
#include "framing/shift_jis_conversion.h"
#include "keyout/code_notation.h"
#include "keyout/keystrokes.h"
#include "shaping/frame_shaper.h"
#include "support/fake_text_codec.h"

#ifndef _WIN32
#include <iconv.h>
#endif

namespace {

// The repository root, as the build gives it.
std::string RepoRoot() { return TAMBLIX_SOURCE_DIR; }

std::string ReadBytes(const std::string& path) {
  std::string bytes;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return bytes;
  char buf[4096];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
  std::fclose(f);
  return bytes;
}

// A line of doc that holds every one of the texts, each in backticks.
bool GuideHasLine(const std::string& doc, std::initializer_list<std::string> texts) {
  std::size_t start = 0;
  while (start < doc.size()) {
    std::size_t end = doc.find('\n', start);
    if (end == std::string::npos) end = doc.size();
    const std::string line = doc.substr(start, end - start);
    bool all = true;
    for (const std::string& t : texts) all = all && line.find("`" + t + "`") != std::string::npos;
    if (all) return true;
    start = end + 1;
  }
  return false;
}

// "02 34 39" -> bytes.
std::vector<std::uint8_t> HexBytes(const char* text) {
  std::vector<std::uint8_t> out;
  unsigned v = 0;
  int n = 0;
  while (std::sscanf(text, "%2x%n", &v, &n) == 1) {
    out.push_back(static_cast<std::uint8_t>(v));
    text += n;
    while (*text == ' ') ++text;
  }
  return out;
}

// Turns planned key events back into what the user sees typed: an Alt code (Alt held, keypad
// digits, Alt released) becomes its character, one byte up to 255, else a two-byte code page
// 932 character; any other batch becomes the names of its keys, "[CTRL]+[C]" for a group.
class TypingKeyboard final : public Keyboard {
 public:
  std::string typed;

  bool MainDialogInFront() override { return false; }
  void PostChar(std::uint8_t) override { typed += "<posted>"; }
  int SendInput(const KeyRecord* records, int count) override {
    bool first = true;
    for (int i = 0; i < count; ++i) {
      if (AltCodeKey(records[i]) || (records[i].flags & kKeyFlagUp)) continue;
      if (!first) typed += "+";
      typed += std::string("[") + VirtualKeyNames[records[i].vk & 0xFF] + "]";
      first = false;
    }
    return count;
  }
  bool ForegroundRefusesInput() override { return false; }
  // A Japanese layout gives the control characters their own keys.
  KeyboardLayout ForegroundLayout() override { return 0; }
  std::int16_t VkKeyScanChar(std::uint8_t ch, KeyboardLayout) override {
    return (ch == 0x08 || ch == 0x09 || ch == 0x0D || ch == 0x1B) ? ch : -1;
  }
  unsigned MapVkToScan(std::uint8_t, KeyboardLayout) override { return 0; }
  int Cp932ToUtf16(const std::uint8_t*, int, std::uint16_t*, int) override { return 0; }
  void Pause(unsigned) override {}

 private:
  // Alt, or a keypad digit while Alt is held: a key of an Alt code, decoded here.
  bool AltCodeKey(const KeyRecord& r) {
    const bool up = (r.flags & kKeyFlagUp) != 0;
    if (r.vk == kVkMenu) {
      if (!up) {
        altHeld_ = true;
        altValue_ = 0;
      } else if (altHeld_) {
        altHeld_ = false;
        if (altValue_ > 255) typed += static_cast<char>(altValue_ >> 8);
        typed += static_cast<char>(altValue_ & 0xFF);
      }
      return true;
    }
    if (!altHeld_ || r.vk < kVkNumpad0 || r.vk > kVkNumpad0 + 9) return false;
    if (!up) altValue_ = altValue_ * 10 + (r.vk - kVkNumpad0);
    return true;
  }

  bool altHeld_ = false;
  unsigned altValue_ = 0;
};

class TypingOutput final : public FrameOutput {
 public:
  explicit TypingOutput(KeyOutput& keys) : keys_(keys) {}
  void TypeCharacter(const std::uint8_t* text) override { keys_.TypeCharacter(text); }
  void TypeKeyItems(const KeyItem* list) override { keys_.TypeKeyItems(list); }
  void LogAppend(const std::uint8_t*) override {}
  void FrameEnded() override {}
  int LogFlush() override { return 0; }

 private:
  KeyOutput& keys_;
};

// The platform side of block processing; the UTF-8 conversion is the program's own on Windows
// and the C library's code page 932 converter natively.
class QuietHost final : public ReceptionHost {
 public:
  bool CapsLockOn() override { return false; }
  void ToggleCapsLock() override {}
  void Pause(std::uint32_t) override {}
  bool MainDialogInFront() override { return false; }
  void Echo(const char*, int) override {}
  int Utf8ToShiftJis(const std::uint8_t* src, int srcLength, std::uint8_t* dst,
                     int dstCapacity) override {
#ifdef _WIN32
    return ::Utf8ToShiftJis(src, srcLength, dst, dstCapacity);
#else
    iconv_t cd = iconv_open("CP932", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1) || dstCapacity <= 0) return 0;
    char* in = reinterpret_cast<char*>(const_cast<std::uint8_t*>(src));
    char* out = reinterpret_cast<char*>(dst);
    std::size_t inLeft = static_cast<std::size_t>(srcLength);
    std::size_t outLeft = static_cast<std::size_t>(dstCapacity - 1);
    iconv(cd, &in, &inLeft, &out, &outLeft);
    iconv_close(cd);
    const int n = dstCapacity - 1 - static_cast<int>(outLeft);
    dst[n] = 0;
    return n;
#endif
  }
};

// The text a frame types: the sample's settings, reception started, one block from the port.
std::string TypedText(const SettingsRecord& s, const std::vector<std::uint8_t>& block) {
  TypingKeyboard keyboard;
  KeyOutput keys(keyboard, s.SENDDELAY);
  TypingOutput out(keys);
  QuietHost host;
  FramerState st;
  InitFrameFlags(st, s);
  // A sample with a pattern types what the shaper keeps of each frame.
  static FramePattern pattern;
  const char* error = nullptr;
  if (s.FILTER[0] != 0 && !CompileFramePattern932(s.FILTER, kFakeCodec, pattern, &error)) return error;
  TypingDelivery delivery(out);
  auto shaper = std::make_unique<FrameShaper>(out, delivery, kFakeCodec, [] { return std::uint32_t{0}; });
  ShapingOptions options;
  options.pattern = &pattern;
  shaper->Start(options);
  FrameOutput& framed = s.FILTER[0] != 0 ? static_cast<FrameOutput&>(*shaper) : out;
  ProcessBlock(st, s, framed, host, block.data(), static_cast<int>(block.size()));
  return keyboard.typed;
}

// The main dialog's texts and values for the fields a sample sets.
std::map<std::string, std::string> DialogFields(const SettingsRecord& s) {
  char text[kNotationDisplaySize];
  std::map<std::string, std::string> f;
  const std::pair<const char*, const std::uint8_t*> codes[] = {
      {"KANJIIN", s.KANJIIN}, {"KANJIOUT", s.KANJIOUT}, {"KANAIN", s.KANAIN},
      {"KANAOUT", s.KANAOUT}, {"RCVSTA", s.RCVSTA},     {"RCVEND", s.RCVEND}};
  for (const auto& [key, code] : codes) {
    FormatCodeNotation(code, text, sizeof text);
    f[key] = text;
  }
  FormatCodeNotation(s.PRECODE, text, sizeof text);
  f["PRECODE"] = text;
  FormatCodeNotation(s.POSTCODE, text, sizeof text);
  f["POSTCODE"] = text;
  f["RCVSTAOUT"] = std::to_string(s.RCVSTAOUT);
  f["RCVENDOUT"] = std::to_string(s.RCVENDOUT);
  f["CONVCODE"] = std::to_string(s.CONVCODE);
  f["BAUD"] = std::to_string(s.BAUD);
  f["DATADELAY"] = std::to_string(s.DATADELAY);
  f["SOURCE"] = std::to_string(s.SOURCE);
  f["TCPHOST"] = s.TCPHOST;
  f["TCPPORT"] = std::to_string(s.TCPPORT);
  f["PORTID"] = s.PORTID;
  return f;
}

std::map<std::string, std::string> Fields(std::map<std::string, std::string> set) {
  std::map<std::string, std::string> f = {
      {"KANJIIN", ""},  {"KANJIOUT", ""},  {"KANAIN", ""},   {"KANAOUT", ""},
      {"RCVSTA", ""},   {"RCVEND", ""},    {"PRECODE", ""},  {"POSTCODE", ""},
      {"RCVSTAOUT", "0"}, {"RCVENDOUT", "0"}, {"CONVCODE", "0"}, {"BAUD", "4"},
      {"DATADELAY", "50"}, {"SOURCE", "0"}, {"TCPHOST", ""}, {"TCPPORT", "4001"},
      {"PORTID", ""}};
  for (const auto& [k, v] : set) f[k] = v;
  return f;
}

// One text in two encodings: the program's code page 932 and the guides' UTF-8.
#define BOTH_ENCODINGS(text) text, reinterpret_cast<const char*>(u8##text)

struct Sample {
  const char* file;
  std::map<std::string, std::string> fields;
  const char* sentHex;      // the bytes the device sends, as the guides write them
  const char* typed;        // code page 932
  const char* typedInGuide; // UTF-8
};

const Sample kSamples[] = {
    {"stx_etx.ini",
     Fields({{"RCVSTA", "x02"}, {"RCVEND", "x03"}, {"RCVSTAOUT", "1"}, {"RCVENDOUT", "1"},
             {"POSTCODE", "v0D"}}),
     "02 34 39 31 32 03 58 02 41 42 03", BOTH_ENCODINGS("4912[ENT]AB[ENT]")},
    {"cr_suffix.ini",
     Fields({{"RCVEND", "x0D"}, {"RCVENDOUT", "1"}, {"POSTCODE", "v0D"}}),
     "41 42 43 2D 31 32 33 0D 58 59 0D", BOTH_ENCODINGS("ABC-123[ENT]XY[ENT]")},
    {"jis_kanji.ini",
     Fields({{"KANJIIN", "x1B x24 x42"}, {"KANJIOUT", "x1B x28 x42"}, {"RCVEND", "x0D"},
             {"RCVENDOUT", "1"}, {"POSTCODE", "v0D"}}),
     "1B 24 42 45 6C 35 7E 1B 28 42 41 31 0D", BOTH_ENCODINGS("東京A1[ENT]")},
    {"utf8_device.ini",
     Fields({{"CONVCODE", "1"}, {"BAUD", "0"}, {"RCVEND", "x0D x0A"}, {"RCVENDOUT", "1"},
             {"POSTCODE", "v0D"}}),
     "E5 93 81 E7 95 AA 2D 37 0D 0A", BOTH_ENCODINGS("品番-7[ENT]")},
    // A balance asked by hot key ("Q" CR LF): a stable reading typed as its number, an
    // unstable one not at all.
    {"balance_hotkey.ini",
     Fields({{"BAUD", "6"}, {"RCVEND", "x0D x0A"}, {"RCVENDOUT", "1"}, {"POSTCODE", "v0D"}}),
     "53 54 2C 2B 30 30 30 31 32 2E 33 34 20 20 67 0D 0A 55 53 2C 2B 30 30 30 31 32 2E 35 30 20 20 67 0D 0A",
     BOTH_ENCODINGS("12.34[ENT]")},
    // A balance asked after each answer (ESC "P" CR LF): a reading with its unit is stable.
    {"balance_continuous.ini",
     Fields({{"RCVEND", "x0D x0A"}, {"RCVENDOUT", "1"}, {"POSTCODE", "v0D"}}),
     "2D 20 20 20 20 30 2E 35 30 20 67 20 20 0D 0A 2B 20 20 20 31 32 2E 33 36 20 20 20 20 0D 0A",
     BOTH_ENCODINGS("-0.50[ENT]")},
    // From the network: a serial device server in TCP server mode, a balance with a LAN
    // interface polled by its timer, a reader that speaks Telnet (the data after its commands).
    {"tcp_device_server.ini",
     Fields({{"RCVEND", "x0D"}, {"RCVENDOUT", "1"}, {"POSTCODE", "v0D"}, {"SOURCE", "1"},
             {"TCPHOST", "192.168.127.254"}}),
     "34 39 31 32 0D", BOTH_ENCODINGS("4912[ENT]")},
    {"tcp_balance.ini",
     Fields({{"RCVEND", "x0D x0A"}, {"RCVENDOUT", "1"}, {"POSTCODE", "v0D"}, {"SOURCE", "1"},
             {"TCPHOST", "192.168.1.50"}, {"TCPPORT", "10001"}}),
     "53 54 2C 2B 30 30 30 31 32 2E 33 34 20 20 67 0D 0A", BOTH_ENCODINGS("12.34[ENT]")},
    // A USB adapter followed by the identity of the device that carries its serial number.
    {"usb_followed.ini",
     Fields({{"RCVEND", "x0D"}, {"RCVENDOUT", "1"}, {"POSTCODE", "v0D"},
             {"PORTID", "USB\\VID_0403&PID_6001\\A12345"}}),
     "41 42 43 2D 31 32 33 0D", BOTH_ENCODINGS("ABC-123[ENT]")},
    {"telnet_reader.ini",
     Fields({{"RCVEND", "x0D x0A"}, {"RCVENDOUT", "1"}, {"POSTCODE", "v0D"}, {"SOURCE", "3"},
             {"TCPHOST", "192.168.1.60"}, {"TCPPORT", "23"}}),
     "41 42 2D 37 0D 0A", BOTH_ENCODINGS("AB-7[ENT]")},
};

void PrintTo(const Sample& sample, std::ostream* os) { *os << sample.file; }

class SampleFile : public ::testing::TestWithParam<Sample> {
 protected:
  std::string Path() const { return RepoRoot() + "samples/" + GetParam().file; }
};

TEST_P(SampleFile, IsTheFileTheProgramWritesForIt) {
  const std::string bytes = ReadBytes(Path());
  ASSERT_FALSE(bytes.empty()) << Path();
  SettingsRecord s;
  ReadSettingsFile(s, Path().c_str());
  char text[kSettingsTextSize];
  const int n = FormatSettingsText(s, text, sizeof text);
  EXPECT_EQ(bytes, std::string(text, static_cast<std::size_t>(n)));
}

TEST_P(SampleFile, LoadsTheIntendedFields) {
  SettingsRecord s;
  ReadSettingsFile(s, Path().c_str());
  EXPECT_EQ(DialogFields(s), GetParam().fields);
}

TEST_P(SampleFile, TypesWhatTheGuidesSay) {
  SettingsRecord s;
  ReadSettingsFile(s, Path().c_str());
  EXPECT_EQ(TypedText(s, HexBytes(GetParam().sentHex)), GetParam().typed);
}

// Each guide has one line naming the sample file with the bytes sent and the text typed.
TEST_P(SampleFile, IsExplainedInBothGuides) {
  for (const char* guide : {"docs/guide-en.md", "docs/guide-ja.md"}) {
    const std::string doc = ReadBytes(RepoRoot() + guide);
    ASSERT_FALSE(doc.empty()) << guide;
    EXPECT_TRUE(GuideHasLine(doc, {GetParam().file, GetParam().sentHex, GetParam().typedInGuide}))
        << guide << " has no row for " << GetParam().file << " with `" << GetParam().sentHex
        << "` and `" << GetParam().typedInGuide << "`";
  }
}

INSTANTIATE_TEST_SUITE_P(Shipped, SampleFile, ::testing::ValuesIn(kSamples),
                         [](const ::testing::TestParamInfo<Sample>& info) {
                           std::string name = info.param.file;
                           for (char& c : name)
                             if (c == '.') c = '_';
                           return name;
                         });

// The guides' examples of the code notation: what the parser shows beneath the field, and a
// guide line holding both texts in backticks.
struct NotationExample {
  NotationMode mode;
  const char* text;
  const char* display;
};

const NotationExample kNotationExamples[] = {
    {NotationMode::Bytes, "x02", "<STX>"},
    {NotationMode::Bytes, "x0D x0A", "<CR> <LF>"},
    {NotationMode::Bytes, "D13 d10", "<CR> <LF>"},
    {NotationMode::Bytes, "x1B x24 x42", "<ESC> $ B"},
    {NotationMode::Bytes, "x1B x28 x42", "<ESC> <( > B"},
    {NotationMode::Bytes, "x1B $ B", "<ESC> $ B"},
    {NotationMode::Bytes, "x41  x42", "A Err B"},
    {NotationMode::Bytes, "v0D", "Err"},
    {NotationMode::Keys, "v0D", "[ENT]"},
    {NotationMode::Keys, "v09", "[TAB]"},
    {NotationMode::Keys, "v74", "[F5]"},
    {NotationMode::Keys, "v11+v43 v0D", "[CTRL]+[C] [ENT]"},
    {NotationMode::Keys, "v10+v09", "[SFT]+[TAB]"},
    {NotationMode::Keys, "x2D v0D", "- [ENT]"},
    {NotationMode::Keys, "v11+x41+v0D", "[CTRL]+Err+[ENT]"},
    {NotationMode::Keys, "abc v0D", "Err [ENT]"},
    {NotationMode::Keys, "v07", "Err"},
};

TEST(GuideNotationExamples, ShowWhatTheParserShowsAndStandInBothGuides) {
  const std::string en = ReadBytes(RepoRoot() + "docs/guide-en.md");
  const std::string ja = ReadBytes(RepoRoot() + "docs/guide-ja.md");
  for (const NotationExample& e : kNotationExamples) {
    EXPECT_STREQ(ParseCodeNotation(e.text, e.mode).display, e.display) << e.text;
    EXPECT_TRUE(GuideHasLine(en, {e.text, e.display})) << "guide-en.md: " << e.text;
    EXPECT_TRUE(GuideHasLine(ja, {e.text, e.display})) << "guide-ja.md: " << e.text;
  }
}

// The decoding keyboard itself: an Alt code above 255 is a two-byte character, a group is
// joined by "+"; without this a wrong decoder could make any sample pass.
TEST(SampleTypingKeyboard, DecodesAltCodesAndKeyGroups) {
  SettingsRecord s;
  SetDefaultSettings(s);
  TypingKeyboard keyboard;
  KeyOutput keys(keyboard, s.SENDDELAY);
  const std::uint8_t kanji[] = {0x93, 0x8C, 0};
  keys.TypeCharacter(kanji);
  const std::uint8_t a[] = {'a', 0};
  keys.TypeCharacter(a);
  const KeyItem copy[] = {0x0311, 0x0143, 0x010D, 0};
  keys.TypeKeyItems(copy);
  EXPECT_EQ(keyboard.typed, "\x93\x8C" "a[CTRL]+[C][ENT]");
}

}  // namespace
