#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "config/settings_location.h"
#include "settings_test_support.h"

namespace {

// Each test starts as a fresh process would: no locations fixed, no options, a documents
// folder of its own.
class SettingsLocationTest : public ::testing::Test {
 protected:
  SettingsTempFolder documents;
  TestDocumentsFolder source{documents.Path()};
  std::string settingsFolder = documents.Path() + "\\Tamblix";
  std::string defaultPath = settingsFolder + "\\Tamblix.ini";

  void SetUp() override {
    KeyPause = 20;
    SettingsName[0] = 0;
    SetDocumentsFolder(&source);
    std::memset(&Settings, 0x5A, sizeof Settings);
  }
  void TearDown() override { SetDocumentsFolder(nullptr); }
};

}  // namespace

TEST_F(SettingsLocationTest, FirstLoadFixesThePathsAndCreatesTheFolder) {
  LoadSettings(nullptr);
  EXPECT_EQ(std::string(SettingsFolder), settingsFolder);
  EXPECT_EQ(std::string(DefaultSettingsPath), defaultPath);
  EXPECT_EQ(std::string(CurrentSettingsPath), defaultPath);
  EXPECT_TRUE(DirectoryExists(settingsFolder));
  EXPECT_EQ(Settings.BITS, 1);  // no file: the defaults
  EXPECT_EQ(Settings.PORT, 0);
}

TEST_F(SettingsLocationTest, StartupReadsTheDefaultFile) {
  LoadSettings(nullptr);
  WriteWholeFile(defaultPath, "PORT=4\r\n");
  SetDocumentsFolder(&source);  // as a new process
  LoadSettings(nullptr);
  EXPECT_EQ(Settings.PORT, 4);
}

TEST_F(SettingsLocationTest, NamedFileLiesBesideTheFolderAndLaterLoadsReadTheDefault) {
  ParseCommandLine("/D50 /Fshop");
  const std::string shop = settingsFolder + "shop.ini";
  WriteWholeFile(shop, "PORT=7\r\n");
  LoadSettings(nullptr);
  WriteWholeFile(defaultPath, "PORT=2\r\n");
  SetDocumentsFolder(&source);
  LoadSettings(nullptr);
  EXPECT_EQ(std::string(CurrentSettingsPath), documents.Path() + "\\Tamblixshop.ini");
  EXPECT_EQ(Settings.PORT, 7);
  EXPECT_EQ(KeyPause, 50);
  LoadSettings(nullptr);
  EXPECT_EQ(Settings.PORT, 2);
  EXPECT_EQ(std::string(CurrentSettingsPath), documents.Path() + "\\Tamblixshop.ini");
}

TEST_F(SettingsLocationTest, SaveWithoutPathAlwaysWritesTheDefaultFile) {
  ParseCommandLine("/Fshop");
  LoadSettings(nullptr);
  SetDefaultSettings(Settings);
  Settings.BAUD = 5;
  SaveSettings(nullptr);
  EXPECT_NE(ReadWholeFile(defaultPath).find("\r\nBAUD=5\r\n"), std::string::npos);
  EXPECT_FALSE(FileExists(settingsFolder + "shop.ini"));
}

TEST_F(SettingsLocationTest, LoadAndSaveWithAPathUseThatFile) {
  const std::string other = documents.File("other.ini");
  WriteWholeFile(other, "RCVEND=0D0A\r\nBAUD=9\r\n");
  Settings.BAUD = 3;
  LoadSettings(other.c_str());
  EXPECT_EQ(Settings.RCVEND[0], 0x0D);
  EXPECT_EQ(Settings.BAUD, 0);  // loading starts from the defaults
  Settings.PORT = 6;
  SaveSettings(other.c_str());
  EXPECT_NE(ReadWholeFile(other).find("\r\nPORT=6\r\n"), std::string::npos);
}

TEST_F(SettingsLocationTest, NoDocumentsFolderLeavesDefaultsAndSavesNothing) {
  TestDocumentsFolder none{""};
  SetDocumentsFolder(&none);
  LoadSettings(nullptr);
  EXPECT_EQ(Settings.BITS, 1);
  EXPECT_STREQ(DefaultSettingsPath, "");
  SaveSettings(nullptr);
  EXPECT_FALSE(FileExists("\\Tamblix.ini"));
}

