// Start with Windows: the shortcut is made in this prefix's Startup folder under the settings
// name, read back through the shell as Explorer reads it at sign-in, and removed.
#include <windows.h>
#include <knownfolders.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/startup_shortcut_win32.h"
#include "config/settings_location.h"

namespace {

std::wstring StartupFolder() {
  PWSTR known = nullptr;
  std::wstring folder;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Startup, 0, nullptr, &known))) folder = known;
  CoTaskMemFree(known);
  return folder;
}

std::wstring ThisProgram() {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return path;
}

struct Link {
  std::wstring target, arguments, folder;
};

// A shortcut file read through IShellLinkW.
bool ReadLink(const std::wstring& file, Link& link) {
  IShellLinkW* shell = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&shell)))) {
    return false;
  }
  IPersistFile* persist = nullptr;
  wchar_t target[MAX_PATH] = {}, arguments[MAX_PATH] = {}, folder[MAX_PATH] = {};
  const bool read =
      SUCCEEDED(shell->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist))) &&
      SUCCEEDED(persist->Load(file.c_str(), STGM_READ)) &&
      SUCCEEDED(shell->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH)) &&
      SUCCEEDED(shell->GetArguments(arguments, MAX_PATH)) &&
      SUCCEEDED(shell->GetWorkingDirectory(folder, MAX_PATH));
  if (persist != nullptr) persist->Release();
  shell->Release();
  link = {target, arguments, folder};
  return read;
}

// Each test starts the "program" with a command line of its own and puts the process's
// options back afterwards.
class StartupShortcutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::memcpy(savedName_, SettingsName, sizeof savedName_);
    savedPause_ = KeyPause;
  }
  void TearDown() override {
    std::memcpy(SettingsName, savedName_, sizeof savedName_);
    KeyPause = savedPause_;
  }
  static void StartedWith(const char* commandLine) {
    SettingsName[0] = 0;
    KeyPause = 20;
    ParseCommandLine(commandLine);
  }
  static std::wstring ShortcutPath() {
    wchar_t path[2 * MAX_PATH];
    return StartupShortcutPath(path, 2 * MAX_PATH) ? path : L"";
  }

  const ComApartment com_;

 private:
  char savedName_[kSettingsNameSize] = {};
  int savedPause_ = 0;
};

TEST_F(StartupShortcutTest, OneShortcutPerSettingsNameInTheStartupFolder) {
  const std::wstring folder = StartupFolder();
  ASSERT_FALSE(folder.empty());
  const struct {
    const char* commandLine;
    const wchar_t* file;
  } rows[] = {
      {"", L"Tamblix.lnk"},
      {"/D50", L"Tamblix.lnk"},
      {"/Fscanner", L"Tamblix scanner.lnk"},
      {"/Fa:b|c", L"Tamblix a_b_c.lnk"},  // characters a file name cannot hold
  };
  for (const auto& row : rows) {
    StartedWith(row.commandLine);
    EXPECT_EQ(ShortcutPath(), folder + L"\\" + row.file) << row.commandLine;
  }
}

// A name of its own, so that no shortcut of a real copy of the program is touched.
TEST_F(StartupShortcutTest, MadeWithThisRunsOptionsReadBackAndRemoved) {
  const std::wstring program = ThisProgram();
  const std::wstring programFolder = program.substr(0, program.rfind(L'\\'));
  const struct {
    const char* commandLine;
    const wchar_t* arguments;
  } rows[] = {
      {"/Funittest-startup /D50", L"/Funittest-startup /D50"},
      {"/Funittest-startup", L"/Funittest-startup"},  // made anew: the old /D goes
      {"/D /Funittest-startup", L"/Funittest-startup /D0"},
  };
  StartedWith(rows[0].commandLine);
  ASSERT_TRUE(SetStartupShortcut(false));
  ASSERT_FALSE(StartupShortcutExists());
  for (const auto& row : rows) {
    SCOPED_TRACE(row.commandLine);
    StartedWith(row.commandLine);
    ASSERT_TRUE(SetStartupShortcut(true));
    EXPECT_TRUE(StartupShortcutExists());
    Link link;
    ASSERT_TRUE(ReadLink(ShortcutPath(), link));
    EXPECT_EQ(link.target, program);
    EXPECT_EQ(link.arguments, row.arguments);
    EXPECT_EQ(link.folder, programFolder);
  }
  EXPECT_TRUE(SetStartupShortcut(false));
  EXPECT_FALSE(StartupShortcutExists());
  EXPECT_EQ(GetFileAttributesW(ShortcutPath().c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(SetStartupShortcut(false)) << "removing a shortcut that is not there";
}

}  // namespace
