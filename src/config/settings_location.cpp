#include "config/settings_location.h"

#include <cstdio>
#include <cstring>

#include "common/text_rules.h"

namespace {

// What the command line set; it stays when the documents folder is set anew.
struct CommandLineOptions {
  int keyPause = 20;
  char name[kSettingsNameSize] = {};
};

// Where the settings file lies and how far loading has come; forgotten with a new documents
// folder, as if the process had just started.
struct SettingsPlace {
  DocumentsFolder* source = nullptr;
  bool located = false;          // folder and defaultPath are fixed
  bool startupFileRead = false;  // the first LoadSettings without a path has run
  char folder[kSettingsPathSize] = {};
  char defaultPath[kSettingsPathSize] = {};
  char currentPath[kSettingsPathSize] = {};
};

// The whole state of this file, in one record.
struct SettingsLocationState {
  CommandLineOptions options;
  SettingsPlace place;
};

SettingsLocationState Location;

}  // namespace

// The names the rest of the program uses, bound to the record's fields.
int& KeyPause = Location.options.keyPause;
char (&SettingsName)[kSettingsNameSize] = Location.options.name;
char (&SettingsFolder)[kSettingsPathSize] = Location.place.folder;
char (&DefaultSettingsPath)[kSettingsPathSize] = Location.place.defaultPath;
char (&CurrentSettingsPath)[kSettingsPathSize] = Location.place.currentPath;

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

DocumentsFolder* ActiveSource() {
#ifdef _WIN32
  if (Location.place.source == nullptr) Location.place.source = &ShellDocumentsFolder();
#endif
  return Location.place.source;
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
  if (Location.place.located) return;
  Location.place.located = true;
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
    path = Location.place.startupFileRead ? DefaultSettingsPath : StartupFile();
    Location.place.startupFileRead = true;
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
  Location.place = SettingsPlace{};
  Location.place.source = folder;
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
