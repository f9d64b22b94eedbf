// Where the last complete UTF-8 character of a read ends: what is held back for the next read.
#include <gtest/gtest.h>

#include <vector>

#include "reception/utf8_carry.h"

namespace {

struct Case {
  const char* what;
  std::vector<std::uint8_t> bytes;
  int complete;  // expected Utf8CompleteLength
};

const Case kCases[] = {
    {"nothing", {}, 0},
    {"ASCII", {0x41}, 1},
    {"a whole 3-byte character", {0x41, 0xE3, 0x81, 0x82}, 4},
    {"1 of 3 bytes", {0x41, 0xE3}, 1},
    {"2 of 3 bytes", {0x41, 0xE3, 0x81}, 1},
    {"1 of 2 bytes", {0xC3}, 0},
    {"a whole 2-byte character", {0xC3, 0xA9}, 2},
    {"1 of 4 bytes", {0xF0}, 0},
    {"2 of 4 bytes", {0xF0, 0x9F}, 0},
    {"3 of 4 bytes", {0x41, 0xF0, 0x9F, 0x98}, 1},
    {"a whole 4-byte character", {0xF0, 0x9F, 0x98, 0x80}, 4},
    {"a lead after a lead: only the second is held", {0xE3, 0xE3, 0x81}, 1},
    {"a stray continuation byte is not held", {0x41, 0x80}, 2},
    {"continuation bytes alone are not held", {0x80, 0x80, 0x80}, 3},
    {"one continuation too many is not held", {0xE3, 0x81, 0x82, 0x81}, 4},
    {"C0 never starts a character", {0x41, 0xC0}, 2},
    {"C1 never starts a character", {0xC1}, 1},
    {"F5 never starts a character", {0xF5}, 1},
    {"FF never starts a character", {0x41, 0xFF}, 2},
    {"E0 80 is overlong", {0xE0, 0x80}, 2},
    {"E0 A0 may still complete", {0xE0, 0xA0}, 0},
    {"ED A0 is a surrogate", {0xED, 0xA0}, 2},
    {"ED 9F may still complete", {0xED, 0x9F}, 0},
    {"F0 8F is overlong", {0xF0, 0x8F}, 2},
    {"F4 90 is above U+10FFFF", {0xF4, 0x90, 0x80}, 3},
    {"F4 8F may still complete", {0xF4, 0x8F, 0xBF}, 0},
    {"a NUL byte ends a held lead", {0xE3, 0x00}, 2},
    {"a NUL byte between lead and continuation", {0xE3, 0x00, 0x81}, 3},
    {"a NUL byte before a lead", {0x00, 0xE3, 0x81}, 1},
};

TEST(Utf8CompleteLength, HoldsBackOnlyACharacterThatMoreBytesCanComplete) {
  for (const Case& c : kCases) {
    EXPECT_EQ(Utf8CompleteLength(c.bytes.data(), static_cast<int>(c.bytes.size())), c.complete)
        << c.what;
  }
}

}  // namespace
