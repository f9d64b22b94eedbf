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

TEST_F(LogWriterTest, FileAtTheLimitDiscardsWithOneNoticeWhileTheConditionLasts) {
  const unsigned size = LogNoticeBit(LogNotice::SizeLimit);
  MakeSizedLogFile(LogPath(), 10485760);
  EXPECT_EQ(Record("x"), -1);
  EXPECT_EQ(Record("y"), -1);
  EXPECT_EQ(notices.texts, std::vector<std::string>{kSizeNotice}) << "told once, not per record";
  EXPECT_EQ(notices.lasting, std::vector<unsigned>{size});
  EXPECT_EQ(std::filesystem::file_size(LogPath()), 10485760u);
  // The file moved away: the next record is written alone (the discarded ones are gone) and
  // the condition ends; reaching the limit again is told again.
  WriteLogFile(LogPath(), "");
  EXPECT_EQ(Record("z"), 0);
  EXPECT_EQ(Log(), "z\r\n");
  EXPECT_EQ(notices.lasting, (std::vector<unsigned>{size, 0}));
  MakeSizedLogFile(LogPath(), 10485760);
  EXPECT_EQ(Record("w"), -1);
  EXPECT_EQ(notices.texts, (std::vector<std::string>{kSizeNotice, kSizeNotice}));
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
  // Without the message nothing is said, and the condition no longer shows.
  EXPECT_EQ(notices.lasting, (std::vector<unsigned>{LogNoticeBit(LogNotice::SizeLimit), 0}));
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
  EXPECT_EQ(std::string(w.LastPath()), "") << "a path not opened is not noted";
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
  std::filesystem::create_directory(dir.File("later"));
  EXPECT_EQ(Record("y"), 0);
  EXPECT_EQ(ReadLogFile(dir.File("later") + kLogPathSeparator + "test.log"), "y\r\n");
}

// The log folder goes away while receiving and comes back: one notice for the records lost
// meanwhile, the condition lasting until a record is written again; a condition of another
// kind is told in its turn; a new start of reception tells a lasting condition again.
TEST_F(LogWriterTest, EachConditionIsToldWhenItBeginsAndLastsUntilARecordMeetsNone) {
  const unsigned open = LogNoticeBit(LogNotice::NotOpenable);
  const unsigned folder = LogNoticeBit(LogNotice::FolderGiven);
  SetFolder(dir.File("gone"));
  for (const char* scan : {"a", "b", "c"}) EXPECT_EQ(Record(scan), -1);
  EXPECT_EQ(notices.texts, std::vector<std::string>{kOpenNotice});
  std::filesystem::create_directory(dir.File("gone"));
  EXPECT_EQ(Record("d"), 0);
  EXPECT_EQ(ReadLogFile(dir.File("gone") + kLogPathSeparator + "test.log"), "d\r\n");
  std::filesystem::create_directory(dir.File("gone") + kLogPathSeparator + "sub");
  SetName("sub");
  EXPECT_EQ(Record("e"), -1);
  SetFolder(dir.File("missing"));
  EXPECT_EQ(Record("f"), -1);
  EXPECT_EQ(notices.texts, (std::vector<std::string>{kOpenNotice, kFolderNotice, kOpenNotice}));
  EXPECT_EQ(notices.lasting, (std::vector<unsigned>{open, 0, folder, open}));
  w.LogReset();
  EXPECT_EQ(Record("g"), -1);
  EXPECT_EQ(notices.texts.size(), 4u) << "a new start tells the lasting condition again";
  EXPECT_EQ(notices.lasting, (std::vector<unsigned>{open, 0, folder, open, 0, open}));
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

TEST_F(LogWriterTest, NewFileModeFailureLeavesTheNextRecordToStartTheFileAnew) {
  // The path is noted only once opened: after a failed first record the file is new all the
  // same, and the records after it append.
  s.LOGOPENMD = 0;
  SetFolder(dir.File("later"));
  EXPECT_EQ(Record("x"), -1);
  const std::string path = dir.File("later") + kLogPathSeparator + "test.log";
  EXPECT_EQ(std::string(w.LastPath()), "");
  std::filesystem::create_directory(dir.File("later"));
  WriteLogFile(path, "old\r\n");
  EXPECT_EQ(Record("y"), 0);
  EXPECT_EQ(Record("z"), 0);
  EXPECT_EQ(ReadLogFile(path), "y\r\nz\r\n");
  EXPECT_EQ(std::string(w.LastPath()), path);
}
