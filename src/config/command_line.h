// The command line: "/D" sets the pause after each injected key, "/F" names the settings file.
#pragma once

inline constexpr int kSettingsNameSize = 100;  // 99 characters and the terminator

// Pause in milliseconds after each control-character key and each key group; default 20.
extern int KeyPause;
// The name given by "/F"; empty when the option is absent.
extern char SettingsName[kSettingsNameSize];

// Splits text at blanks and applies every valid option; the last valid one of each kind wins.
// Other words, lower-case options and invalid values are ignored. nullptr counts as empty.
void ParseCommandLine(const char* text);
