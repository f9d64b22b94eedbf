#include "datalog/log_writer.h"

#include <sys/stat.h>
#include <sys/types.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>

#ifdef _WIN32
#include <share.h>
#endif

#include "common/two_byte_text.h"
#include "keyout/code_notation.h"

// ---- the clock -----------------------------------------------------------------------------

LocalTime CrtLogClock::Now() {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
#ifdef _WIN32
  // The Microsoft runtime keeps localtime's result per thread.
  if (const std::tm* p = std::localtime(&t)) tm = *p;
#else
  localtime_r(&t, &tm);
#endif
  return LocalTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

// ---- the file name template ----------------------------------------------------------------

namespace {

// The number a code letter stands for, or -1 when the letter is no code.
int CodeValue(char letter, const LocalTime& t) {
  switch (letter) {
    case 'Y': return t.year;
    case 'y': return t.year % 100;
    case 'M': return t.month;
    case 'D': return t.day;
    case 'h': return t.hour;
    case 'm': return t.minute;
    case 's': return t.second;
    default: return -1;
  }
}

}  // namespace

void ExpandLogName(const char* templ, char* out, int size, const LocalTime& time) {
  if (size <= 0) return;
  std::memset(out, 0, static_cast<std::size_t>(size));
  const int limit = size - 1;
  int pos = 0;
  for (const char* p = templ; *p != 0 && pos < limit; ++p) {
    if (IsTwoByteClass(static_cast<unsigned char>(*p)) && p[1] != 0) {
      if (pos + 2 > limit) break;  // a cut never leaves half a character behind
      out[pos++] = *p++;
      out[pos++] = *p;
      continue;
    }
    if (*p != '&') {
      out[pos++] = *p;
      continue;
    }
    const int value = CodeValue(p[1], time);
    if (value < 0) continue;  // stray ampersand: dropped, the next character is read as usual
    char number[16];
    std::snprintf(number, sizeof number, p[1] == 'Y' ? "%04d" : "%02d", value);
    pos = static_cast<int>(AppendCut(out, static_cast<std::size_t>(size), static_cast<std::size_t>(pos), number));
    ++p;
  }
}

void ExpandLogName(const char* templ, char* out, int size, LogClock& clock) {
  const LocalTime now = clock.Now();
  ExpandLogName(templ, out, size, now);
}

int CheckLogName(const char* name) {
  static const char kForbidden[] = "\\$/:,;*?\"<>|";
  for (const char* p = name; *p != 0; ++p) {
    const unsigned char b = static_cast<unsigned char>(*p);
    if (IsTwoByteClass(b)) {
      if (p[1] == 0) break;
      ++p;  // the second byte of a two-byte character is part of that character
      continue;
    }
    if (std::strchr(kForbidden, *p) != nullptr) return -1;
    if (*p == '&') {
      if (p[1] == 0 || std::strchr("DMYhmy", p[1]) == nullptr) return -1;
      ++p;
    }
  }
  return 0;
}

// ---- the path ------------------------------------------------------------------------------

namespace {

bool IsTrailingSeparator(char c) {
#ifdef _WIN32
  return c == '\\';
#else
  return c == '\\' || c == '/';
#endif
}

// Length of `folder` without its one trailing separator. The text is walked character by
// character so that the second byte of a two-byte character (0x5C in 表) is not cut off.
std::size_t FolderLengthWithoutSeparator(const char* folder) {
  std::size_t length = 0;
  std::size_t lastCharStart = 0;
  bool lastIsSingle = false;
  while (folder[length] != 0) {
    lastCharStart = length;
    const bool twoByte =
        IsTwoByteClass(static_cast<unsigned char>(folder[length])) && folder[length + 1] != 0;
    lastIsSingle = !twoByte;
    length += twoByte ? 2 : 1;
  }
  if (length > 0 && lastIsSingle && IsTrailingSeparator(folder[lastCharStart])) return lastCharStart;
  return length;
}

// The file status through the narrow CRT call (code page 932 paths, not converted by the
// standard library); false when the path cannot be examined.
struct PathStatus {
  bool isFolder;
  std::int64_t size;
};

bool QueryPath(const char* path, PathStatus& status) {
#ifdef _WIN32
  // The Microsoft runtime refuses a folder path ending in a backslash ("C:\logs\", which an
  // empty file name gives); the file system's attributes do not. Query it without that
  // backslash, except for a root ("\", "C:\"), which needs it.
  char trimmed[kLogPathSize + 64];
  const std::size_t length = std::strlen(path);
  const std::size_t kept = FolderLengthWithoutSeparator(path);
  const bool isRoot = kept == 0 || (kept == 2 && path[1] == ':');
  if (kept < length && !isRoot && kept < sizeof trimmed) {
    std::memcpy(trimmed, path, kept);
    trimmed[kept] = 0;
    path = trimmed;
  }
  struct _stati64 st;
  if (_stati64(path, &st) != 0) return false;
  status.isFolder = (st.st_mode & _S_IFMT) == _S_IFDIR;
#else
  struct stat st;
  if (stat(path, &st) != 0) return false;
  status.isFolder = S_ISDIR(st.st_mode);
#endif
  status.size = static_cast<std::int64_t>(st.st_size);
  return true;
}

}  // namespace

void BuildLogPath(const char* folder, const char* name, char* out) {
  const int folderLength = static_cast<int>(FolderLengthWithoutSeparator(folder));
  std::snprintf(out, kLogPathSize, "%.*s%c%s", folderLength, folder, kLogPathSeparator, name);
}

int CheckNotFolder(const char* path) {
  PathStatus st{};
  if (!QueryPath(path, st)) return -1;
  return st.isFolder ? 0 : 1;
}

int FileSizeMB(const char* path) {
  PathStatus st{};
  if (!QueryPath(path, st) || st.isFolder) return -1;
  const std::int64_t mb = st.size / 1048576;
  return mb > INT_MAX ? INT_MAX : static_cast<int>(mb);
}

// ---- the record ----------------------------------------------------------------------------

namespace {

// One byte of the record; a line feed becomes CR LF as a text-mode stream would write it.
void PutByte(std::FILE* file, unsigned char b) {
  if (b == '\n') std::fputc('\r', file);
  std::fputc(b, file);
}

void PutText(std::FILE* file, const char* text) {
  for (; *text != 0; ++text) PutByte(file, static_cast<unsigned char>(*text));
}

// Printable bytes and half-width kana as they are, two-byte characters whole, everything else
// (control codes, DEL, 0xA0, a lead byte without its second byte) as <name>.
void PutConverted(std::FILE* file, const char* text) {
  for (const char* p = text; *p != 0; ++p) {
    const unsigned char b = static_cast<unsigned char>(*p);
    if ((b >= 0x20 && b <= 0x7E) || (b >= 0xA1 && b <= 0xDF)) {
      PutByte(file, b);
    } else if (IsTwoByteClass(b) && p[1] != 0) {
      PutByte(file, b);
      PutByte(file, static_cast<unsigned char>(*++p));
    } else {
      std::fputc('<', file);
      PutText(file, CharCodeNames[b]);
      std::fputc('>', file);
    }
  }
}

// Writes the record of `text` (zero-terminated) as the settings' LOGWDATE, LOGWTIME, LOGNAME
// and LOGADDENT ask, with the date and time of `time`. Write errors are not reported.
void WriteLogRecord(std::FILE* file, const char* text, const SettingsRecord& s,
                    const LocalTime& time) {
  if (s.LOGWDATE) std::fprintf(file, "%04d/%02d/%02d ", time.year, time.month, time.day);
  if (s.LOGWTIME) std::fprintf(file, "%02d:%02d:%02d ", time.hour, time.minute, time.second);
  if (s.LOGNAME) {
    PutConverted(file, text);
  } else {
    PutText(file, text);
  }
  if (s.LOGADDENT) PutByte(file, '\n');
}

}  // namespace

// ---- the writer ----------------------------------------------------------------------------

const char* LogNoticeText(LogNotice n) {
  switch (n) {
    case LogNotice::FolderGiven: return "ログファイルとしてフォルダ名が指定されています";
    case LogNotice::SizeLimit: return "ログファイルのサイズが制限値を超えました";
    case LogNotice::NotOpenable: return "ログファイルがオープンできません。設定を確認してください。";
  }
  return "";
}

namespace {

// Opened at each flush and closed after it; others may read and write the file meanwhile.
// Binary mode: the record writer puts CR LF itself.
std::FILE* OpenLogFile(const char* path, bool createAnew) {
  const char* mode = createAnew ? "wb" : "a+b";
#ifdef _WIN32
  return _fsopen(path, mode, _SH_DENYNO);
#else
  return std::fopen(path, mode);
#endif
}

}  // namespace

LogWriter::LogWriter(const SettingsRecord& settings, LogClock& clock, LogNotices& notices)
    : settings_(settings), clock_(clock), notices_(notices), LogBuffer{}, writePos_(0),
      LastLogPath{} {}

void LogWriter::LogReset() {
  EmptyBuffer();
  Report(0);
}

void LogWriter::EmptyBuffer() {
  writePos_ = 0;
  LogBuffer[0] = 0;
}

void LogWriter::LogAppend(const char* text) {
  if (!settings_.LOGEXEC) return;
  while (*text != 0 && writePos_ < kLogBufferText) LogBuffer[writePos_++] = *text++;
  LogBuffer[writePos_] = 0;
}

int LogWriter::Discard() {
  EmptyBuffer();
  return -1;
}

void LogWriter::Report(unsigned conditions) {
  for (unsigned k = 0; k < kLogNoticeKinds; ++k) {
    const auto notice = static_cast<LogNotice>(k);
    const unsigned bit = LogNoticeBit(notice);
    if ((conditions & bit) != 0 && (lasting_ & bit) == 0) notices_.ShowNotice(notice);
  }
  if (conditions == lasting_) return;
  lasting_ = conditions;
  notices_.NoticesLasting(conditions);
}

int LogWriter::LogFlush() {
  writePos_ = 0;
  if (LogBuffer[0] == 0) return 0;
  if (!settings_.LOGEXEC) {
    EmptyBuffer();
    return 0;
  }
  // One reading of the clock for the name and the record, so both tell the same time.
  const LocalTime now = clock_.Now();
  char name[kLogNameSize];
  ExpandLogName(settings_.LOGFILE, name, kLogNameSize, now);
  char path[kLogPathSize];
  BuildLogPath(settings_.LOGFOLDER, name, path);

  // New-file mode truncates at the first flush to a path in this process, then appends. The
  // path is noted only once it has been opened, so a first record that fails (the folder
  // missing, the file open elsewhere) leaves the next one to start the file anew.
  const bool createAnew = settings_.LOGOPENMD == 0 && std::strcmp(path, LastLogPath) != 0;

  if (CheckNotFolder(path) == 0) {
    Report(LogNoticeBit(LogNotice::FolderGiven));
    return Discard();
  }
  unsigned conditions = 0;
  if (!createAnew && FileSizeMB(path) >= settings_.LOGFLSIZE) {
    if (settings_.LOGDSPMSG) conditions |= LogNoticeBit(LogNotice::SizeLimit);
    if (settings_.LOGABORT) {
      Report(conditions);
      return Discard();
    }
  }
  std::FILE* file = OpenLogFile(path, createAnew);
  if (file == nullptr) {
    Report(conditions | LogNoticeBit(LogNotice::NotOpenable));
    return Discard();
  }
  std::memcpy(LastLogPath, path, sizeof LastLogPath);
  Report(conditions);
  WriteLogRecord(file, LogBuffer, settings_, now);
  std::fclose(file);
  EmptyBuffer();
  return 0;
}
