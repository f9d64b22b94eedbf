// Where the settings file lies: the command line ("/D" sets the pause after each injected key,
// "/F" names the settings file), the documents folder, and loading and saving the process-wide
// record there.
#pragma once
#include <cstddef>

#include "config/settings.h"

// ---- the command line ----------------------------------------------------------------------

inline constexpr int kSettingsNameSize = 100;  // 99 characters and the terminator

// Pause in milliseconds after each control-character key and each key group; default 20.
extern int& KeyPause;
// The name given by "/F"; empty when the option is absent.
extern char (&SettingsName)[kSettingsNameSize];

// Splits text at blanks and applies every valid option; the last valid one of each kind wins.
// Other words, lower-case options and invalid values are ignored. nullptr counts as empty.
void ParseCommandLine(const char* text);

// ---- the documents folder ------------------------------------------------------------------

// Where the user's documents folder is. The program asks the shell; tests point it at a
// temporary folder.
struct DocumentsFolder {
  virtual ~DocumentsFolder() = default;
  // Writes the folder's path (no trailing backslash) into out; false when there is none.
  virtual bool Path(char* out, std::size_t size) = 0;
};

// The shell's documents folder (Win32 build only, settings_win32.cpp).
DocumentsFolder& ShellDocumentsFolder();

// ---- the settings file's place -------------------------------------------------------------

// The documents folder + "\Tamblix"; fixed by the first LoadSettings without a path.
extern char (&SettingsFolder)[kSettingsPathSize];
// SettingsFolder + "\Tamblix.ini".
extern char (&DefaultSettingsPath)[kSettingsPathSize];
// The file the main dialog's load and save buttons work on (at most 1023 characters).
extern char (&CurrentSettingsPath)[kSettingsPathSize];

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
