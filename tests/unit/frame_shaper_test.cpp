// Whole-frame shaping behind framing: what is typed and logged for a frame the pattern shapes,
// one it drops, a repeat, and where the key lists and the frame's end fall.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "delivery/typing_delivery.h"
#include "framing/block_processing.h"
#include "shaping/frame_shaper.h"
#include "shaping/pattern_presets.h"
#include "support/fake_text_codec.h"
#include "support/framing_fakes.h"

namespace {

constexpr KeyItem kEnter = KEYITEM_VKEY | 0x0D;
constexpr KeyItem kTab = KEYITEM_VKEY | 0x09;

std::uint32_t Now = 0;
std::uint32_t FakeClock() { return Now; }

// Framing with recording fakes, the shaper in front of the recording output.
struct Shaping {
  FramingHarness h;
  TypingDelivery delivery{h.out};
  std::unique_ptr<FramePattern> pattern = std::make_unique<FramePattern>();
  std::unique_ptr<FrameShaper> shaper =
      std::make_unique<FrameShaper>(h.out, delivery, kFakeCodec, FakeClock);

  Shaping() = default;
  Shaping(const Shaping&) = delete;
  Shaping& operator=(const Shaping&) = delete;

  std::unique_ptr<OutputTemplate> output = std::make_unique<OutputTemplate>();

