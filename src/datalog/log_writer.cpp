#include "datalog/log_writer.h"

#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <share.h>
#endif

#include "datalog/log_record.h"

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

  // New-file mode truncates at the first flush to a path in this process, then appends.
  const bool createAnew = settings_.LOGOPENMD == 0 && std::strcmp(path, LastLogPath) != 0;
  std::memcpy(LastLogPath, path, sizeof LastLogPath);

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
  Report(conditions);
  WriteLogRecord(file, LogBuffer, settings_, now);
  std::fclose(file);
  EmptyBuffer();
  return 0;
}
