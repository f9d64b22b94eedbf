// The program's log writer keeps the lasting condition for the main dialog's caption and tray
// tip: the one that discards records, until a record meets none; forgotten at a start or stop.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "datalog/log_writer_win32.h"
#include "log_test_support.h"

namespace {

std::string Lasting() {
  const char* text = LastingLogNoticeText();
  return text != nullptr ? text : "";
}

int Record(const char* text) {
  ProcessLogWriter().LogAppend(text);
  return ProcessLogWriter().LogFlush();
}

TEST(ProcessLogWriter, TheCaptionShowsTheLastingConditionUntilARecordMeetsNone) {
  LogTempFolder dir;
  Settings = LogSettings(dir.File("gone"), "rx.log");
  ProcessLogWriter().LogReset();
  EXPECT_EQ(Lasting(), "");
  EXPECT_EQ(Record("a"), -1);
  EXPECT_EQ(Lasting(), LogNoticeText(LogNotice::NotOpenable));
  // A folder named as the file while the other lasted: the caption follows the record's fate.
  std::filesystem::create_directories(dir.File("gone") + kLogPathSeparator + "rx.log");
  EXPECT_EQ(Record("b"), -1);
  EXPECT_EQ(Lasting(), LogNoticeText(LogNotice::FolderGiven));
  std::filesystem::remove(dir.File("gone") + kLogPathSeparator + "rx.log");
  EXPECT_EQ(Record("c"), 0);
  EXPECT_EQ(Lasting(), "");
  // At its size limit (a record already there, LOGFLSIZE 0) with records still written.
  Settings.LOGFLSIZE = 0;
  Settings.LOGABORT = 0;
  EXPECT_EQ(Record("d"), 0);
  EXPECT_EQ(Lasting(), LogNoticeText(LogNotice::SizeLimit));
  ClearLogNotices();  // the dialog at a stop
  EXPECT_EQ(Lasting(), "");
  SetDefaultSettings(Settings);
  ProcessLogWriter().LogReset();
}

}  // namespace