  // filter nullptr: no pattern; tpl nullptr: no output template.
  void Start(const char* filter, std::uint32_t duplicateMs = 0, const char* tpl = nullptr) {
    char error[kOutputTemplateErrorSize];
    ASSERT_EQ(PrepareShaping(filter != nullptr ? filter : "", tpl != nullptr ? tpl : "", kFakeCodec,
                             *pattern, *output, error, sizeof error),
              ShapingRefusal::None)
        << error;
    shaper->Start(ShapingOptions{filter != nullptr ? pattern.get() : nullptr, duplicateMs,
                                 tpl != nullptr ? output.get() : nullptr});
    h.Start();
  }
  void Block(const std::string& bytes) {
    ProcessBlock(h.st, h.s, *shaper, h.host, reinterpret_cast<const std::uint8_t*>(bytes.data()),
                 static_cast<int>(bytes.size()));
  }
  std::string Frame(const std::string& bytes) {
    Block(bytes);
    return h.TakeLog();
  }
};

void StxEtx(Shaping& s) {
  SetCode(s.h.s.RCVSTA, {0x02});
  SetCode(s.h.s.RCVEND, {0x03});
  SetKeys(s.h.s.PRECODE, {kTab});
  SetKeys(s.h.s.POSTCODE, {kEnter});
}

TEST(FrameShaper, TypesTheGroupsJoinedInsidePrecodeAndPostcodeAndLogsThemOnce) {
  Shaping s;
  StxEtx(s);
  s.Start(kPresetStableReading);
  EXPECT_EQ(s.Frame("\x02ST,+00012.34  g\x03"), "L31322E3334 F K109 T31 T32 T2E T33 T34 K10D E");
  EXPECT_EQ(s.Frame("\x02ST,-0001.50 kg\x03"), "L2D312E3530 F K109 T2D T31 T2E T35 T30 K10D E");
}

// The output template puts the fields in cells of their own: its keys are typed between the
// characters, within PRECODE and POSTCODE, and logged by their names.
TEST(FrameShaper, TheOutputTemplateTypesItsKeysBetweenTheFieldsAndLogsThemByName) {
  Shaping s;
  SetCode(s.h.s.RCVEND, {0x0D});
  SetKeys(s.h.s.POSTCODE, {kEnter});
  s.Start("^(\\d+),(\\w+),(\\d+)$", 1000, "$1[TAB]$2[TAB]'$3");
  EXPECT_EQ(s.Frame("123,ABC,007\r"),
            "L3132335B5441425D4142435B5441425D27303037 F "
            "T31 T32 T33 K109 T41 T42 T43 K109 T27 T30 T30 T37 K10D E");  // 123[TAB]ABC[TAB]'007
  EXPECT_EQ(s.Frame("12,3,4\r"), "L31325B5441425D335B5441425D2734 F T31 T32 K109 T33 K109 T27 T34 K10D E");
  Now = 1;  // within DUPTIME: the same text with the keys elsewhere is another frame
  EXPECT_EQ(s.Frame("1,23,4\r"), "L315B5441425D32335B5441425D2734 F T31 K109 T32 T33 K109 T27 T34 K10D E");
  EXPECT_EQ(s.Frame("1,23,4\r"), "") << "a repeat";
  EXPECT_EQ(s.Frame("1,2\r"), "") << "no match";

  // Without a pattern $0 is the whole frame; keys held together are one list.
  Shaping t;
  SetCode(t.h.s.RCVEND, {0x0D});
  t.Start(nullptr, 0, "$0$$[SFT]+[TAB]");
  EXPECT_EQ(t.Frame("AB\r"), "L4142245B5346545D2B5B5441425D F T41 T42 T24 K310,109 E");
}

TEST(FrameShaper, AFrameThatDoesNotMatchIsNeitherTypedNorLogged) {
  Shaping s;
  StxEtx(s);
  s.Start(kPresetStableReading);
  EXPECT_EQ(s.Frame("\x02US,+00012.34  g\x03"), "");
  EXPECT_EQ(s.Frame("\x02\x03"), "") << "an empty frame with its key lists";
  Shaping digits;
  StxEtx(digits);
  digits.Start("\\d*$");
  EXPECT_EQ(digits.Frame("\x02NG\x03"), "") << "a match that leaves nothing to type";
  EXPECT_EQ(s.Frame("\x02ST,7\x03"), "L37 F K109 T37 K10D E") << "the next frame is typed";
}

TEST(FrameShaper, WithoutGroupsTheWholeMatchIsTypedAndKeptCodesAreText) {
  Shaping s;
  StxEtx(s);
  s.h.s.RCVSTAOUT = 0;  // kept: typed and logged, so the pattern sees them
  s.h.s.RCVENDOUT = 0;
  s.Start("\\x02\\D*\\d+");
  EXPECT_EQ(s.Frame("\x02" "ab12c\x03"), "L0261623132 F K109 T02 T61 T62 T31 T32 K10D E");
}

TEST(FrameShaper, TextIsMatchedAsCharactersAndTypedAsWholeTwoByteCharacters) {
  Shaping s;
  SetCode(s.h.s.RCVEND, {0x0D});
  s.Start("^.(.)");  // a two-byte character is one "."
  EXPECT_EQ(s.Frame("\x88\x9f\x82\xa0" "A\r"), "L82A0 F T82A0 E");
  EXPECT_EQ(s.Frame("\xb1\x88\x9f\r"), "L889F F T889F E");
}

TEST(FrameShaper, KeyListsKeepTheirPlaceAroundTheText) {
  // No start code: PRECODE before the first character, POSTCODE at the end code.
  Shaping s;
  SetCode(s.h.s.RCVEND, {0x0D});
  SetKeys(s.h.s.PRECODE, {kTab});
  SetKeys(s.h.s.POSTCODE, {kEnter});
  s.Start(nullptr, 1000);
  EXPECT_EQ(s.Frame("AB\r"), "L4142 F K109 T41 T42 K10D E");

  // A start code without an end code: the POSTCODE owed at the next start code ends the
  // frame before; an empty frame types its key lists.
  Shaping t;
  SetCode(t.h.s.RCVSTA, {0x02});
  SetKeys(t.h.s.PRECODE, {kTab});
  SetKeys(t.h.s.POSTCODE, {kEnter});
  t.Start(nullptr, 1000);
  EXPECT_EQ(t.Frame("\x02" "AB\x02"), "L4142 F K109 T41 T42 K10D E");
  EXPECT_EQ(t.Frame("\x02"), "F K109 K10D E");
}

TEST(FrameShaper, ADataIntervalTimeoutEndsTheFrame) {
  Shaping s;
  s.h.s.DATADELAY = 50;
  s.Start("\\d+");
  EXPECT_EQ(s.Frame("ab12"), "") << "nothing before the frame ends";
  std::uint32_t last = 10;
  EXPECT_TRUE(CheckDataIntervalTimeout(s.h.st, s.h.s, *s.shaper, 60, last));
  EXPECT_EQ(s.h.TakeLog(), "L3132 F T31 T32 E");
}

TEST(FrameShaper, ARepeatWithinTheDuplicateTimeOfTheLastDeliveredFrameIsDropped) {
  Shaping s;
  SetCode(s.h.s.RCVEND, {0x0D});
  s.Start("\\d+", 1000);
  const struct {
    std::uint32_t at;
    const char* frame;
    const char* expected;
  } steps[] = {
      {0, "A12\r", "L3132 F T31 T32 E"},
      {600, "B12\r", ""},                  // the same shaped text, 600 ms after
      {999, "12\r", ""},
      {1000, "12\r", "L3132 F T31 T32 E"},  // 1000 ms after the last one delivered
      {1001, "13\r", "L3133 F T31 T33 E"},  // another text
      {1002, "12\r", "L3132 F T31 T32 E"},  // the last delivered was 13
      {1003, "x\r", ""},                   // no match: the last delivered stays 12
      {1004, "12\r", ""},
      {0xFFFFFF00u, "7\r", "L37 F T37 E"},
      {0xFFFFFF10u, "7\r", ""},  // 16 ms later, the end of the time past the wrap
      {0x00000010u, "7\r", ""},  // 0x110 ms after the last delivered, across the wrap
  };
  for (const auto& step : steps) {
    Now = step.at;
    EXPECT_EQ(s.Frame(step.frame), step.expected) << "at " << step.at;
  }
}

TEST(FrameShaper, AStartForgetsTheFrameCollectedBeforeAStopAndTheLastDelivered) {
  Shaping s;
  SetCode(s.h.s.RCVEND, {0x0D});
  s.Start(nullptr, 1000);
  Now = 0;
  EXPECT_EQ(s.Frame("AB\r"), "L4142 F T41 T42 E");
  EXPECT_EQ(s.Frame("CD"), "");  // stopped here, inside a frame
  s.Start(nullptr, 1000);
  EXPECT_EQ(s.Frame("AB\r"), "L4142 F T41 T42 E");
}

// An inner output that stops taking keys and log text once stopped, as the program's does.
class StoppingOutput : public FrameOutput {
 public:
  explicit StoppingOutput(RecordingOutput& out) : out_(out) {}
  int typed = 0;
  int stopAfter = 1000;
  void TypeCharacter(const std::uint8_t* t) override {
    if (typed++ < stopAfter) out_.TypeCharacter(t);
  }
  void TypeKeyItems(const KeyItem* list) override {
    if (typed < stopAfter) out_.TypeKeyItems(list);
  }
  void LogAppend(const std::uint8_t* t) override {
    if (typed < stopAfter) out_.LogAppend(t);
  }
  void FrameEnded() override { out_.FrameEnded(); }
  int LogFlush() override { return out_.LogFlush(); }

