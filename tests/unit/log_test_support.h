// Fakes and file helpers shared by the log writer's tests: a fixed clock, a notice recorder,
// and a private temporary folder per test.
#pragma once
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "config/settings.h"
#include "datalog/log_writer.h"

class FixedLogClock : public LogClock {
 public:
  LocalTime time{2008, 3, 14, 9, 30, 5};
  int calls = 0;
  LocalTime Now() override {
    ++calls;
    return time;
  }
};

// The texts of the notices told, in order, and every change of the lasting set.
class RecordedLogNotices : public LogNotices {
 public:
  std::vector<std::string> texts;
  std::vector<unsigned> lasting;
  void ShowNotice(LogNotice notice) override { texts.emplace_back(LogNoticeText(notice)); }
  void NoticesLasting(unsigned conditions) override { lasting.push_back(conditions); }
};

// A fresh folder under the system's temporary folder, removed with everything in it at the
// end. Only ASCII names are used, so std::filesystem's narrow conversion is harmless here.
class LogTempFolder {
 public:
  LogTempFolder() {
    std::random_device rd;
    const auto base = std::filesystem::temp_directory_path();
    for (;;) {
      path_ = base / ("tamblix_log_" + std::to_string(rd()) + std::to_string(rd()));
      if (std::filesystem::create_directory(path_)) break;
    }
  }
  ~LogTempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  // The folder as the writer's LOGFOLDER text, without a trailing separator.
  std::string Text() const { return path_.string(); }
  // folder + separator + name.
  std::string File(const std::string& name) const { return Text() + kLogPathSeparator + name; }

 private:
  std::filesystem::path path_;
};

inline bool LogFileExists(const std::string& path) { return std::filesystem::exists(path); }

inline std::string ReadLogFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteLogFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

// A file of `size` bytes that takes no disk space: extended by truncation (ftruncate on
// Linux, _chsize_s on Windows).
inline void MakeSizedLogFile(const std::string& path, std::uintmax_t size) {
  WriteLogFile(path, "");
  std::filesystem::resize_file(path, size);
}

// Defaults with recording on into `folder`, file name `name`.
inline SettingsRecord LogSettings(const std::string& folder, const char* name) {
  SettingsRecord s;
  SetDefaultSettings(s);
  s.LOGEXEC = 1;
  std::snprintf(s.LOGFOLDER, sizeof s.LOGFOLDER, "%s", folder.c_str());
  std::snprintf(s.LOGFILE, sizeof s.LOGFILE, "%s", name);
  return s;
}
