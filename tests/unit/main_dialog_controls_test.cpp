#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <set>

#include "config/main_dialog_controls.h"
#include "config/settings_keys.h"

namespace {

// Byte offset of the row's field in the record; -1 for a row without a field.
long FieldOffset(const ControlBinding& row) {
  static const SettingsRecord record{};
  const void* field = nullptr;
  if (row.byte != nullptr) field = &(record.*row.byte);
  if (row.number != nullptr) field = &(record.*row.number);
  if (row.code != nullptr) field = &(record.*row.code);
  if (row.keys != nullptr) field = &(record.*row.keys);
  if (field == nullptr) return -1;
  return static_cast<const char*>(field) - reinterpret_cast<const char*>(&record);
}

const SettingDescriptor* KeyAt(long offset) {
  for (const SettingDescriptor* d = SettingDescriptors; d->key[0] != 0; ++d) {
    if (static_cast<long>(d->offset) == offset) return d;
  }
  return nullptr;
}

// Every key of the settings file but the log settings (which their own dialog edits) is shown
// by exactly one control, each control appears once, and every control that holds a setting
// is disabled while reception runs.
TEST(MainDialogControls, EachSettingOnceDisabledWhileReceiving) {
  std::multiset<long> bound;
  std::set<int> ids;
  for (const ControlBinding& row : MainDialogControls()) {
    EXPECT_TRUE(ids.insert(row.id).second) << "control " << row.id << " appears twice";
    const long offset = FieldOffset(row);
    EXPECT_EQ(offset < 0, row.kind == ControlKind::Button) << "control " << row.id;
    if (offset < 0) continue;
    bound.insert(offset);
    EXPECT_FALSE(row.enabledWhileReceiving) << "control " << row.id;
    const SettingDescriptor* key = KeyAt(offset);
    ASSERT_NE(key, nullptr) << "control " << row.id << " binds no key";
    EXPECT_NE(std::strncmp(key->key, "LOG", 3), 0) << "control " << row.id << " binds " << key->key;
  }
  for (const SettingDescriptor* d = SettingDescriptors; d->key[0] != 0; ++d) {
    if (std::strncmp(d->key, "LOG", 3) == 0) continue;
    // The keys after SENDMODE belong to the extended settings dialog, which is not built yet.
    if (d->offset >= offsetof(SettingsRecord, REQCODE)) continue;
    EXPECT_EQ(bound.count(static_cast<long>(d->offset)), 1u) << d->key;
  }
}

// A list offers one entry for each value its key accepts, from 0, so the stored index always
// names an entry.
TEST(MainDialogControls, ListsHaveAnEntryPerAcceptedValue) {
  for (const ControlBinding& row : MainDialogControls()) {
    if (row.kind != ControlKind::List) continue;
    const SettingDescriptor* key = KeyAt(FieldOffset(row));
    ASSERT_NE(key, nullptr) << "control " << row.id;
    EXPECT_EQ(key->min, 0) << key->key;
    EXPECT_EQ(static_cast<long>(row.entries.size()), key->max + 1) << key->key;
  }
}

}  // namespace