TEST_F(SettingsLocationTest, FailedSaveLeavesTheOldFileUntouched) {
  LoadSettings(nullptr);
  WriteWholeFile(defaultPath, "PORT=1\r\n");
  CreateBlockingFolder(defaultPath + ".tmp");
  SetDefaultSettings(Settings);
  SaveSettings(nullptr);
  EXPECT_EQ(ReadWholeFile(defaultPath), "PORT=1\r\n");
  SaveSettings(settingsFolder.c_str());  // the target is a folder
  EXPECT_TRUE(DirectoryExists(settingsFolder));
}

namespace {

class CommandLineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    KeyPause = 20;
    SettingsName[0] = 0;
  }
};

}  // namespace

TEST_F(CommandLineTest, PauseAndNameTogether) {
  ParseCommandLine("/D50 /Fshop");
  EXPECT_EQ(KeyPause, 50);
  EXPECT_STREQ(SettingsName, "shop");
}

TEST_F(CommandLineTest, NoOptionsChangeNothing) {
  ParseCommandLine("");
  ParseCommandLine(nullptr);
  ParseCommandLine("hello world -D5 D5");
  EXPECT_EQ(KeyPause, 20);
  EXPECT_STREQ(SettingsName, "");
}

TEST_F(CommandLineTest, PauseIsTheLeadingDecimalOfAtMostFourCharacters) {
  ParseCommandLine("/D12345");
  EXPECT_EQ(KeyPause, 20);
  ParseCommandLine("/D9999");
  EXPECT_EQ(KeyPause, 9999);
  ParseCommandLine("/D7ms");
  EXPECT_EQ(KeyPause, 7);
  ParseCommandLine("/Dx");
  EXPECT_EQ(KeyPause, 0);
  KeyPause = 20;
  ParseCommandLine("/D");
  EXPECT_EQ(KeyPause, 0);
}

TEST_F(CommandLineTest, NegativePauseBecomesZero) {
  ParseCommandLine("/D-5");
  EXPECT_EQ(KeyPause, 0);
}

TEST_F(CommandLineTest, LowerCaseOptionsAreIgnored) {
  ParseCommandLine("/d50 /fshop");
  EXPECT_EQ(KeyPause, 20);
  EXPECT_STREQ(SettingsName, "");
}

TEST_F(CommandLineTest, NameMustBeOneTo99Characters) {
  ParseCommandLine("/F");
  EXPECT_STREQ(SettingsName, "");
  ParseCommandLine(("/F" + std::string(99, 'n')).c_str());
  EXPECT_EQ(std::string(SettingsName), std::string(99, 'n'));
  ParseCommandLine(("/F" + std::string(100, 'm')).c_str());
  EXPECT_EQ(std::string(SettingsName), std::string(99, 'n'));
}

TEST_F(CommandLineTest, LastValidOptionWins) {
  ParseCommandLine("/D10 /Fa /D30 /D12345 /Fb /F");
  EXPECT_EQ(KeyPause, 30);
  EXPECT_STREQ(SettingsName, "b");
}

TEST_F(CommandLineTest, RunsOfBlanksSeparateWordsAndQuotesMeanNothing) {
  ParseCommandLine((std::string(200, ' ') + "/D5" + std::string(200, ' ') + "\"/Fq\"" + std::string(200, ' ')).c_str());
  EXPECT_EQ(KeyPause, 5);
  EXPECT_STREQ(SettingsName, "");
  ParseCommandLine(std::string(200, ' ').c_str());
  EXPECT_EQ(KeyPause, 5);
}

TEST_F(CommandLineTest, VeryLongCommandLineIsSurvived) {
  std::string text;
  for (int i = 0; i < 5000; ++i) text += "/F" + std::string(150, 'z') + " /D12345 ";
  text += "/Fend";
  ParseCommandLine(text.c_str());
  EXPECT_STREQ(SettingsName, "end");
  EXPECT_EQ(KeyPause, 20);
}
