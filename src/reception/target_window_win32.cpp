#include "reception/target_window_win32.h"

#include <dwmapi.h>

#include <iterator>

#include "common/wide_text_win32.h"
#include "reception/target_window.h"

namespace {

// A window of this process answers WM_GETTEXT on its own thread; a dialog thread that is busy
// must not hold the reader.
constexpr UINT kOwnTitleTimeoutMs = 200;
constexpr DWORD kBringStepMs = 10;

DWORD ProcessOf(HWND window) {
  // The variable is left as it was when the call fails (GetWindowThreadProcessId).
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  return processId;
}

const wchar_t* FileNamePart(const wchar_t* path) {
  const wchar_t* name = path;
  for (const wchar_t* p = path; *p != 0; ++p) {
    if (*p == L'\\' || *p == L'/') name = p + 1;
  }
  return name;
}

bool IsCloaked(HWND window) {
  DWORD cloaked = 0;
  // Before Windows 8 the attribute is unknown and the call fails: nothing is cloaked there.
  return SUCCEEDED(DwmGetWindowAttribute(window, DWMWA_CLOAKED, &cloaked, sizeof cloaked)) &&
         cloaked != 0;
}

struct TargetSearch {
  const char* targets;
  HWND found;
};

BOOL CALLBACK FindTarget(HWND window, LPARAM param) {
  auto& search = *reinterpret_cast<TargetSearch*>(param);
  if (!IsUserWindow(window) || !WindowIsTarget(window, search.targets)) return TRUE;
  search.found = window;
  return FALSE;
}

}  // namespace

// QueryFullProcessImageNameW needs a handle with PROCESS_QUERY_INFORMATION or the lesser
// PROCESS_QUERY_LIMITED_INFORMATION (Microsoft Learn, QueryFullProcessImageName); the lesser is
// asked for, as it is the one more often granted. With flags 0 the name is a Win32 path, whose
// last part is the file name. A process that cannot be opened has no name here: only title
// entries can name its windows.
bool ReadProgramName(HWND window, wchar_t* out, int capacity) {
  if (capacity <= 0) return false;
  out[0] = 0;
  const DWORD processId = window != nullptr ? ProcessOf(window) : 0;
  if (processId == 0) return false;
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
  if (process == nullptr) return false;
  wchar_t path[MAX_PATH * 4];
  DWORD length = static_cast<DWORD>(std::size(path));
  const bool read = QueryFullProcessImageNameW(process, 0, path, &length) != FALSE;
  CloseHandle(process);
  if (!read) return false;
  path[length < std::size(path) ? length : std::size(path) - 1] = 0;
  const wchar_t* name = FileNamePart(path);
  int i = 0;
  for (; i < capacity - 1 && name[i] != 0; ++i) out[i] = name[i];
  out[i] = 0;
  return i > 0;
}

// GetWindowTextW reads another process's window title without sending it a message, but sends
// WM_GETTEXT to a window of this process (Microsoft Learn, GetWindowText).
void ReadWindowTitle(HWND window, wchar_t* out, int capacity) {
  if (capacity <= 0) return;
  out[0] = 0;
  if (window == nullptr) return;
  if (ProcessOf(window) != GetCurrentProcessId()) {
    GetWindowTextW(window, out, capacity);
  } else {
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, static_cast<WPARAM>(capacity),
                             reinterpret_cast<LPARAM>(out), SMTO_ABORTIFHUNG | SMTO_BLOCK,
                             kOwnTitleTimeoutMs, &copied)) {
      out[0] = 0;
    }
  }
  out[capacity - 1] = 0;
}

void ReadWindowIdentity(HWND window, WindowIdentity& out) {
  wchar_t program[kProgramNameUnits];
  wchar_t title[kWindowTitleUnits];
  ReadProgramName(window, program, kProgramNameUnits);
  ReadWindowTitle(window, title, kWindowTitleUnits);
  WideToCp932(program, out.program, sizeof out.program);
  WideToCp932(title, out.title, sizeof out.title);
}

bool WindowIsTarget(HWND window, const char* targets) {
  if (window == nullptr) return false;
  // The identity of one window: read once per look, on the reader's stack.
  WindowIdentity identity;
  ReadWindowIdentity(window, identity);
  return IsTargetWindow(targets, identity.program, identity.title);
}

bool IsUserWindow(HWND window) {
  if (!IsWindowVisible(window)) return false;
  if ((GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) != 0) return false;
  if (ProcessOf(window) == GetCurrentProcessId()) return false;
  return !IsCloaked(window);
}

// EnumWindows visits top-level windows from the top of the z-order down (topmost ones first),
// so the first match is the target the user was last working in.
HWND FindTargetWindow(const char* targets) {
  TargetSearch search{targets, nullptr};
  EnumWindows(FindTarget, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// A process in the background may set the foreground window only in some cases (Microsoft
// Learn, SetForegroundWindow): among others when it received the last input event, when the
// foreground process started it or is itself, or when the foreground lock time-out has expired;
// otherwise Windows flashes the window's taskbar button instead. The program does not force it
// (attaching to the foreground thread's input would reset that thread's key state, as the Caps
// Lock handling found): a refusal is answered by holding the frame, so the user brings the
// window forward. The restore is asynchronous, so a window whose thread does not answer cannot
// hold the reader.
bool BringToFront(HWND window, HANDLE stopEvent) {
  if (window == nullptr || !IsWindow(window)) return false;
  if (IsIconic(window)) ShowWindowAsync(window, SW_RESTORE);
  if (!SetForegroundWindow(window) && GetForegroundWindow() != window) return false;
  for (DWORD waited = 0;; waited += kBringStepMs) {
    if (GetForegroundWindow() == window && !IsIconic(window)) return true;
    if (waited >= kBringWaitMs) return false;
    if (stopEvent != nullptr) {
      if (WaitForSingleObject(stopEvent, kBringStepMs) == WAIT_OBJECT_0) return false;
    } else {
      Sleep(kBringStepMs);
    }
  }
}
