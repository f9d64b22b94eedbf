#include <gtest/gtest.h>

#include <string>

#include "config/settings_location.h"

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
