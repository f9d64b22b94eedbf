#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "log_writer_fixture.h"

namespace {

// The texts the user sees, as they must read.
const std::string kFolderNotice = "ログファイルとしてフォルダ名が指定されています";
const std::string kSizeNotice = "ログファイルのサイズが制限値を超えました";
const std::string kOpenNotice = "ログファイルがオープンできません。設定を確認してください。";

}  // namespace

// ---- size limit -----------------------------------------------------------------------------

TEST_F(LogWriterTest, FileJustBelowTheLimitTakesTheWholeRecord) {
  MakeSizedLogFile(LogPath(), 10485759);
  const std::string big(2000, 'z');
  EXPECT_EQ(Record(big.c_str()), 0);
  EXPECT_EQ(std::filesystem::file_size(LogPath()), 10485759u + 2000u + 2u);
  EXPECT_TRUE(notices.texts.empty());
  // Now over the limit.
  EXPECT_EQ(Record("x"), -1);
  EXPECT_EQ(notices.texts, std::vector<std::string>{kSizeNotice});
}

TEST_F(LogWriterTest, FileAtTheLimitDiscardsWithNoticeWhenAborting) {
  MakeSizedLogFile(LogPath(), 10485760);
  EXPECT_EQ(Record("x"), -1);
  EXPECT_EQ(notices.texts, std::vector<std::string>{kSizeNotice});
  EXPECT_EQ(std::filesystem::file_size(LogPath()), 10485760u);
  EXPECT_STREQ(w.BufferedText(), "");
  // The notice comes again at every flush while the condition lasts.
  EXPECT_EQ(Record("y"), -1);
  EXPECT_EQ(notices.texts.size(), 2u);
}

TEST_F(LogWriterTest, FileAtTheLimitDiscardsSilentlyWithoutMessage) {
  s.LOGDSPMSG = 0;
  MakeSizedLogFile(LogPath(), 10485760);
  EXPECT_EQ(Record("x"), -1);
  EXPECT_TRUE(notices.texts.empty());
  EXPECT_EQ(std::filesystem::file_size(LogPath()), 10485760u);
}

TEST_F(LogWriterTest, FileAtTheLimitIsStillWrittenWhenNotAborting) {
  s.LOGABORT = 0;
  MakeSizedLogFile(LogPath(), 10485760);
  EXPECT_EQ(Record("x"), 0);
  EXPECT_EQ(notices.texts, std::vector<std::string>{kSizeNotice});
  EXPECT_EQ(std::filesystem::file_size(LogPath()), 10485760u + 3u);
  s.LOGDSPMSG = 0;
  EXPECT_EQ(Record("y"), 0);
  EXPECT_EQ(notices.texts.size(), 1u);
  EXPECT_EQ(std::filesystem::file_size(LogPath()), 10485760u + 6u);
}

TEST_F(LogWriterTest, LimitZeroLetsTheFirstRecordCreateTheFileOnly) {
  s.LOGFLSIZE = 0;
  EXPECT_EQ(Record("first"), 0);
  EXPECT_EQ(Record("second"), -1);
  EXPECT_EQ(Log(), "first\r\n");
  EXPECT_EQ(notices.texts, std::vector<std::string>{kSizeNotice});
}

TEST_F(LogWriterTest, FileOfMoreThanTwoGibibytesMeetsTheLimit) {
  s.LOGFLSIZE = 2000;
  MakeSizedLogFile(LogPath(), 2147483649ULL);
  EXPECT_EQ(Record("x"), -1);
  EXPECT_EQ(notices.texts, std::vector<std::string>{kSizeNotice});
  EXPECT_EQ(std::filesystem::file_size(LogPath()), 2147483649ULL);
}

TEST_F(LogWriterTest, NewFileModeChecksTheSizeOnlyAfterTheFirstFlush) {
  s.LOGOPENMD = 0;
  s.LOGFLSIZE = 1;
  MakeSizedLogFile(LogPath(), 1048576);
  EXPECT_EQ(Record("a"), 0);  // truncated, no size check
  EXPECT_EQ(Log(), "a\r\n");
  MakeSizedLogFile(LogPath(), 1048576);
  EXPECT_EQ(Record("b"), -1);  // same path: appended, so checked
  EXPECT_EQ(notices.texts, std::vector<std::string>{kSizeNotice});
}

// ---- folder given as the file, file not openable ---------------------------------------

TEST_F(LogWriterTest, FolderGivenAsTheFileIsRefusedAndWritingGoesOnAfterwards) {
  std::filesystem::create_directory(dir.File("sub"));
  SetName("sub");
  EXPECT_EQ(Record("x"), -1);
  EXPECT_EQ(notices.texts, std::vector<std::string>{kFolderNotice});
  EXPECT_STREQ(w.BufferedText(), "");
  EXPECT_EQ(std::string(w.LastPath()), dir.File("sub"));
  SetName("test.log");
  EXPECT_EQ(Record("y"), 0);
  EXPECT_EQ(Log(), "y\r\n");
  EXPECT_EQ(notices.texts.size(), 1u);
}

TEST_F(LogWriterTest, EmptyNameNamesTheFolderItself) {
  SetName("");
  SetFolder(dir.Text() + kLogPathSeparator + "sub");
  std::filesystem::create_directory(dir.File("sub"));
  // folder + separator: the folder itself.
  EXPECT_EQ(Record("x"), -1);
  EXPECT_EQ(notices.texts, std::vector<std::string>{kFolderNotice});
}

TEST_F(LogWriterTest, MissingFolderCannotBeOpenedUntilItExists) {
  SetFolder(dir.File("later"));
  EXPECT_EQ(Record("x"), -1);
  EXPECT_EQ(notices.texts, std::vector<std::string>{kOpenNotice});
  EXPECT_STREQ(w.BufferedText(), "");
  std::filesystem::create_directory(dir.File("later"));
  EXPECT_EQ(Record("y"), 0);
  EXPECT_EQ(ReadLogFile(dir.File("later") + kLogPathSeparator + "test.log"), "y\r\n");
}

TEST_F(LogWriterTest, FileAsTheFolderCannotBeOpened) {
  WriteLogFile(dir.File("plain"), "keep");
  SetFolder(dir.File("plain"));
  EXPECT_EQ(Record("x"), -1);
  EXPECT_EQ(notices.texts, std::vector<std::string>{kOpenNotice});
  EXPECT_EQ(ReadLogFile(dir.File("plain")), "keep");
  SetFolder(dir.Text());
  EXPECT_EQ(Record("y"), 0);
  EXPECT_EQ(Log(), "y\r\n");
}

TEST_F(LogWriterTest, NewFileModeFailureStillRemembersThePath) {
  // The path is noted before the checks: once the folder exists, the same path appends.
  s.LOGOPENMD = 0;
  SetFolder(dir.File("later"));
  EXPECT_EQ(Record("x"), -1);
  const std::string path = dir.File("later") + kLogPathSeparator + "test.log";
  EXPECT_EQ(std::string(w.LastPath()), path);
  std::filesystem::create_directory(dir.File("later"));
  WriteLogFile(path, "old\r\n");
  EXPECT_EQ(Record("y"), 0);
  EXPECT_EQ(ReadLogFile(path), "old\r\ny\r\n");
}
