// The folder browser of the log settings dialog's "フォルダ参照" button.
#include <windows.h>
#include <shlobj.h>

#include "datalog/log_dialog_text.h"
#include "datalog/log_dialog_win32.h"

namespace {

// Selects the starting folder (lpData) once the browser has initialised.
int CALLBACK BrowseCallback(HWND browser, UINT message, LPARAM, LPARAM data) {
  if (message == BFFM_INITIALIZED) SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, data);
  return 0;
}

}  // namespace

int BrowseFolder(char* path, std::size_t size) {
  char display[MAX_PATH] = {};
  BROWSEINFOA info = {};
  info.hwndOwner = GetActiveWindow();
  info.pidlRoot = nullptr;  // the desktop
  info.pszDisplayName = display;
  info.lpszTitle = "フォルダを選択してください";
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX;
  info.lpfn = &BrowseCallback;
  info.lParam = reinterpret_cast<LPARAM>(path);
  PIDLIST_ABSOLUTE item = SHBrowseForFolderA(&info);
  if (item == nullptr) return 0;
  char chosen[MAX_PATH] = {};
  const BOOL hasPath = SHGetPathFromIDListA(item, chosen);
  // The item list is freed whether or not it has a file-system path.
  CoTaskMemFree(item);
  if (!hasPath || chosen[0] == 0) return 0;
  DropTrailingBackslash(chosen);
  CopyTextCut(path, size, chosen);
  return 1;
}
