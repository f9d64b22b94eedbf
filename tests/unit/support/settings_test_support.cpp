#include "settings_test_support.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>

// Only ASCII paths are used, so std::filesystem's narrow conversion is harmless here.
SettingsTempFolder::SettingsTempFolder() {
  std::random_device rd;
  const auto base = std::filesystem::temp_directory_path();
  for (;;) {
    auto p = base / ("tamblix_settings_" + std::to_string(rd()) + std::to_string(rd()));
    if (std::filesystem::create_directory(p)) {
      path_ = p.string();
      break;
    }
  }
}

SettingsTempFolder::~SettingsTempFolder() {
  // On Linux, files named "<folder>\..." lie beside the folder, so remove those too.
  std::error_code ec;
  const auto p = std::filesystem::path(path_);
  for (const auto& entry : std::filesystem::directory_iterator(p.parent_path(), ec)) {
    const std::string name = entry.path().filename().string();
    const std::string own = p.filename().string();
    if (name == own || name.compare(0, own.size() + 1, own + "\\") == 0) std::filesystem::remove_all(entry.path(), ec);
  }
}

bool TestDocumentsFolder::Path(char* out, std::size_t size) {
  if (path_.empty() || path_.size() + 1 > size) return false;
  std::memcpy(out, path_.c_str(), path_.size() + 1);
  return true;
}

std::string ReadWholeFile(const std::string& path) {
  std::string bytes;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return bytes;
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
  std::fclose(f);
  return bytes;
}

void WriteWholeFile(const std::string& path, const std::string& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return;
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

bool FileExists(const std::string& path) { return std::filesystem::is_regular_file(path); }
bool DirectoryExists(const std::string& path) { return std::filesystem::is_directory(path); }

void RemovePath(const std::string& path) {
  std::error_code ec;
  std::filesystem::remove_all(path, ec);
}

void CreateBlockingFolder(const std::string& path) { std::filesystem::create_directory(path); }
