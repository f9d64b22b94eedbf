// Applying one line of the settings file to a record.
#pragma once
#include "config/settings_record.h"

// A line is at most this many characters; longer lines are read in pieces of this size.
inline constexpr int kSettingsLineMax = 1024;

// line has no line end. A line that begins with a key text of the key table sets that field;
// any other line is ignored.
void ApplySettingsLine(SettingsRecord& s, const char* line);