 private:
  RecordingOutput& out_;
};

// The record is written where the frame ends, before the frame is typed: a stop during the
// typing leaves the record in the log.
TEST(FrameShaper, AStopWhileTheFrameIsTypedKeepsItsRecord) {
  FramingHarness h;
  SetCode(h.s.RCVEND, {0x0D});
  SetKeys(h.s.POSTCODE, {kEnter});
  StoppingOutput inner(h.out);
  TypingDelivery delivery(inner);
  auto shaper = std::make_unique<FrameShaper>(inner, delivery, kFakeCodec, FakeClock);
  shaper->Start(ShapingOptions{});
  h.Start();
  inner.stopAfter = 2;
  const std::uint8_t frame[] = {'A', 'B', 'C', '\r'};
  ProcessBlock(h.st, h.s, *shaper, h.host, frame, 4);
  EXPECT_EQ(h.TakeLog(), "L414243 F T41 T42 E");
}

TEST(FrameShaper, ATextLongerThanTheLogBufferLosesItsEndNeverHalfACharacter) {
  Shaping s;
  SetCode(s.h.s.RCVEND, {0x0D});
  s.Start("(.)$");
  s.Block(std::string(kShapedTextSize - 1, 'A') + "\x88\x9f" "B\r");
  EXPECT_EQ(s.h.TakeLog(), "L41 F T41 E");
}

// The patterns the dialog offers, and the live result it shows.
TEST(FrameShaper, PresetsAndTheLiveResult) {
  const struct {
    const char* pattern;
    const char* output;
    const char* sample;
    const char* expected;  // nullptr: no match
  } rows[] = {
      {kPresetNumber, "", "+00012.34", "12.34"},
      {kPresetNumber, "", "-0003.5", "-3.5"},
      {kPresetNumber, "", "W: 0.50", "0.50"},
      {kPresetNumber, "", "000", "0"},
      {kPresetNumber, "", "x-y 5", "5"},
      {kPresetNumber, "", "abc", nullptr},
      {kPresetStableReading, "", "ST,+00012.34  g", "12.34"},
      {kPresetStableReading, "", "ST,-00000.00  g", "-0.00"},
      {kPresetStableReading, "", "US,+00012.34  g", nullptr},
      {kPresetStableReading, "", "OL,+99999.99  g", nullptr},
      {kPresetDigits, "", "ABC-12345-6", "123456"},
      {kPresetDigits, "", "1a2b3c4d5e6f7g8h9", "12345678"},
      {"(\\d+)\\D+(\\d+)", "", "\x88\x9f" "12\x82\xa0" "34", "1234"},
      // Only the outermost groups are typed without a template; with one, any group.
      {"((\\d+)\\.\\d+)", "", "12.5", "12.5"},
      {"((\\d+)\\.(\\d+))-(\\d)", "", "1.5-7", "1.57"},
      {"((\\d+)\\.\\d+)", "$2[[$1]", "12.5", "12[12.5]"},
      {"", "", "a b", "a b"},
      {"", "<$0>", "a b", "<a b>"},
      {"(x)|(\\d)", "$1:$2", "7", ":7"},  // a group that took no part is empty
      {"(\\d)", "[ENT]", "x", nullptr},
      {kPresetThreeFields, kPresetThreeFieldsOutput, "123,ABC,007", "123[TAB]ABC[TAB]007"},
      {kPresetThreeFields, kPresetThreeFieldsOutput, "1,,3,4", "1[TAB][TAB]3"},
      {kPresetCodeAsText, kPresetCodeAsTextOutput, "4901234567894", "'4901234567894"},
      {kPresetWeightAndUnit, kPresetWeightAndUnitOutput, "ST,+00012.34  g", "12.34[TAB]g"},
      {kPresetWeightAndUnit, kPresetWeightAndUnitOutput, "-0001.50 kg", "-1.50[TAB]kg"},
  };
  char out[64];
  for (const auto& row : rows) {
    const PatternPreview r =
        PreviewFramePattern(row.pattern, row.output, row.sample, kFakeCodec, out, sizeof out);

    if (row.expected == nullptr) {
      EXPECT_EQ(r, PatternPreview::NoMatch) << row.sample;
      EXPECT_STREQ(out, kPatternPreviewNoMatch);
    } else {
      EXPECT_EQ(r, PatternPreview::Result) << row.sample;
      EXPECT_STREQ(out, row.expected) << row.sample;
    }
  }
  EXPECT_EQ(PreviewFramePattern("(a", "$1", "a", kFakeCodec, out, sizeof out), PatternPreview::Refused);
  EXPECT_STREQ(out, kPatternErrorParenthesis);
  char small[4];  // the record is cut before the first name that does not fit, with no gap
  EXPECT_EQ(PreviewFramePattern("", "a[TAB]b", "x", kFakeCodec, small, sizeof small), PatternPreview::Result);
  EXPECT_STREQ(small, "a");
  const std::string longest(kFramePatternBytes, 'a');
  EXPECT_EQ(PreviewFramePattern(longest.c_str(), "", "", kFakeCodec, out, sizeof out), PatternPreview::NoMatch);
  EXPECT_EQ(PreviewFramePattern((longest + "a").c_str(), "", "", kFakeCodec, out, sizeof out),
            PatternPreview::Refused);
  EXPECT_STREQ(out, kPatternErrorTooLong);
}

}  // namespace
