#include "config/settings_location.h"

#include <cstdio>
#include <cstring>

#include "common/text_rules.h"

int KeyPause = 20;
char SettingsName[kSettingsNameSize];

char SettingsFolder[kSettingsPathSize];
char DefaultSettingsPath[kSettingsPathSize];
char CurrentSettingsPath[kSettingsPathSize];

namespace {

// ---- the command line ----------------------------------------------------------------------

// "/D" + at most 4 characters: the decimal number at the start of the text, 0 without a
// digit. A negative number gives 0, so that no pause can become endless.
void ApplyPause(const char* text, std::size_t length) {
  if (length > 4) return;
  const NumberRead r = ReadNumber(text, length, 9999, Sign::Allowed);
  KeyPause = r.negative ? 0 : static_cast<int>(r.value);
}

// "/F" + 1 to 99 characters: the name of the settings file.
void ApplyName(const char* text, std::size_t length) {
  if (length == 0 || length >= kSettingsNameSize) return;
  std::memcpy(SettingsName, text, length);
  SettingsName[length] = 0;
}

void ApplyWord(const char* word, std::size_t length) {
  if (length < 2 || word[0] != '/') return;
  if (word[1] == 'D') ApplyPause(word + 2, length - 2);
  if (word[1] == 'F') ApplyName(word + 2, length - 2);
}

// ---- the settings file's place -------------------------------------------------------------

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

void ParseCommandLine(const char* text) {
  if (text == nullptr) return;
  while (*text != 0) {
    while (IsBlank(*text, Blanks::Word)) ++text;
    const char* word = text;
    while (*text != 0 && !IsBlank(*text, Blanks::Word)) ++text;
    if (text > word) ApplyWord(word, static_cast<std::size_t>(text - word));
  }
}
