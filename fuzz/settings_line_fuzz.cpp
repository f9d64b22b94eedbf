// Any line applied to a record must stay inside the record, keep every text field terminated
// and every number within its row's range.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "config/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > kSettingsLineMax) size = kSettingsLineMax;
  const std::string line(reinterpret_cast<const char*>(data), size);
  SettingsRecord s;
  SetDefaultSettings(s);
  ApplySettingsLine(s, line.c_str());
  if (std::memchr(s.LOGFOLDER, 0, sizeof s.LOGFOLDER) == nullptr) std::abort();
  if (std::memchr(s.LOGFILE, 0, sizeof s.LOGFILE) == nullptr) std::abort();
  if (std::memchr(s.FILTER, 0, sizeof s.FILTER) == nullptr) std::abort();
  if (std::memchr(s.TARGET, 0, sizeof s.TARGET) == nullptr) std::abort();
  if (s.BAUD > 6 || s.DATADELAY < 0 || s.DATADELAY > 2000 || s.LOGFLSIZE < 0 || s.LOGFLSIZE > 2000) std::abort();
  if (s.RCVSTA[5] != 0 || s.PRECODE[10] != 0 || s.REQCODE[kMaxRequestBytes] != 0) std::abort();
  if (s.REQTIMER < 0 || s.REQTIMER > 30000 || s.TARGETMODE > 2 || s.TARGETWAIT < 1 || s.TARGETWAIT > 3600)
    std::abort();
  return 0;
}
