#include <gtest/gtest.h>

#include <cstdint>

#include "config/dialog_controls.h"

namespace {

TEST(PortFromText, NumberAfterFirstComLowByteMinusOne) {
  struct Row {
    const char* text;
    bool found;
    std::uint8_t port;
  };
  const Row rows[] = {
      {"COM1", true, 0},    {"COM12", true, 11},  {"COM0", true, 0},   {"COM", true, 0},
      {"xCOM3 y", true, 2}, {"COM2 COM5", true, 1}, {"COM256", true, 0}, {"COM300", true, 43},
      {"com3", false, 7},   {"", false, 7},
  };
  for (const Row& r : rows) {
    std::uint8_t port = 7;
    EXPECT_EQ(PortFromText(r.text, &port), r.found) << r.text;
    EXPECT_EQ(port, r.port) << r.text;
  }
}

// The text shown for every PORT up to 254 reads back as the same PORT ("COM256" keeps only
// the low 8 bits of 256).
TEST(FormatPortText, ReadsBackAsThePort) {
  for (int p = 0; p <= 254; ++p) {
    char text[16];
    FormatPortText(static_cast<std::uint8_t>(p), text, sizeof text);
    std::uint8_t back = 0;
    ASSERT_TRUE(PortFromText(text, &back)) << text;
    EXPECT_EQ(back, p) << text;
  }
}

TEST(HoldIntervalText, HeldToOneThrough2000) {
  struct Row {
    const char* text;
    std::int16_t value;
    bool replace;
  };
  const Row rows[] = {
      {"1", 1, false},     {"2000", 2000, false}, {" 50ms", 50, false}, {"0", 1, true},
      {"-7", 1, true},     {"", 1, true},         {"abc", 1, true},     {"2001", 2000, true},
      {"9999", 2000, true}, {"99999999999999999999", 2000, true},
  };
  for (const Row& r : rows) {
    const HeldNumber held = HoldIntervalText(r.text);
    EXPECT_EQ(held.value, r.value) << r.text;
    EXPECT_EQ(held.replace, r.replace) << r.text;
  }
}

// The extended dialog's numbers: REQTIMER 0..30000 with 1..99 raised to 100, TARGETWAIT
// 1..3600; what is not a number in range is refused.
TEST(CheckNumberText, RangeRaisedStartAndRefusals) {
  struct Row {
    const char* text;
    std::int16_t min, max, raiseTo;
    bool accepted;
    std::int16_t value;
  };
  const Row rows[] = {
      {"0", 0, 30000, 100, true, 0},       {"", 0, 30000, 100, true, 0},
      {"1", 0, 30000, 100, true, 100},     {"99", 0, 30000, 100, true, 100},
      {"100", 0, 30000, 100, true, 100},   {"30000", 0, 30000, 100, true, 30000},
      {"30001", 0, 30000, 100, false, 0},  {"99999999999999999999", 0, 30000, 0, false, 0},
      {"-5", 0, 30000, 0, false, 0},       {"5 ", 0, 30000, 0, false, 0},
      {"1e3", 0, 30000, 0, false, 0},      {"0", 1, 3600, 0, false, 0},
      {"", 1, 3600, 0, false, 0},          {"3600", 1, 3600, 0, true, 3600},
      {"0030", 1, 3600, 0, true, 30},      {"3601", 1, 3600, 0, false, 0},
  };
  for (const Row& r : rows) {
    const CheckedNumber n = CheckNumberText(r.text, r.min, r.max, r.raiseTo);
    EXPECT_EQ(n.accepted, r.accepted) << r.text << " in " << r.min << ".." << r.max;
    if (r.accepted) {
      EXPECT_EQ(n.value, r.value) << r.text;
    }
  }
}

}  // namespace
