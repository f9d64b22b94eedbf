#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "datalog/log_writer.h"
#include "log_test_support.h"

namespace {

std::string Build(const std::string& folder, const char* name) {
  char out[kLogPathSize];
  BuildLogPath(folder.c_str(), name, out);
  return out;
}

const std::string kSep(1, kLogPathSeparator);

}  // namespace

TEST(LogPathProbe, CheckNotFolderTellsFolderFileAndMissing) {
  LogTempFolder dir;
  WriteLogFile(dir.File("a.log"), "x");
  EXPECT_EQ(CheckNotFolder(dir.Text().c_str()), 0);
  EXPECT_EQ(CheckNotFolder(dir.File("a.log").c_str()), 1);
  EXPECT_EQ(CheckNotFolder(dir.File("missing.log").c_str()), -1);
  EXPECT_EQ(CheckNotFolder((dir.File("missing") + kSep + "x").c_str()), -1);
}

TEST(LogPathProbe, FolderWithTrailingSeparatorIsStillAFolder) {
  LogTempFolder dir;
  WriteLogFile(dir.File("a.log"), "x");
  EXPECT_EQ(CheckNotFolder((dir.Text() + kSep).c_str()), 0);
  EXPECT_EQ(FileSizeMB((dir.Text() + kSep).c_str()), -1);
  EXPECT_EQ(CheckNotFolder((dir.File("missing") + kSep).c_str()), -1);
}

TEST(LogPathProbe, FileSizeRoundsDownToWholeMegabytes) {
  LogTempFolder dir;
  const std::string f = dir.File("s.log");
  WriteLogFile(f, "");
  EXPECT_EQ(FileSizeMB(f.c_str()), 0);
  MakeSizedLogFile(f, 1048575);
  EXPECT_EQ(FileSizeMB(f.c_str()), 0);
  MakeSizedLogFile(f, 1048576);
  EXPECT_EQ(FileSizeMB(f.c_str()), 1);
  MakeSizedLogFile(f, 10485759);
  EXPECT_EQ(FileSizeMB(f.c_str()), 9);
}

TEST(LogPathProbe, FileSizeIsMinusOneForMissingPathsAndFolders) {
  LogTempFolder dir;
  EXPECT_EQ(FileSizeMB(dir.File("none.log").c_str()), -1);
  EXPECT_EQ(FileSizeMB(dir.Text().c_str()), -1);
}

TEST(LogPathProbe, FileSizeCountsFilesOfTwoGibibytesAndMore) {
  LogTempFolder dir;
  const std::string f = dir.File("big.log");
  MakeSizedLogFile(f, 2147483649ULL);  // 2 GiB + 1: negative as a 32-bit size
  EXPECT_EQ(FileSizeMB(f.c_str()), 2048);
  MakeSizedLogFile(f, 5ULL * 1073741824ULL);
  EXPECT_EQ(FileSizeMB(f.c_str()), 5120);
}

TEST(LogPathBuild, JoinsFolderAndNameWithOneSeparator) {
  EXPECT_EQ(Build("logs", "a.log"), "logs" + kSep + "a.log");
  EXPECT_EQ(Build("logs" + kSep, "a.log"), "logs" + kSep + "a.log");
  // Only one trailing separator is dropped.
  EXPECT_EQ(Build("logs" + kSep + kSep, "a.log"), "logs" + kSep + kSep + "a.log");
}

TEST(LogPathBuild, EmptyFolderGivesSeparatorAndName) {
  EXPECT_EQ(Build("", "a.log"), kSep + "a.log");
}

TEST(LogPathBuild, FolderEndingInATwoByteCharacterKeepsIt) {
  // 表 is 0x95 0x5C: its second byte is not a separator.
  EXPECT_EQ(Build("logs" + kSep + "表", "a.log"), "logs" + kSep + "表" + kSep + "a.log");
}

#ifdef _WIN32
TEST(LogPathBuild, OnWindowsOnlyABackslashIsASeparator) {
  EXPECT_EQ(Build("C:\\logs\\", "a.log"), "C:\\logs\\a.log");
  EXPECT_EQ(Build("C:\\logs/", "a.log"), "C:\\logs/\\a.log");
}
#else
TEST(LogPathBuild, ElsewhereBackslashAndSlashBothEndAFolder) {
  EXPECT_EQ(Build("/tmp/logs\\", "a.log"), "/tmp/logs/a.log");
  EXPECT_EQ(Build("/tmp/logs/", "a.log"), "/tmp/logs/a.log");
}
#endif

TEST(LogPathBuild, LongestFolderAndNameFitWithoutOverrun) {
  const std::string folder(1024, 'f');
  const std::string name(kLogNameSize - 1, 'n');
  char out[kLogPathSize + 8];
  std::memset(out, 'G', sizeof out);
  BuildLogPath(folder.c_str(), name.c_str(), out);
  EXPECT_EQ(std::string(out), folder + kSep + name);
  for (int i = kLogPathSize; i < kLogPathSize + 8; ++i) EXPECT_EQ(out[i], 'G') << i;
}
