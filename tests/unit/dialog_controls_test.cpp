#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <type_traits>
#include <variant>

#include "config/dialog_controls.h"
#include "config/settings.h"

namespace {

// Byte offset of the row's field in the record; -1 for a row without a field.
long FieldOffset(const ControlBinding& row) {
  static const SettingsRecord record{};
  const void* field = nullptr;
  if (row.byte != nullptr) field = &(record.*row.byte);
  if (row.number != nullptr) field = &(record.*row.number);
  if (row.code != nullptr) field = &(record.*row.code);
  if (row.request != nullptr) field = &(record.*row.request);
  if (row.keys != nullptr) field = &(record.*row.keys);
  if (row.text != nullptr) field = &(record.*row.text);
  if (row.word != nullptr) field = &(record.*row.word);
  if (row.portId != nullptr) field = &(record.*row.portId);
  if (field == nullptr) return -1;
  return static_cast<const char*>(field) - reinterpret_cast<const char*>(&record);
}

// Where a key's field lies in the record and how it is held, from its member's type.
struct KeyField {
  long offset;
  std::size_t count;  // number elements without the terminator of an array
};

KeyField FieldOf(const SettingField& d) {
  static const SettingsRecord record{};
  return std::visit(
      [](auto member) {
        const auto& field = record.*member;
        using T = std::remove_cvref_t<decltype(field)>;
        const long offset = reinterpret_cast<const char*>(&field) - reinterpret_cast<const char*>(&record);
        if constexpr (std::is_array_v<T>) {
          return KeyField{offset, std::extent_v<T> - 1};
        } else {
          return KeyField{offset, 1};
        }
      },
      d.member);
}

const SettingField* KeyAt(long offset) {
  for (const SettingField& d : kSettingFields) {
    if (FieldOf(d).offset == offset) return &d;
  }
  return nullptr;
}

struct Table {
  const char* name;
  std::span<const ControlBinding> rows;
};

const Table kTables[] = {{"main dialog", MainDialogControls()}, {"extended dialog", ExtDialogControls()}};

// Every key of the settings file but the log settings (which their own dialog edits) is shown
// by exactly one control of the two dialogs, each control appears once in its dialog, and every
// control that holds a setting is disabled while reception runs.
TEST(SettingsDialogControls, EachSettingOnceDisabledWhileReceiving) {
  std::multiset<long> bound;
  for (const Table& table : kTables) {
    std::set<int> ids;
    for (const ControlBinding& row : table.rows) {
      const std::string where = std::string(table.name) + ", control " + std::to_string(row.id);
      EXPECT_TRUE(ids.insert(row.id).second) << where << " appears twice";
      const long offset = FieldOffset(row);
      EXPECT_EQ(offset < 0, row.kind == ControlKind::Button) << where;
      if (offset < 0) continue;
      bound.insert(offset);
      EXPECT_FALSE(row.enabledWhileReceiving) << where;
      const SettingField* key = KeyAt(offset);
      ASSERT_NE(key, nullptr) << where << " binds no key";
      EXPECT_NE(std::strncmp(key->key, "LOG", 3), 0) << where << " binds " << key->key;
    }
  }
  for (const SettingField& d : kSettingFields) {
    if (std::strncmp(d.key, "LOG", 3) == 0) continue;
    EXPECT_EQ(bound.count(FieldOf(d).offset), 1u) << d.key;
  }
}

// What a control can hold is what its key accepts: a list offers one entry per value from 0,
// a number edit stays inside the key's range (so the file never refuses what the dialog
// stored), a code edit fills all of its field, a hot key's every value is accepted. (That a
// control edits a field of its kind's type is checked while compiling the tables.)
TEST(SettingsDialogControls, ControlsHoldWhatTheirKeysAccept) {
  for (const Table& table : kTables) {
    for (const ControlBinding& row : table.rows) {
      const SettingField* key = KeyAt(FieldOffset(row));
      if (key == nullptr) continue;
      const std::string where = std::string(table.name) + ", " + key->key;
      switch (row.kind) {
        case ControlKind::List:
          EXPECT_EQ(key->min, 0) << where;
          EXPECT_EQ(static_cast<long>(row.entries.size()), key->max + 1) << where;
          break;
        case ControlKind::Number:
          EXPECT_GE(row.min, key->min) << where;
          EXPECT_LE(row.max, key->max) << where;
          EXPECT_LE(row.raiseTo, row.max) << where;
          break;
        case ControlKind::ByteCodes: {
          const SettingsRecord s{};
          EXPECT_EQ(CodeField(row, s).size(), FieldOf(*key).count) << where;
          EXPECT_NE(row.display, 0) << where;
          break;
        }
        case ControlKind::HotKey:
          EXPECT_EQ(key->max, 0xFFFF) << where;
          break;
        default:
          break;
      }
    }
  }
}

// The extended dialog's number edits are named in the message that refuses a value.
TEST(SettingsDialogControls, ExtendedDialogNumbersHaveNames) {
  for (const ControlBinding& row : ExtDialogControls()) {
    if (row.kind != ControlKind::Number) continue;
    ASSERT_NE(row.label, nullptr) << row.id;
    EXPECT_NE(row.label[0], 0) << row.id;
  }
}

}  // namespace

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
