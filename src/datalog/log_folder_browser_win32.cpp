// The folder browser of the log settings dialog's "フォルダ参照" button. Its title goes through
// the wide browser; the folder is kept in the ANSI code page, which the log's file calls take.
#include <windows.h>
#include <shlobj.h>

#include "common/wide_text_win32.h"
#include "datalog/log_dialog_text.h"
#include "datalog/log_dialog_win32.h"

namespace {

// Selects the starting folder (lpData, UTF-16) once the browser has initialised.
int CALLBACK BrowseCallback(HWND browser, UINT message, LPARAM, LPARAM data) {
  if (message == BFFM_INITIALIZED) SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, data);
  return 0;
}

}  // namespace

int BrowseFolder(char* path, std::size_t size) {
  wchar_t start[MAX_PATH] = {};
  MultiByteToWideChar(CP_ACP, 0, path, -1, start, MAX_PATH);
  wchar_t title[64] = {};
  Cp932ToWide("フォルダを選択してください", title, 64);
  wchar_t display[MAX_PATH] = {};
  BROWSEINFOW info = {};
  info.hwndOwner = GetActiveWindow();
  info.pidlRoot = nullptr;  // the desktop
  info.pszDisplayName = display;
  info.lpszTitle = title;
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX;
  info.lpfn = &BrowseCallback;
  info.lParam = reinterpret_cast<LPARAM>(start);
  PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&info);
  if (item == nullptr) return 0;
  wchar_t chosenWide[MAX_PATH] = {};
  const BOOL hasPath = SHGetPathFromIDListW(item, chosenWide);
  // The item list is freed whether or not it has a file-system path.
  CoTaskMemFree(item);
  if (!hasPath || chosenWide[0] == 0) return 0;
  // A folder the ANSI code page cannot hold could not be written to by the log either.
  char chosen[2 * MAX_PATH] = {};
  BOOL lost = FALSE;
  if (WideCharToMultiByte(CP_ACP, 0, chosenWide, -1, chosen, sizeof chosen, nullptr,
                          GetACP() == CP_UTF8 ? nullptr : &lost) <= 0 || lost)
    return 0;
  DropTrailingBackslash(chosen);
  CopyTextCut(path, size, chosen);
  return 1;
}
