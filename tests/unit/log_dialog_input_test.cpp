#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "datalog/log_dialog.h"
#include "log_test_support.h"

namespace {

SettingsRecord Defaults() {
  SettingsRecord s;
  SetDefaultSettings(s);
  return s;
}

bool SameRecord(const SettingsRecord& a, const SettingsRecord& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// Every flag off, recording on, into `folder` with `name`.
LogDialogInput Recording(const char* folder, const char* name) {
  LogDialogInput in;
  in.recordOn = true;
  in.folder = folder;
  in.name = name;
  in.sizeText = "10";
  return in;
}

}  // namespace

TEST(LogDialogInputOff, StoresEverythingUncheckedAndClearsNoSend) {
  SettingsRecord s = Defaults();
  s.LOGEXEC = 1;
  s.LOGNOSEND = 1;
  LogDialogInput in;
  in.recordOn = false;
  in.noSend = true;
  in.newFile = true;
  in.sizeText = "25";
  in.folder = "Q:\\missing\\";
  in.name = "bad&s:name";
  ASSERT_EQ(StoreLogDialogInput(in, s), 0);
  EXPECT_EQ(s.LOGEXEC, 0);
  EXPECT_EQ(s.LOGNOSEND, 0);
  EXPECT_EQ(s.LOGOPENMD, 0);
  EXPECT_EQ(s.LOGFLSIZE, 25);
  EXPECT_STREQ(s.LOGFOLDER, "Q:\\missing");
  EXPECT_STREQ(s.LOGFILE, "bad&s:name");
}

TEST(LogDialogInputOn, EmptyOrMissingFolderIsRefusedAndOnlyNoSendStored) {
  LogTempFolder dir;
  WriteLogFile(dir.File("a.log"), "x");
  const std::string missing = dir.File("none");
  const std::string file = dir.File("a.log");
  for (const char* folder : {"", missing.c_str(), file.c_str()}) {
    SettingsRecord s = Defaults();
    SettingsRecord expected = s;
    expected.LOGNOSEND = 1;
    LogDialogInput in = Recording(folder, "ok.log");
    in.noSend = true;
    in.sizeText = "77";
    EXPECT_EQ(StoreLogDialogInput(in, s), kLogFolderBoxId) << folder;
    EXPECT_TRUE(SameRecord(s, expected)) << folder;
  }
}

TEST(LogDialogInputOn, WrongNamesAreRefusedAfterTheFolder) {
  LogTempFolder dir;
  const std::string folder = dir.Text();
  for (const char* name : {"LOG_&s.log", "a:b.log", "x\\y.log", "a$b", "a,b", "a;b", "&&Y", "end&"}) {
    SettingsRecord s = Defaults();
    const SettingsRecord before = s;
    EXPECT_EQ(StoreLogDialogInput(Recording(folder.c_str(), name), s), kLogFileBoxId) << name;
    EXPECT_TRUE(SameRecord(s, before)) << name;
  }
  // Both wrong: the folder is reported.
  SettingsRecord s = Defaults();
  EXPECT_EQ(StoreLogDialogInput(Recording("", "LOG_&s.log"), s), kLogFolderBoxId);
}

TEST(LogDialogInputOn, ValidInputIsStoredWithoutTrailingBackslashes) {
  LogTempFolder dir;
  const std::string folder = dir.Text() + "\\";
  SettingsRecord s = Defaults();
  LogDialogInput in = Recording(folder.c_str(), "LOG_&Y&M&D.log\\");
  in.noSend = true;
  ASSERT_EQ(StoreLogDialogInput(in, s), 0);
  EXPECT_EQ(s.LOGEXEC, 1);
  EXPECT_EQ(s.LOGNOSEND, 1);
  EXPECT_EQ(std::string(s.LOGFOLDER), dir.Text());
  EXPECT_STREQ(s.LOGFILE, "LOG_&Y&M&D.log");
}

TEST(LogDialogInputOn, AnEmptyNameIsAccepted) {
  LogTempFolder dir;
  const std::string folder = dir.Text();
  SettingsRecord s = Defaults();
  std::strcpy(s.LOGFILE, "old.log");
  ASSERT_EQ(StoreLogDialogInput(Recording(folder.c_str(), ""), s), 0);
  EXPECT_STREQ(s.LOGFILE, "");
}

TEST(LogDialogInputSize, NumberAtTheStartHeldToTheLimit) {
  struct Case {
    const char* text;
    std::int32_t stored;
  };
  const Case cases[] = {{"9999", 2000}, {"2000", 2000}, {"2001", 2000}, {"0", 0},
                        {"12abc", 12},  {" 7", 7},      {"-5", 0},      {"99999999999999999999", 2000}};
  for (const Case& c : cases) {
    SettingsRecord s = Defaults();
    LogDialogInput in;
    in.sizeText = c.text;
    ASSERT_EQ(StoreLogDialogInput(in, s), 0);
    EXPECT_EQ(s.LOGFLSIZE, c.stored) << c.text;
  }
}

TEST(LogDialogInputSize, TextWithoutANumberLeavesTheLimit) {
  for (const char* text : {"", "abc", "-", " "}) {
    SettingsRecord s = Defaults();
    s.LOGFLSIZE = 123;
    LogDialogInput in;
    in.sizeText = text;
    ASSERT_EQ(StoreLogDialogInput(in, s), 0);
    EXPECT_EQ(s.LOGFLSIZE, 123) << '"' << text << '"';
    std::int32_t v = 55;
    EXPECT_FALSE(ParseLogSizeLimit(text, &v));
    EXPECT_EQ(v, 55);
  }
}

TEST(LogDialogInputFields, OpenModeFollowsTheCheckedButton) {
  SettingsRecord s = Defaults();
  LogDialogInput in;
  in.newFile = true;
  StoreLogDialogInput(in, s);
  EXPECT_EQ(s.LOGOPENMD, 0);
  in.newFile = false;
  in.append = true;
  StoreLogDialogInput(in, s);
  EXPECT_EQ(s.LOGOPENMD, 1);
  s.LOGOPENMD = 0;
  in.append = false;
  StoreLogDialogInput(in, s);
  EXPECT_EQ(s.LOGOPENMD, 0) << "neither checked leaves the mode";
}

TEST(LogDialogInputFields, EachCheckBoxGoesToItsOwnField) {
  struct Flag {
    bool LogDialogInput::*box;
    std::uint8_t SettingsRecord::*field;
  };
  const Flag flags[] = {{&LogDialogInput::showMessage, &SettingsRecord::LOGDSPMSG},
                        {&LogDialogInput::abort, &SettingsRecord::LOGABORT},
                        {&LogDialogInput::byName, &SettingsRecord::LOGNAME},
                        {&LogDialogInput::addEnd, &SettingsRecord::LOGADDENT},
                        {&LogDialogInput::date, &SettingsRecord::LOGWDATE},
                        {&LogDialogInput::time, &SettingsRecord::LOGWTIME}};
  for (const Flag& on : flags) {
    SettingsRecord s = Defaults();
    LogDialogInput in;
    in.*on.box = true;
    ASSERT_EQ(StoreLogDialogInput(in, s), 0);
    for (const Flag& f : flags) EXPECT_EQ(s.*f.field, &f == &on ? 1 : 0);
  }
}

TEST(LogDialogInputFields, TextsAreCutToTheirFields) {
  SettingsRecord s = Defaults();
  const std::string folder(1100, 'f');
  // 49 letters then 表: the two-byte character would end past the 50 characters of the field.
  const std::string name = std::string(49, 'n') + "表";
  LogDialogInput in;
  in.folder = folder.c_str();
  in.name = name.c_str();
  ASSERT_EQ(StoreLogDialogInput(in, s), 0);
  EXPECT_EQ(std::string(s.LOGFOLDER), std::string(1024, 'f'));
  EXPECT_EQ(std::string(s.LOGFILE), std::string(49, 'n'));
}
