// Where the log writer reports the conditions that keep a record out of the file, or find the
// file at its size limit. A condition is told once when it begins; while it lasts the same
// condition is not told again at every record. The program posts these to the main dialog,
// which shows one box per condition and says in its caption and tray tip what lasts; tests
// record them.
#pragma once

enum class LogNotice : unsigned {
  FolderGiven = 0,  // the path names an existing folder: the record is discarded
  SizeLimit = 1,    // the file is at its size limit (told only with LOGDSPMSG)
  NotOpenable = 2,  // the file cannot be opened: the record is discarded
};
inline constexpr unsigned kLogNoticeKinds = 3;
// The bit of a notice in a set of lasting conditions.
constexpr unsigned LogNoticeBit(LogNotice n) { return 1u << static_cast<unsigned>(n); }

// The notice's text, code page 932.
const char* LogNoticeText(LogNotice n);

class LogNotices {
 public:
  virtual ~LogNotices() = default;
  // A condition has begun (it did not hold at the previous record).
  virtual void ShowNotice(LogNotice notice) = 0;
  // The set of conditions (LogNoticeBit) that hold after a record, whenever it changes; 0 once
  // a record meets none of them.
  virtual void NoticesLasting(unsigned conditions) = 0;
};
