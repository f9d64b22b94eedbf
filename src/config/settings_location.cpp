#include "config/settings_location.h"

#include <cstdio>

#include "config/command_line.h"
#include "config/settings_fs.h"

char SettingsFolder[kSettingsPathSize];
char DefaultSettingsPath[kSettingsPathSize];
char CurrentSettingsPath[kSettingsPathSize];

namespace {

DocumentsFolder* Source = nullptr;
bool Located = false;         // SettingsFolder and DefaultSettingsPath are fixed
bool StartupFileRead = false;  // the first LoadSettings without a path has run

DocumentsFolder* ActiveSource() {
#ifdef _WIN32
  if (Source == nullptr) Source = &ShellDocumentsFolder();
#endif
  return Source;
}

// out = a + b + c when it fits, else empty (an unusable path opens nothing).
bool Join(char* out, const char* a, const char* b, const char* c) {
  const int n = std::snprintf(out, kSettingsPathSize, "%s%s%s", a, b, c);
  if (n < 0 || n >= kSettingsPathSize) {
    out[0] = 0;
    return false;
  }
  return true;
}

// Fixes SettingsFolder and DefaultSettingsPath once and creates the folder when it is missing.
// Without a documents folder both stay empty, so reading and writing do nothing.
void Locate() {
  if (Located) return;
  Located = true;
  char documents[kSettingsPathSize] = {};
  DocumentsFolder* source = ActiveSource();
  if (source == nullptr || !source->Path(documents, sizeof documents)) return;
  if (!Join(SettingsFolder, documents, "\\Tamblix", "")) return;
  if (!Join(DefaultSettingsPath, SettingsFolder, "\\Tamblix.ini", "")) {
    SettingsFolder[0] = 0;
    return;
  }
  MakeDirectory(SettingsFolder);  // fails harmlessly when it exists; other failures are silent
}

// The first start-up read: the "/F" file, named directly after the folder name, or the default.
const char* StartupFile() {
  if (SettingsFolder[0] != 0 && SettingsName[0] != 0) {
    Join(CurrentSettingsPath, SettingsFolder, SettingsName, ".ini");
  } else {
    Join(CurrentSettingsPath, DefaultSettingsPath, "", "");
  }
  return CurrentSettingsPath;
}

}  // namespace

void LoadSettings(const char* path) {
  if (path == nullptr) {
    Locate();
    path = StartupFileRead ? DefaultSettingsPath : StartupFile();
    StartupFileRead = true;
  }
  ReadSettingsFile(Settings, path);
}

void SaveSettings(const char* path) {
  if (path == nullptr) {
    Locate();
    path = DefaultSettingsPath;
  }
  WriteSettingsFile(Settings, path);
}

void SetDocumentsFolder(DocumentsFolder* folder) {
  Source = folder;
  Located = false;
  StartupFileRead = false;
  SettingsFolder[0] = 0;
  DefaultSettingsPath[0] = 0;
  CurrentSettingsPath[0] = 0;
}
