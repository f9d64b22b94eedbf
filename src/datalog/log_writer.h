// The log writer: collects the text of one frame and, at each flush, writes it to the log file
// as one record, optionally after the date and time and before a line end. The file's name
// comes from a template of the local time, its folder from the settings; the clock and the
// notices of conditions that keep a record out are the seams tests replace. The program keeps
// one writer, used by the reader thread only (log_writer_win32.h); tests build fresh ones.
#pragma once
#include <cstdint>

#include "config/settings.h"

// ---- the clock -----------------------------------------------------------------------------
// The clock the log writer asks for the local time: the file name template and the date and
// time of each record. The program uses the C runtime's local time; tests fix the time.

struct LocalTime {
  int year;    // four digits, e.g. 2008
  int month;   // 1..12
  int day;     // 1..31
  int hour;    // 0..23
  int minute;  // 0..59
  int second;  // 0..59 (60 on a leap second)
};

class LogClock {
 public:
  virtual ~LogClock() = default;
  virtual LocalTime Now() = 0;
};

// Local time from the C runtime (time and localtime); portable, used by the program.
class CrtLogClock : public LogClock {
 public:
  LocalTime Now() override;
};

// ---- the notices ---------------------------------------------------------------------------
// Where the log writer reports the conditions that keep a record out of the file, or find the
// file at its size limit. A condition is told once when it begins; while it lasts the same
// condition is not told again at every record. The program posts these to the main dialog,
// which shows one box per condition and says in its caption and tray tip what lasts; tests
// record them.

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

// ---- the file name template ----------------------------------------------------------------
// &Y &y &M &D &h &m &s stand for the parts of the local time.

// Room for an expanded name: 49 characters and the terminator.
inline constexpr int kLogNameSize = 50;

// Writes the expansion of `templ` into `out`: all `size` bytes are zeroed first, and the result
// is cut at size - 1 bytes (never inside a two-byte character), so nothing is written past
// out[size - 1]. An ampersand that is not followed by a code letter is dropped. Does nothing
// when size <= 0.
void ExpandLogName(const char* templ, char* out, int size, const LocalTime& time);
// The same with the local time taken once from `clock`.
void ExpandLogName(const char* templ, char* out, int size, LogClock& clock);

// 0 when the name may be stored as a template, -1 when it holds one of the characters
//   \ $ / : , ; * ? " < > |
// or an ampersand not followed by D, M, Y, h, m or y (&s and a trailing & are refused).
int CheckLogName(const char* name);

// ---- the path ------------------------------------------------------------------------------
// How the writer joins folder and name, and the two probes of the file system it and the log
// settings dialog use. Paths are narrow code page 932 strings.

// The full path: a folder of 1024 characters, a separator, a name of 49, and the terminator.
inline constexpr int kLogPathSize = 1024 + 1 + (kLogNameSize - 1) + 1;

// The separator the writer puts between folder and name. The program (Windows) uses the
// backslash. Elsewhere the core is only built for its unit tests, where a backslash would be
// an ordinary file name character, so '/' is used there.
#ifdef _WIN32
inline constexpr char kLogPathSeparator = '\\';
#else
inline constexpr char kLogPathSeparator = '/';
#endif

// Writes folder + separator + name into `out` (kLogPathSize bytes, cut to fit). One trailing
// separator of the folder is dropped first, so "C:\logs\" and "C:\logs" give the same path;
// an empty folder gives the separator and the name. On Windows only a backslash counts as
// trailing separator (and a 0x5C that is the second byte of a two-byte character does not);
// elsewhere a backslash and '/' both do.
void BuildLogPath(const char* folder, const char* name, char* out);

// 0 when the path names an existing folder, 1 when it names something else that exists, -1
// when it cannot be examined (it does not exist). Does not open the file.
int CheckNotFolder(const char* path);

// The size of an existing file in whole megabytes of 1048576 bytes, rounded down, from its
// 64-bit size (files of 2 GiB and more included; capped at the largest int); -1 when the path
// does not exist or names a folder.
int FileSizeMB(const char* path);

// ---- the writer ----------------------------------------------------------------------------
// A record is the date, the time, the collected text (raw, or with control codes by name) and
// the line end, as LOGWDATE, LOGWTIME, LOGNAME and LOGADDENT ask. Every line feed goes out as
// CR LF, so the file is the same on every platform although it is opened in binary mode.

// 2000 bytes of text; the buffer holds one more byte for the terminator. A shaped frame's text
// (kShapedTextSize) is one record; the two are tied by a static_assert where they meet.
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
