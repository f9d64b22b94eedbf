// The log writer: collects the text of one frame in LogBuffer and, at each flush, writes it to
// the log file as one record, optionally after the date and time and before a line end. The
// program keeps one writer, used by the reader thread only; tests build fresh ones.
#pragma once
#include <cstdint>

#include "config/settings_record.h"
#include "datalog/log_clock.h"
#include "datalog/log_notices.h"
#include "datalog/log_path.h"

// 2000 bytes of text; the buffer holds one more byte for the terminator.
inline constexpr int kLogBufferText = 2000;

class LogWriter {
 public:
  // The writer reads `settings` at every call; `clock` and `notices` must outlive it.
  LogWriter(const SettingsRecord& settings, LogClock& clock, LogNotices& notices);

  // Empties the buffer and sets the write position to its start; no condition lasts any more,
  // so the next one met is told again (a new start of reception).
  void LogReset();
  // Appends zero-terminated text when LOGEXEC is set; bytes beyond 2000 are dropped.
  void LogAppend(const char* text);
  void LogAppend(const std::uint8_t* text) { LogAppend(reinterpret_cast<const char*>(text)); }
  // Writes the buffer as one record and empties it. 0 when a record was written or there was
  // nothing to write; -1 when the record was discarded (folder given as the file, size limit
  // with LOGABORT, file not openable). A condition is told when it begins, not again at each
  // record while it lasts.
  int LogFlush();

  // The path the previous flush used ("" before).
  const char* LastPath() const { return LastLogPath; }

 private:
  void EmptyBuffer();
  int Discard();
  // Tells the conditions met by this flush that did not hold before, and the lasting set.
  void Report(unsigned conditions);

  const SettingsRecord& settings_;
  LogClock& clock_;
  LogNotices& notices_;
  char LogBuffer[kLogBufferText + 1];
  int writePos_;
  char LastLogPath[kLogPathSize];
  unsigned lasting_ = 0;  // LogNoticeBit of the conditions the last flush met
};
