#include "config/settings_record.h"

#include <cstring>

SettingsRecord Settings;

void SetDefaultSettings(SettingsRecord& s) {
  std::memset(&s, 0, sizeof s);
  s.BITS = 1;
  s.DATADELAY = 50;
  s.DATAWAIT = 10;
  s.SENDDELAY = 10;
  s.LOGOPENMD = 1;
  s.LOGFLSIZE = 10;
  s.LOGDSPMSG = 1;
  s.LOGABORT = 1;
  s.LOGNAME = 1;
  s.LOGADDENT = 1;
  s.TARGETWAIT = 30;
}
