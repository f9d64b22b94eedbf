// One block read from the port: Caps Lock, echo, conversion and 0x00 bytes.
#include <gtest/gtest.h>

#include "reception/block_processing.h"
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
  EXPECT_EQ(h.TakeLog(), "F");
}

TEST(BlockProcessing, ConversionTakesTheWholeBlockAndFramesTheConvertedBytes) {
  FramingHarness h;
  h.s.CONVCODE = 1;
  SetCode(h.s.RCVEND, {0x0D});
  h.host.inFront = true;
  h.Start();
  h.Block({0xE3, 0x81, 0x82, 0x00, 0x41, 0x0D});
  EXPECT_EQ(h.host.display, "xE3 x81 x82 x00 x41 x0D");  // the echo shows the bytes as received
  EXPECT_EQ(h.TakeLog(), "U6 L82A0 T82A0 L41 T41 F");
}

TEST(BlockProcessing, WithoutConversionUtf8IsFramedAsReceived) {
  FramingHarness h;
  h.Start();
  h.Block({0xE3, 0x81, 0x82});
  EXPECT_EQ(h.TakeLog(), "LE381 TE381");
  EXPECT_EQ(h.Held(), "82");
}

TEST(BlockProcessing, AnOverlongBlockIsConvertedInPieces) {
  FramingHarness h;
  h.s.CONVCODE = 1;
  h.Start();
  Bytes block(kConvertPieceBytes + 3, 0x41);
  h.Block(block);
  const std::string log = h.TakeLog();
  EXPECT_EQ(log.rfind("U2048 ", 0), 0u);
  EXPECT_NE(log.find(" U3 "), std::string::npos);
}

}  // namespace
