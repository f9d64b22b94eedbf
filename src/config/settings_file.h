// Reading and writing the settings file: a header line and one "KEY=value" line per row of the
// key table, CR LF, code page 932 text.
#pragma once
#include <cstdio>

#include "config/settings_record.h"

// The product-and-version string; the header line of the file is "[" + it + "]".
inline constexpr char kProductVersion[] = "Tamblix( TM ) Ver.2.5.2";

// Room for a settings file path: 1023 characters and the terminator.
inline constexpr int kSettingsPathSize = 1024;

// Sets the defaults, then applies every line of the file at path. A missing or unreadable file
// leaves the defaults; bad lines and bad values are skipped silently.
void ReadSettingsFile(SettingsRecord& s, const char* path);

// Writes the whole record to path through a temporary file beside it, which replaces the
// target only once it is complete. Returns false when nothing was replaced; the old file is
// then untouched. Callers report nothing.
bool WriteSettingsFile(const SettingsRecord& s, const char* path);

// The same on streams the caller opened and closes (the file calls stay with the functions
// above; in-memory streams let tests and fuzzing go without the disk). Reading sets the
// defaults first; writing gives true when the whole text reached the stream.
void ReadSettingsStream(SettingsRecord& s, std::FILE* f);
bool WriteSettingsStream(const SettingsRecord& s, std::FILE* f);

// The text of the file for s (at most kSettingsTextSize bytes including the terminator).
inline constexpr int kSettingsTextSize = 4096;
int FormatSettingsText(const SettingsRecord& s, char* out, int size);
