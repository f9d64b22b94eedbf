// Saving over a read-only settings file: the file keeps its contents and attribute, and no
// temporary file is left beside it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "config/settings.h"
#include "settings_test_support.h"

namespace {

class ReadOnlySettingsFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteWholeFile(path, "PORT=3\r\n");
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    SetDefaultSettings(record);
    record.PORT = 7;
  }
  // The folder is removed at the end; a read-only file would stay behind.
  void TearDown() override { SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL); }

  SettingsTempFolder folder;
  std::string path = folder.File("Tamblix.ini");
  SettingsRecord record{};
};

TEST_F(ReadOnlySettingsFileTest, SaveFailsAndLeavesTheFileAsItWas) {
  EXPECT_FALSE(WriteSettingsFile(record, path.c_str()));
  EXPECT_EQ(ReadWholeFile(path), "PORT=3\r\n");
  const DWORD attributes = GetFileAttributesA(path.c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(attributes & FILE_ATTRIBUTE_READONLY, 0u);
  EXPECT_FALSE(FileExists(path + ".tmp"));
}

TEST_F(ReadOnlySettingsFileTest, SaveWorksOnceTheFileIsWritableAgain) {
  ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL));
  ASSERT_TRUE(WriteSettingsFile(record, path.c_str()));
  SettingsRecord back{};
  ReadSettingsFile(back, path.c_str());
  EXPECT_EQ(back.PORT, 7);
  EXPECT_FALSE(FileExists(path + ".tmp"));
}

}  // namespace
