// The bytes of one log record, written to an open file: date, time, the collected text (raw,
// or with control codes by name), line end. Every line feed goes out as CR LF, so the file is
// the same on every platform although it is opened in binary mode.
#pragma once
#include <cstdio>

#include "config/settings_record.h"
#include "datalog/log_clock.h"

// Writes the record of `text` (zero-terminated) as the settings' LOGWDATE, LOGWTIME, LOGNAME
// and LOGADDENT ask, with the date and time of `time`. Write errors are not reported.
void WriteLogRecord(std::FILE* file, const char* text, const SettingsRecord& s,
                    const LocalTime& time);
