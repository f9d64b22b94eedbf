#include <gtest/gtest.h>

#include <cstdint>

#include "config/main_dialog_values.h"

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

}  // namespace
