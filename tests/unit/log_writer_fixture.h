// A log writer over a fresh temporary folder, with a fixed clock and recorded notices.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "datalog/log_writer.h"
#include "log_test_support.h"

class LogWriterTest : public ::testing::Test {
 protected:
  LogTempFolder dir;
  SettingsRecord s = LogSettings(dir.Text(), "test.log");
  FixedLogClock clock;
  RecordedLogNotices notices;
  LogWriter w{s, clock, notices};

  std::string LogPath() const { return dir.File("test.log"); }
  std::string Log() const { return ReadLogFile(LogPath()); }
  void SetName(const char* name) { std::snprintf(s.LOGFILE, sizeof s.LOGFILE, "%s", name); }
  void SetFolder(const std::string& folder) {
    std::snprintf(s.LOGFOLDER, sizeof s.LOGFOLDER, "%s", folder.c_str());
  }
  int Record(const char* text) {
    w.LogAppend(text);
    return w.LogFlush();
  }
};
