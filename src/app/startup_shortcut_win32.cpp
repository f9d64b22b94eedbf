#include "app/startup_shortcut_win32.h"

#include <windows.h>
#include <knownfolders.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cwchar>

#include "config/settings_location.h"
#include "keyout/keystrokes.h"  // kDefaultKeyPauseMs: the pause without "/D"

namespace {

// The program's path and the Startup folder's are at most this long, as the shell's own
// functions take them.
constexpr std::size_t kPathUnits = MAX_PATH;
// "/F" with the name, " /D" with up to 4 digits and a sign.
constexpr std::size_t kArgumentUnits = kSettingsNameSize + 16;

// The user's Startup folder (FOLDERID_Startup), made when `create` asks and it is missing; the
// older CSIDL_STARTUP where the known folder cannot be read.
bool StartupFolder(wchar_t* folder, std::size_t capacity, bool create) {
  PWSTR known = nullptr;
  bool found = false;
  const DWORD flags = create ? static_cast<DWORD>(KF_FLAG_CREATE) : 0u;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Startup, flags, nullptr, &known)) && known != nullptr) {
    found = std::wcslen(known) < capacity;
    if (found) std::wcscpy(folder, known);
  }
  CoTaskMemFree(known);
  if (found) return true;
  wchar_t older[MAX_PATH];
  if (capacity < MAX_PATH ||
      FAILED(SHGetFolderPathW(nullptr, CSIDL_STARTUP | (create ? CSIDL_FLAG_CREATE : 0), nullptr,
                              SHGFP_TYPE_CURRENT, older))) {
    return false;
  }
  std::wcscpy(folder, older);
  return true;
}

// The settings name as the command line gave it: in the system's ANSI code page, the code page
// Windows turns the shortcut's arguments back into for the program's command line.
bool SettingsNameWide(wchar_t* name, int capacity) {
  name[0] = 0;
  if (SettingsName[0] == 0) return true;
  return MultiByteToWideChar(CP_ACP, 0, SettingsName, -1, name, capacity) > 0;
}

// "Tamblix.lnk", or "Tamblix NAME.lnk" with the characters a file name cannot hold as "_".
bool ShortcutFileName(wchar_t* file, std::size_t capacity) {
  wchar_t name[kSettingsNameSize];
  if (!SettingsNameWide(name, kSettingsNameSize)) return false;
  for (wchar_t* c = name; *c != 0; ++c) {
    if (*c < 0x20 || std::wcschr(L"\\/:*?\"<>|", *c) != nullptr) *c = L'_';
  }
  const int n = name[0] == 0 ? std::swprintf(file, capacity, L"Tamblix.lnk")
                             : std::swprintf(file, capacity, L"Tamblix %ls.lnk", name);
  return n > 0;
}

// "/FNAME" and "/Dn" as this run was started with them; "/D" only when it changed the pause.
bool Arguments(wchar_t* arguments, std::size_t capacity) {
  wchar_t name[kSettingsNameSize];
  if (!SettingsNameWide(name, kSettingsNameSize)) return false;
  int n = 0;
  if (name[0] != 0) n = std::swprintf(arguments, capacity, L"/F%ls", name);
  if (n >= 0 && KeyPause != kDefaultKeyPauseMs) {
    const int d = std::swprintf(arguments + n, capacity - static_cast<std::size_t>(n),
                                n > 0 ? L" /D%d" : L"/D%d", KeyPause);
    n = d < 0 ? d : n + d;
  }
  if (n == 0) arguments[0] = 0;
  return n >= 0;
}

// A shortcut to the running program with its arguments, started in the program's folder.
bool WriteShortcut(const wchar_t* path) {
  wchar_t program[kPathUnits] = {};
  const DWORD length = GetModuleFileNameW(nullptr, program, kPathUnits);
  if (length == 0 || length >= kPathUnits) return false;
  wchar_t folder[kPathUnits];
  std::wcscpy(folder, program);
  if (wchar_t* slash = std::wcsrchr(folder, L'\\')) *slash = 0;
  wchar_t arguments[kArgumentUnits];
  if (!Arguments(arguments, kArgumentUnits)) return false;

  IShellLinkW* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&link)))) {
    return false;
  }
  IPersistFile* file = nullptr;
  const bool written = SUCCEEDED(link->SetPath(program)) &&
                       SUCCEEDED(link->SetArguments(arguments)) &&
                       SUCCEEDED(link->SetWorkingDirectory(folder)) &&
                       SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
                       SUCCEEDED(file->Save(path, TRUE));
  if (file != nullptr) file->Release();
  link->Release();
  return written;
}

bool ShortcutPath(wchar_t* path, std::size_t capacity, bool create) {
  wchar_t folder[kPathUnits];
  wchar_t file[kSettingsNameSize + 16];
  if (!StartupFolder(folder, kPathUnits, create) ||
      !ShortcutFileName(file, kSettingsNameSize + 16)) {
    return false;
  }
  const int n = std::swprintf(path, capacity, L"%ls\\%ls", folder, file);
  return n > 0 && static_cast<std::size_t>(n) < capacity;
}

}  // namespace

bool StartupShortcutPath(wchar_t* path, std::size_t capacity) {
  return ShortcutPath(path, capacity, false);
}

bool StartupShortcutExists() {
  wchar_t path[2 * kPathUnits];
  if (!ShortcutPath(path, 2 * kPathUnits, false)) return false;
  const DWORD attributes = GetFileAttributesW(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool SetStartupShortcut(bool on) {
  wchar_t path[2 * kPathUnits];
  if (!ShortcutPath(path, 2 * kPathUnits, on)) return false;
  if (on) return WriteShortcut(path);
  if (DeleteFileW(path)) return true;
  const DWORD error = GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// Apartment threading, without OLE 1 DDE, as the shell functions ask (Microsoft Learn:
// SHBrowseForFolderA and ShellExecuteA, Remarks). Only a successful initialisation is undone:
// a thread that was already in another apartment keeps it.
ComApartment::ComApartment()
    : initialised_(
          SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}

ComApartment::~ComApartment() {
  if (initialised_) CoUninitialize();
}
