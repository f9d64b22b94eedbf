#include <gtest/gtest.h>

#include <string>

#include "log_writer_fixture.h"

// ---- record layout --------------------------------------------------------------------------

TEST_F(LogWriterTest, DefaultsRecordKeptCarriageReturnByNameThenLineEnd) {
  w.LogAppend("ABC");
  w.LogAppend("\r");
  EXPECT_EQ(w.LogFlush(), 0);
  EXPECT_EQ(Log(), "ABC<CR>\r\n");
}

TEST_F(LogWriterTest, DateAndTimeComeBeforeTheDataEachWithOneBlank) {
  clock.time = LocalTime{2008, 3, 4, 7, 5, 9};
  s.LOGWDATE = 1;
  s.LOGWTIME = 1;
  EXPECT_EQ(Record("4912"), 0);
  EXPECT_EQ(Log(), "2008/03/04 07:05:09 4912\r\n");
}

TEST_F(LogWriterTest, DateOnlyTimeOnlyAndNoLineEnd) {
  clock.time = LocalTime{2026, 12, 31, 23, 59, 58};
  s.LOGWDATE = 1;
  s.LOGADDENT = 0;
  Record("a");
  s.LOGWDATE = 0;
  s.LOGWTIME = 1;
  Record("b");
  s.LOGWTIME = 0;
  Record("c");
  EXPECT_EQ(Log(), "2026/12/31 a23:59:58 bc");
}

TEST_F(LogWriterTest, NameFileAndRecordTimeComeFromOneReadingOfTheClock) {
  SetName("L_&s.log");
  s.LOGWTIME = 1;
  EXPECT_EQ(Record("x"), 0);
  EXPECT_EQ(clock.calls, 1);
  EXPECT_EQ(ReadLogFile(dir.File("L_05.log")), "09:30:05 x\r\n");
}

TEST_F(LogWriterTest, RecordsFollowEachOtherWithNothingBetween) {
  Record("one");
  Record("two");
  EXPECT_EQ(Log(), "one\r\ntwo\r\n");
}

// ---- conversion of control codes ------------------------------------------------------------

TEST_F(LogWriterTest, ConversionKeepsPrintablesKanaAndTwoByteCharacters) {
  s.LOGADDENT = 0;
  // blank, ~, half-width kana ｱ, あ (0x82 0xA0), 表 (0x95 0x5C)
  Record(" ~\xB1\x82\xA0表");
  EXPECT_EQ(Log(), " ~\xB1\x82\xA0\x95\x5C");
}

TEST_F(LogWriterTest, ConversionNamesControlCodesDelAndA0) {
  s.LOGADDENT = 0;
  Record("\x01\x1B\x7F\xA0\n\x1F");
  EXPECT_EQ(Log(), "<SOH><ESC><DEL><xA0><LF><US>");
}

TEST_F(LogWriterTest, ConversionTakesTheByteAfterALeadByteWhateverItIs) {
  s.LOGADDENT = 0;
  Record("\x81\x0D" "A");
  EXPECT_EQ(Log(), "\x81\x0D" "A");
}

TEST_F(LogWriterTest, LeadByteCutAtTheBufferEndIsWrittenByName) {
  w.LogAppend(std::string(1999, 'A').c_str());
  w.LogAppend("\x81\x40");  // only the lead byte fits
  EXPECT_EQ(w.LogFlush(), 0);
  EXPECT_EQ(Log(), std::string(1999, 'A') + "<x81>\r\n");
}

TEST_F(LogWriterTest, RawDataKeepsControlCodesAndLineFeedBecomesCrLf) {
  s.LOGNAME = 0;
  Record("A\nB\x1B\r");
  EXPECT_EQ(Log(), "A\r\nB\x1B\r\r\n");
}

// ---- buffer ---------------------------------------------------------------------------------

TEST_F(LogWriterTest, TextBeyond2000BytesIsDropped) {
  s.LOGADDENT = 0;
  w.LogAppend(std::string(1500, 'a').c_str());
  w.LogAppend(std::string(1000, 'b').c_str());
  w.LogAppend("c");
  EXPECT_EQ(w.LogFlush(), 0);
  EXPECT_EQ(Log(), std::string(1500, 'a') + std::string(500, 'b'));
}

