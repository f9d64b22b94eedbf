// One block read from the port: Caps Lock, echo, conversion and 0x00 bytes.
#include <gtest/gtest.h>

#include <sstream>

#include "framing/block_processing.h"
#include "support/framing_fakes.h"

namespace {

TEST(BlockProcessing, CapsLockIsSwitchedOffAroundTheBlockAndBackOnWithAPause) {
  FramingHarness h;
  h.host.capsOn = true;
  h.Start();
  h.Block({0x41});
  EXPECT_EQ(h.TakeLog(), "CAPS L41 T41 CAPS P10");
  EXPECT_TRUE(h.host.capsOn);
}

TEST(BlockProcessing, CapsLockIsSwitchedEvenWhenNothingIsTyped) {
  FramingHarness h;
  SetCode(h.s.RCVSTA, {0x02});
  h.host.capsOn = true;
  h.Start();
  h.Block({0x41});
  EXPECT_EQ(h.TakeLog(), "CAPS CAPS P10");
}

TEST(BlockProcessing, CapsLockOffIsLeftAlone) {
  FramingHarness h;
  h.Start();
  h.Block({0x41});
  EXPECT_EQ(h.TakeLog(), "L41 T41");
}

TEST(BlockProcessing, AnEmptyBlockDoesNothing) {
  FramingHarness h;
  h.host.capsOn = true;
  h.host.inFront = true;
  h.Start();
  h.Block({});
  EXPECT_EQ(h.TakeLog(), "");
  EXPECT_EQ(h.host.display, "");
}

TEST(BlockProcessing, EchoIsHexPerByteBlankSeparatedIncludingDiscardedBytes) {
  FramingHarness h;
  SetCode(h.s.RCVSTA, {0x02});
  h.host.inFront = true;
  h.Start();
  h.Block({0x41, 0x02, 0xAB, 0x0A});
  EXPECT_EQ(h.host.display, "x41 x02 xAB x0A");
  h.Block({0xFF});
  EXPECT_EQ(h.host.display, "x41 x02 xAB x0A xFF");
  EXPECT_EQ(h.host.echoes, 2) << "one echo per block";
}

// The longest read (2047 bytes) is echoed in one piece; a longer block in pieces that join to
// the same text.
TEST(BlockProcessing, ABlockIsEchoedWholeInPiecesOfAtMost2048Bytes) {
  for (const int n : {2047, 2048, 2049, 4100}) {
    SCOPED_TRACE(n);
    FramingHarness h;
    SetCode(h.s.RCVSTA, {0x02});  // nothing is framed
    h.host.inFront = true;
    h.Start();
    Bytes block(static_cast<std::size_t>(n));
    std::string expected;
    for (int i = 0; i < n; ++i) {
      block[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(0x30 + i % 10);
      expected += (i > 0 ? " x3" : "x3") + std::to_string(i % 10);
    }
    h.Block(block);
    EXPECT_EQ(h.host.display, expected);
    EXPECT_EQ(h.host.echoes, (n + 2047) / 2048);
  }
}

TEST(BlockProcessing, NoEchoWhenTheMainDialogIsNotInFront) {
  FramingHarness h;
  h.Start();
  h.Block({0x41});
  EXPECT_EQ(h.host.display, "");
}

TEST(BlockProcessing, ANulByteIsEchoedAndDroppedAndTheRestOfTheBlockIsFramed) {
  FramingHarness h;
  h.host.inFront = true;
  h.Start();
  h.Block({0x41, 0x00, 0x42, 0x00, 0x00, 0x43});
  EXPECT_EQ(h.host.display, "x41 x00 x42 x00 x00 x43");
  EXPECT_EQ(h.TakeLog(), "L41 T41 L42 T42 L43 T43");
}

TEST(BlockProcessing, ANulByteIsPartOfNoCode) {
  FramingHarness h;
  SetCode(h.s.RCVEND, {0x0D, 0x0A});
  h.Start();
  h.Block({0x0D, 0x00, 0x0A});  // the NUL neither breaks nor completes the held code
  EXPECT_EQ(h.TakeLog(), "E F");
}

TEST(BlockProcessing, ConversionTakesTheWholeBlockAndFramesTheConvertedBytes) {
  FramingHarness h;
  h.s.CONVCODE = 1;
  SetCode(h.s.RCVEND, {0x0D});
  h.host.inFront = true;
  h.Start();
  h.Block({0xE3, 0x81, 0x82, 0x00, 0x41, 0x0D});
  EXPECT_EQ(h.host.display, "xE3 x81 x82 x00 x41 x0D");  // the echo shows the bytes as received
  EXPECT_EQ(h.TakeLog(), "U6 L82A0 T82A0 L41 T41 E F");
}

TEST(BlockProcessing, WithoutConversionUtf8IsFramedAsReceived) {
  FramingHarness h;
  h.Start();
  h.Block({0xE3, 0x81, 0x82});
  EXPECT_EQ(h.TakeLog(), "LE381 TE381");
  EXPECT_EQ(h.Held(), "82");
}

// With conversion, a host that records each piece handed to the conversion.
class PieceHost final : public FakeHost {
 public:
  using FakeHost::FakeHost;
  std::vector<Bytes> pieces;
  int Utf8ToShiftJis(const std::uint8_t* src, int srcLength, std::uint8_t* dst,
                     int dstCapacity) override {
    pieces.emplace_back(src, src + srcLength);
    return FakeHost::Utf8ToShiftJis(src, srcLength, dst, dstCapacity);
  }
};

struct Conversion {
  SettingsRecord s = PlainSettings();
  FramerState st;
  std::string log;
  RecordingOutput out{log};
  PieceHost host{log};
  Conversion() {
    s.CONVCODE = 1;
    s.DATADELAY = 50;
    InitFrameFlags(st, s);
  }
  void Block(const Bytes& b) { ProcessBlock(st, s, out, host, b.data(), static_cast<int>(b.size())); }
};

// The recorded calls without the conversion's own tokens (U<n>).
std::string TypedAndLogged(const std::string& log) {
  std::istringstream tokens(log);
  std::string token, r;
  while (tokens >> token) {
    if (token[0] != 'U') r += (r.empty() ? "" : " ") + token;
  }
  return r;
}

// Between blocks: nothing, the data interval running out, "クリア", a new start of reception.
enum class Between { Nothing, Timeout, Reset, Start };

struct CarryCase {
  const char* what;
  std::vector<Bytes> blocks;
  Between between;  // what happens after each block but the last
  std::vector<Bytes> pieces;
};

const CarryCase kCarryCases[] = {
    {"3-byte character cut after its lead", {{0x41, 0xE3}, {0x81, 0x82, 0x42}}, Between::Nothing,
     {{0x41}, {0xE3, 0x81, 0x82, 0x42}}},
    {"3-byte character cut before its last byte", {{0xE3, 0x81}, {0x82}}, Between::Nothing,
     {{0xE3, 0x81, 0x82}}},
    {"2-byte character", {{0xC3}, {0xA9}}, Between::Nothing, {{0xC3, 0xA9}}},
    {"4-byte character one byte per read", {{0xF0}, {0x9F}, {0x98}, {0x80}}, Between::Nothing,
     {{0xF0, 0x9F, 0x98, 0x80}}},
    {"4-byte character cut before its last byte", {{0xF0, 0x9F, 0x98}, {0x80, 0x41}},
     Between::Nothing, {{0xF0, 0x9F, 0x98, 0x80, 0x41}}},
    {"held bytes that the next byte cannot complete are converted once, as invalid input",
     {{0xE3, 0x81}, {0x41}, {0x42}}, Between::Nothing, {{0xE3, 0x81, 0x41}, {0x42}}},
    {"a NUL byte after a held lead", {{0xE3}, {0x00, 0x41}}, Between::Nothing,
     {{0xE3, 0x00, 0x41}}},
    {"a stray continuation byte is converted at once", {{0x41, 0x80}, {0x81}}, Between::Nothing,
     {{0x41, 0x80}, {0x81}}},
    {"the data interval running out drops the held bytes", {{0x41, 0xE3, 0x81}, {0x82, 0x42}},
     Between::Timeout, {{0x41}, {0x82, 0x42}}},
    {"a reset drops the held bytes", {{0xE3, 0x81}, {0x82}}, Between::Reset, {{0x82}}},
    {"a new start drops the held bytes", {{0xE3, 0x81}, {0x82}}, Between::Start, {{0x82}}},
};

TEST(BlockProcessing, ConversionIsHandedWholeCharactersWhereverReadsCutThem) {
  for (const CarryCase& c : kCarryCases) {
    Conversion k;
    for (std::size_t i = 0; i < c.blocks.size(); ++i) {
      k.Block(c.blocks[i]);
      if (i + 1 == c.blocks.size()) break;
      if (c.between == Between::Timeout) {
        std::uint32_t last = 1000;
        EXPECT_TRUE(CheckDataIntervalTimeout(k.st, k.s, k.out, 2000, last)) << c.what;
      }
      if (c.between == Between::Reset) ResetFraming(k.st);
      if (c.between == Between::Start) InitFrameFlags(k.st, k.s);
    }
    EXPECT_EQ(k.host.pieces, c.pieces) << c.what;
  }
}

// A full read (2047 bytes) after two held bytes needs two pieces; the piece boundary falls
// inside a character, which the second piece gets whole.
TEST(BlockProcessing, APieceBoundaryInsideACharacterLosesNothing) {
  Conversion k;
  k.Block({0xE3, 0x81});
  Bytes block = {0x82};
  for (int i = 0; i < 682; ++i) block.insert(block.end(), {0xE3, 0x81, 0x82});
  ASSERT_EQ(block.size(), 2047u);
  k.log.clear();
  k.Block(block);
  ASSERT_EQ(k.host.pieces.size(), 2u);
  EXPECT_EQ(k.host.pieces[0].size(), 2046u);
  EXPECT_EQ(k.host.pieces[1], (Bytes{0xE3, 0x81, 0x82}));
  std::string expected;
  for (int i = 0; i < 683; ++i) expected += i == 0 ? "L82A0 T82A0" : " L82A0 T82A0";
  EXPECT_EQ(TypedAndLogged(k.log), expected);
}

}  // namespace
