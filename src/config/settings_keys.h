// The key table: one row per line of the settings file, in file order. It binds each file key
// to its field of SettingsRecord and says how the value is written and read.
#pragma once
#include <cstddef>

struct SettingDescriptor {
  const char* key;     // the key followed by "="; "" ends the table
  std::size_t offset;  // byte offset of the field in SettingsRecord
  long min;            // smallest accepted element (number rows)
  long max;            // largest accepted element; for a text row the field size in bytes
  int width;           // 1 = byte elements, 2 = 16-bit elements (number rows)
  int count;           // number of elements (number rows)
  const char* format;  // "%d", "%02X", "%04X" or "%s" (text row)
  int storage;         // bytes of one element in the record: width, or 4 for LOGFLSIZE
};

inline constexpr int kSettingRowCount = 45;

// kSettingRowCount rows and the closing row with the empty key.
extern const SettingDescriptor SettingDescriptors[kSettingRowCount + 1];

inline bool IsTextRow(const SettingDescriptor& row) { return row.format[1] == 's'; }
