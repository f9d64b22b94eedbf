#include "datalog/log_dialog.h"

#include <cstring>

#include "common/text_rules.h"
#include "datalog/log_writer.h"

// ---- the folder and file name texts --------------------------------------------------------

namespace {

// Position of the last single-byte backslash, or -1 when there is none.
long LastBackslash(const char* text) {
  long last = -1;
  for (std::size_t i = 0; text[i] != 0; i += CharLength(text, i)) {
    if (text[i] == '\\') last = static_cast<long>(i);
  }
  return last;
}

}  // namespace

void BuildLogChooserPath(const char* folder, const char* name, char* out, std::size_t size) {
  if (size == 0) return;
  std::size_t pos = AppendCut(out, size, 0, folder);
  if (pos > 0 && !EndsWithBackslash(out)) pos = AppendCut(out, size, pos, "\\");
  pos = AppendCut(out, size, pos, name);
  if (EndsWithBackslash(out)) AppendCut(out, size, pos, "*.log");
}

void ChooserStartPath(const char* path, char* out, std::size_t size) {
  CopyTextCut(out, size, path);
  if (size > 0) DropTrailingBackslash(out);
}

void SplitLogChooserPath(const char* path, char* folder, std::size_t folderSize, char* name,
                         std::size_t nameSize) {
  const long cut = LastBackslash(path);
  if (cut < 0) {
    CopyTextCut(folder, folderSize, "");
    CopyTextCut(name, nameSize, path);
    return;
  }
  const std::size_t before = static_cast<std::size_t>(cut);
  if (folderSize > 0) {
    // The folder part is the path up to the backslash, cut to its buffer as a whole text.
    const std::size_t n = CutLength(path, before < folderSize - 1 ? before : folderSize - 1);
    std::memcpy(folder, path, n);
    folder[n] = 0;
  }
  CopyTextCut(name, nameSize, path + before + 1);
}

// ---- the input -----------------------------------------------------------------------------

namespace {

std::uint8_t Flag(bool on) { return on ? 1 : 0; }

// The checks of recording on: the folder first, then the name; 0 when both pass.
int CheckBoxes(const LogDialogInput& in) {
  char text[kLogDialogTextSize];
  CopyTextCut(text, sizeof text, in.folder);
  DropTrailingBackslash(text);
  if (CheckNotFolder(text) != 0) return kLogFolderBoxId;
  CopyTextCut(text, sizeof text, in.name);
  DropTrailingBackslash(text);
  if (CheckLogName(text) != 0) return kLogFileBoxId;
  return 0;
}

void StoreText(char* field, std::size_t size, const char* text) {
  CopyTextCut(field, size, text);
  DropTrailingBackslash(field);
}

}  // namespace

bool ParseLogSizeLimit(const char* text, std::int32_t* value) {
  const char* p = text;
  while (IsBlank(*p, Blanks::Scan)) ++p;
  // Held instead of overflowing: anything past the limit is held to it.
  const NumberRead r = ReadNumber(p, kToTheEnd, kLogSizeLimitMax, Sign::Allowed);
  if (r.status == NumberStatus::NoDigits) return false;
  // The field holds 0..2000; a pasted "-5" is held to 0.
  *value = r.negative ? 0 : static_cast<std::int32_t>(r.value);
  return true;
}

int StoreLogDialogInput(const LogDialogInput& in, SettingsRecord& s) {
  s.LOGNOSEND = Flag(in.recordOn && in.noSend);
  if (in.recordOn) {
    const int refused = CheckBoxes(in);
    if (refused != 0) return refused;
  }
  s.LOGEXEC = Flag(in.recordOn);
  if (in.newFile) {
    s.LOGOPENMD = 0;
  } else if (in.append) {
    s.LOGOPENMD = 1;
  }
  std::int32_t size = 0;
  if (ParseLogSizeLimit(in.sizeText, &size)) s.LOGFLSIZE = size;
  s.LOGDSPMSG = Flag(in.showMessage);
  s.LOGABORT = Flag(in.abort);
  StoreText(s.LOGFOLDER, sizeof s.LOGFOLDER, in.folder);
  StoreText(s.LOGFILE, sizeof s.LOGFILE, in.name);
  s.LOGNAME = Flag(in.byName);
  s.LOGADDENT = Flag(in.addEnd);
  s.LOGWDATE = Flag(in.date);
  s.LOGWTIME = Flag(in.time);
  return 0;
}