TEST_F(LogWriterTest, BufferIsEmptyAfterFlushAndAfterReset) {
  Record("x");
  EXPECT_EQ(w.LogFlush(), 0);
  w.LogAppend("stale");
  w.LogReset();
  EXPECT_EQ(w.LogFlush(), 0);
  EXPECT_EQ(Log(), "x\r\n");
}

TEST_F(LogWriterTest, RecordingOffCollectsNothingAndTouchesNoFile) {
  s.LOGEXEC = 0;
  w.LogAppend("data");
  EXPECT_EQ(w.LogFlush(), 0);
  EXPECT_FALSE(LogFileExists(LogPath()));
  EXPECT_STREQ(w.LastPath(), "");
}

TEST_F(LogWriterTest, RecordingSwitchedOffAfterCollectingDiscardsSilently) {
  w.LogAppend("data");
  s.LOGEXEC = 0;
  EXPECT_EQ(w.LogFlush(), 0);
  EXPECT_FALSE(LogFileExists(LogPath()));
  s.LOGEXEC = 1;
  EXPECT_EQ(Record("new"), 0);
  EXPECT_EQ(Log(), "new\r\n");
  EXPECT_TRUE(notices.texts.empty());
}

TEST_F(LogWriterTest, EmptyFlushCreatesNoFileAndKeepsTheLastPath) {
  EXPECT_EQ(w.LogFlush(), 0);
  EXPECT_FALSE(LogFileExists(LogPath()));
  EXPECT_STREQ(w.LastPath(), "");
  Record("x");
  const std::string last = w.LastPath();
  EXPECT_EQ(last, LogPath());
  SetName("other.log");
  EXPECT_EQ(w.LogFlush(), 0);
  EXPECT_EQ(std::string(w.LastPath()), last);
  EXPECT_FALSE(LogFileExists(dir.File("other.log")));
}

// ---- open mode --------------------------------------------------------------------------------

TEST_F(LogWriterTest, AppendModeKeepsWhatTheFileHeld) {
  WriteLogFile(LogPath(), "old\r\n");
  Record("new");
  EXPECT_EQ(Log(), "old\r\nnew\r\n");
}

TEST_F(LogWriterTest, NewFileModeTruncatesAtTheFirstFlushOnly) {
  s.LOGOPENMD = 0;
  WriteLogFile(LogPath(), "old\r\n");
  Record("one");
  EXPECT_EQ(Log(), "one\r\n");
  Record("two");
  w.LogReset();  // reception stopped and started again
  Record("three");
  EXPECT_EQ(Log(), "one\r\ntwo\r\nthree\r\n");
}

TEST_F(LogWriterTest, NewFileModeTruncatesWhenTheExpandedNameChanges) {
  s.LOGOPENMD = 0;
  SetName("D&D.log");
  WriteLogFile(dir.File("D14.log"), "old14\r\n");
  WriteLogFile(dir.File("D15.log"), "old15\r\n");
  Record("a");
  Record("b");
  clock.time.day = 15;
  Record("c");
  EXPECT_EQ(ReadLogFile(dir.File("D14.log")), "a\r\nb\r\n");
  EXPECT_EQ(ReadLogFile(dir.File("D15.log")), "c\r\n");
  clock.time.day = 14;
  Record("d");
  EXPECT_EQ(ReadLogFile(dir.File("D14.log")), "d\r\n");
}

TEST_F(LogWriterTest, TrailingSeparatorOfTheFolderGivesTheSamePath) {
  s.LOGOPENMD = 0;
  Record("a");
  SetFolder(dir.Text() + kLogPathSeparator);
  Record("b");  // same path: appended, not truncated
  EXPECT_EQ(Log(), "a\r\nb\r\n");
  EXPECT_EQ(std::string(w.LastPath()), LogPath());
}

TEST_F(LogWriterTest, SeparateWritersKeepSeparateLastPaths) {
  s.LOGOPENMD = 0;
  Record("a");
  LogWriter fresh(s, clock, notices);
  fresh.LogAppend("b");
  fresh.LogFlush();  // a new process run truncates again
  EXPECT_EQ(Log(), "b\r\n");
}
