// Temporary folders and file helpers for the settings file tests, and a documents folder that
// points at a temporary folder.
#pragma once
#include <string>

#include "config/settings_location.h"

// A fresh folder under the system's temporary folder, removed with its contents at the end.
class SettingsTempFolder {
 public:
  SettingsTempFolder();
  ~SettingsTempFolder();
  SettingsTempFolder(const SettingsTempFolder&) = delete;
  SettingsTempFolder& operator=(const SettingsTempFolder&) = delete;
  const std::string& Path() const { return path_; }
  // Path + the program's separator "\" + name (on Linux "\" is part of the file name).
  std::string File(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

// The documents folder of the tests: a temporary folder, or none at all.
class TestDocumentsFolder final : public DocumentsFolder {
 public:
  explicit TestDocumentsFolder(std::string path) : path_(std::move(path)) {}
  bool Path(char* out, std::size_t size) override;

 private:
  std::string path_;
};

std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
// Removes a file or a folder tree; no error when it is missing.
void RemovePath(const std::string& path);
// Creates a folder at path, so that no file of that name can be created.
void CreateBlockingFolder(const std::string& path);
