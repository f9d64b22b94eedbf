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

namespace {

std::string Dropped(std::string text) {
  DropTrailingBackslash(text.data());
  return text.c_str();
}

std::string ChooserPath(const std::string& folder, const std::string& name,
                        std::size_t size = kLogDialogTextSize) {
  std::string out(size + 8, 'G');
  BuildLogChooserPath(folder.c_str(), name.c_str(), out.data(), size);
  for (std::size_t i = size; i < size + 8; ++i) EXPECT_EQ(out[i], 'G') << "written past the end at " << i;
  return out.c_str();
}

struct Split {
  std::string folder;
  std::string name;
};

Split SplitPath(const std::string& path, std::size_t folderSize = kLogDialogTextSize,
                std::size_t nameSize = kLogDialogTextSize) {
  std::string folder(folderSize + 4, 'G');
  std::string name(nameSize + 4, 'G');
  SplitLogChooserPath(path.c_str(), folder.data(), folderSize, name.data(), nameSize);
  EXPECT_EQ(folder.substr(folderSize), "GGGG");
  EXPECT_EQ(name.substr(nameSize), "GGGG");
  return {folder.c_str(), name.c_str()};
}

// 表 is 0x95 0x5C in code page 932: its second byte is the byte of a backslash.
const std::string kHyo = "表";

}  // namespace

TEST(LogDialogText, OneTrailingBackslashIsDropped) {
  EXPECT_EQ(Dropped("C:\\logs\\"), "C:\\logs");
  EXPECT_EQ(Dropped("C:\\logs"), "C:\\logs");
  EXPECT_EQ(Dropped("C:\\"), "C:");
  EXPECT_EQ(Dropped("a.log\\\\"), "a.log\\");
  EXPECT_EQ(Dropped(""), "");
  EXPECT_TRUE(EndsWithBackslash("x\\"));
  EXPECT_FALSE(EndsWithBackslash("x"));
  EXPECT_FALSE(EndsWithBackslash(""));
}

TEST(LogDialogText, SecondByteOfATwoByteCharacterIsNoBackslash) {
  ASSERT_EQ(kHyo, "\x95\x5C");
  EXPECT_FALSE(EndsWithBackslash(("C:\\" + kHyo).c_str()));
  EXPECT_EQ(Dropped("C:\\" + kHyo), "C:\\" + kHyo);
  EXPECT_EQ(Dropped("C:\\" + kHyo + "\\"), "C:\\" + kHyo);
}

TEST(LogDialogText, CopyCutsWholeCharactersAndStaysInItsBuffer) {
  char out[6];
  std::memset(out, 'G', sizeof out);
  CopyTextCut(out, 5, "abcdefg");
  EXPECT_STREQ(out, "abcd");
  EXPECT_EQ(out[5], 'G');
  // "ab表c": the cut at four bytes would fall inside 表, which is left out whole.
  CopyTextCut(out, 4, ("ab" + kHyo + "c").c_str());
  EXPECT_STREQ(out, "ab");
  CopyTextCut(out, 5, ("ab" + kHyo + "c").c_str());
  EXPECT_EQ(std::string(out), "ab" + kHyo);
  CopyTextCut(out, 1, "abc");
  EXPECT_STREQ(out, "");
  out[0] = 'G';
  CopyTextCut(out, 0, "abc");
  EXPECT_EQ(out[0], 'G');
}

TEST(LogDialogChooserPath, FolderAndNameAreJoinedByOneBackslash) {
  EXPECT_EQ(ChooserPath("C:\\logs", "a.log"), "C:\\logs\\a.log");
  EXPECT_EQ(ChooserPath("C:\\logs\\", "a.log"), "C:\\logs\\a.log");
  EXPECT_EQ(ChooserPath("", "a.log"), "a.log");
  EXPECT_EQ(ChooserPath("C:\\" + kHyo, "a.log"), "C:\\" + kHyo + "\\a.log");
}

TEST(LogDialogChooserPath, AnEndingBackslashGetsTheLogPattern) {
  EXPECT_EQ(ChooserPath("C:\\logs", ""), "C:\\logs\\*.log");
  EXPECT_EQ(ChooserPath("C:\\logs\\", ""), "C:\\logs\\*.log");
  EXPECT_EQ(ChooserPath("C:\\logs", "sub\\"), "C:\\logs\\sub\\*.log");
  EXPECT_EQ(ChooserPath("", ""), "");
}

TEST(LogDialogChooserPath, TheNameIsCutToWhatStillFits) {
  const std::string folder(1070, 'f');
  EXPECT_EQ(ChooserPath(folder, "abcdefgh"), folder + "\\abc");
  EXPECT_EQ(ChooserPath(folder, "ab" + kHyo + "x"), folder + "\\ab");
  // Not even the pattern fits after a folder that fills the buffer.
  const std::string full(1073, 'f');
  EXPECT_EQ(ChooserPath(full, ""), full + "\\");
  EXPECT_EQ(ChooserPath("C:\\x", "", 8), "C:\\x\\*.");
}

TEST(LogDialogChooserSplit, PathIsSplitAtItsLastBackslash) {
  const Split a = SplitPath("C:\\logs\\day\\a.log");
  EXPECT_EQ(a.folder, "C:\\logs\\day");
  EXPECT_EQ(a.name, "a.log");
  const Split root = SplitPath("C:\\a.log");
  EXPECT_EQ(root.folder, "C:");
  EXPECT_EQ(root.name, "a.log");
  const Split bare = SplitPath("a.log");
  EXPECT_EQ(bare.folder, "");
  EXPECT_EQ(bare.name, "a.log");
}

TEST(LogDialogChooserSplit, TwoByteNamesAreNotSplitInsideACharacter) {
  const Split s = SplitPath("C:\\logs\\" + kHyo + ".log");
  EXPECT_EQ(s.folder, "C:\\logs");
  EXPECT_EQ(s.name, kHyo + ".log");
  const Split f = SplitPath("C:\\" + kHyo + "\\a.log");
  EXPECT_EQ(f.folder, "C:\\" + kHyo);
  EXPECT_EQ(f.name, "a.log");
}

TEST(LogDialogChooserSplit, PartsAreCutToTheirBuffers) {
  const Split s = SplitPath("C:\\logs\\abcdefgh.log", 5, 4);
  EXPECT_EQ(s.folder, "C:\\l");
  EXPECT_EQ(s.name, "abc");
}

// The chooser starts at the path cut to its 1024-byte buffer and without a trailing backslash,
// both at character boundaries: a name ending in 表 (95 5C) keeps its last character.
TEST(LogDialogChooserStart, CutAndTrailingBackslashAtCharacterBoundaries) {
  const std::string so = "\x83\x5C";  // ソ
  const struct {
    std::string path, start;
  } rows[] = {
      {"C:\\logs\\" + kHyo, "C:\\logs\\" + kHyo},
      {"C:\\logs\\" + so + "\\", "C:\\logs\\" + so},
      {"C:\\logs\\", "C:\\logs"},
      {std::string(1022, 'a') + kHyo, std::string(1022, 'a')},
      {std::string(1021, 'a') + kHyo, std::string(1021, 'a') + kHyo},
  };
  for (const auto& row : rows) {
    std::string out(1024 + 4, 'G');
    ChooserStartPath(row.path.c_str(), out.data(), 1024);
    EXPECT_EQ(out.substr(1024), "GGGG");
    EXPECT_EQ(std::string(out.c_str()), row.start) << row.path.size();
  }
}
