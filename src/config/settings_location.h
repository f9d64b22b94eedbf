// Where the settings file lies, and loading and saving the process-wide record there.
#pragma once
#include "config/documents_folder.h"
#include "config/settings_file.h"

// The documents folder + "\Tamblix"; fixed by the first LoadSettings without a path.
extern char SettingsFolder[kSettingsPathSize];
// SettingsFolder + "\Tamblix.ini".
extern char DefaultSettingsPath[kSettingsPathSize];
// The file the main dialog's load and save buttons work on (at most 1023 characters).
extern char CurrentSettingsPath[kSettingsPathSize];

// Resets Settings to the defaults, then reads path; without a path, the start-up file on the
// first call (the "/F" file when SettingsName is set, else DefaultSettingsPath) and
// DefaultSettingsPath on later calls.
void LoadSettings(const char* path);
// Writes Settings to path, or without a path to DefaultSettingsPath. Failures are silent and
// leave the old file as it was.
void SaveSettings(const char* path);

// The source of the documents folder; the shell's folder on Win32 unless one is set. Setting
// one (tests do) also forgets the fixed locations, as if the process had just started.
void SetDocumentsFolder(DocumentsFolder* folder);
