#include "delivery/target_window_win32.h"

#include <dwmapi.h>
#include <mmsystem.h>

#include <atomic>
#include <cwchar>
#include <iterator>

#include "common/ui_win32.h"
#include "common/wide_text_win32.h"
#include "delivery/held_keys_win32.h"
#include "delivery/target_window.h"
#include "source/serial_port_win32.h"

// ---- windows

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

// ---- delivery

namespace {

ShapedFrameTyper Typer = nullptr;
bool WatchKeys = true;

// The system as delivery sees it. The main dialog in front shows the frames in its displays,
// as it always has; any other window (one of this program's included) is matched.
class WindowSystem final : public TargetSystem {
 public:
  Foreground Front(const char* targets) override {
    HWND front = GetForegroundWindow();
    if (front != nullptr && front == MainDialogWindow) return Foreground::MainDialog;
    return WindowIsTarget(front, targets) ? Foreground::Target : Foreground::Other;
  }
  // A refusal flashes the target's taskbar button until the user brings it forward
  // (FLASHW_TIMERNOFG: until the window comes to the foreground; Microsoft Learn, FLASHWINFO).
  BringResult BringTargetToFront(const char* targets) override {
    HWND target = FindTargetWindow(targets);
    if (target == nullptr) return BringResult::NoWindow;
    if (BringToFront(target, ReceivePort.StopEvent) && Front(targets) == Foreground::Target) {
      return BringResult::InFront;
    }
    FLASHWINFO flash{sizeof(FLASHWINFO), target, FLASHW_TRAY | FLASHW_TIMERNOFG, 0, 0};
    FlashWindowEx(&flash);
    return BringResult::Refused;
  }
  void TypeFrame(const ShapedFrame& frame) override {
    if (Typer != nullptr) Typer(frame);
  }
  bool Stopped() override { return RunningFlag == 0; }
  bool KeysHeld() override { return WatchKeys && ModifierKeysHeld(); }
};

WindowSystem System;
// The hold lives here, in static storage, for the life of the process.
TargetGate Gate(System);
std::atomic<TargetNotice> Shown{TargetNotice::None};

// The notice reaches the dialog's thread as a posted message, as the missing device does; the
// dialog asks TargetNoticeText for the caption.
void Publish(TargetNotice notice) {
  if (Shown.exchange(notice) == notice) return;
  if (MainDialogWindow != nullptr) PostMessageA(MainDialogWindow, kPortStateMessage, 0, 0);
}

// MessageBeep queues the sound and returns (Microsoft Learn, MessageBeep): the reader goes on
// at once. A frame given up sounds the error, a frame held and keys held long the warning.
void Report(const TargetStep& step) {
  if (step.discarded > 0) MessageBeep(MB_ICONHAND);
  else if (step.held || step.keysNotice) MessageBeep(MB_ICONWARNING);
  Publish(Gate.Notice());
}

class Delivery final : public FrameDelivery {
 public:
  void DeliverFrame(const ShapedFrame& frame) override {
    Report(Gate.Deliver(frame, timeGetTime()));
  }
};

Delivery TheDelivery;

}  // namespace

void TargetReceptionStart(const char* targets, int mode, int waitSeconds, ShapedFrameTyper typer,
                          bool watchKeys) {
  Typer = typer;
  WatchKeys = watchKeys;
  Gate.Begin(targets, mode, waitSeconds);
  Publish(TargetNotice::None);
}

void TargetReceptionEnd() {
  Gate.End();
  Publish(TargetNotice::None);
}

FrameDelivery& TargetFrameDelivery() { return TheDelivery; }

void TypeDueTargetFrames() {
  if (Gate.HeldCount() > 0) Report(Gate.Turn(timeGetTime()));
}

bool TargetFramesWaiting() { return Gate.HeldCount() > 0; }

DWORD TargetWakeMs() { return Gate.WakeMs(timeGetTime()); }

const char* TargetNoticeText() {
  switch (Shown.load()) {
    case TargetNotice::Waiting: return "送信先のウィンドウが前面にありません";
    case TargetNotice::Discarded: return "送信先を待つ間に破棄しました";
    case TargetNotice::Refused: return "送信先を前面に出せません";
    case TargetNotice::KeysHeld: return kHeldKeyNoticeText;
    default: return nullptr;
  }
}

// ---- the chooser

namespace {

// Windows listed at most, and the part of each title shown, so the menu fits on a screen.
constexpr int kMaxChoices = 40;
constexpr int kShownTitleUnits = 60;
// Room for a shown title with its "&" doubled, the dash and a program name.
constexpr int kItemUnits = kShownTitleUnits * 2 + 4 + kProgramNameUnits;

struct Choice {
  wchar_t program[kProgramNameUnits];
  wchar_t item[kItemUnits];
};

struct Choices {
  Choice list[kMaxChoices];
  int count = 0;
};

// The menu text: the title cut to its shown part, "&" doubled (a single one marks a menu
// mnemonic), then " — " and the program name.
void FormatItem(const wchar_t* title, const wchar_t* program, wchar_t* item) {
  int n = 0;
  for (int i = 0; i < kShownTitleUnits && title[i] != 0; ++i) {
    if (title[i] == L'&') item[n++] = L'&';
    item[n++] = title[i];
  }
  if (title[0] != 0 && std::wcslen(title) > static_cast<std::size_t>(kShownTitleUnits)) {
    item[n++] = L'\u2026';
  }
  std::swprintf(item + n, static_cast<std::size_t>(kItemUnits - n), L" \u2014 %ls", program);
}

BOOL CALLBACK CollectChoice(HWND window, LPARAM param) {
  auto& choices = *reinterpret_cast<Choices*>(param);
  if (choices.count == kMaxChoices) return FALSE;
  if (!IsUserWindow(window)) return TRUE;
  wchar_t title[kWindowTitleUnits];
  ReadWindowTitle(window, title, kWindowTitleUnits);
  if (title[0] == 0) return TRUE;
  Choice& c = choices.list[choices.count];
  if (!ReadProgramName(window, c.program, kProgramNameUnits)) return TRUE;
  FormatItem(title, c.program, c.item);
  ++choices.count;
  return TRUE;
}

}  // namespace

bool ChooseTargetEntry(HWND owner, char* entry, int size) {
  if (entry == nullptr || size <= 0) return false;
  // Static: the list is large for the stack and the GUI thread is its only user.
  static Choices choices;
  choices.count = 0;
  EnumWindows(CollectChoice, reinterpret_cast<LPARAM>(&choices));
  if (choices.count == 0) return false;
  HMENU menu = CreatePopupMenu();
  if (menu == nullptr) return false;
  for (int i = 0; i < choices.count; ++i) {
    AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(i) + 1, choices.list[i].item);
  }
  POINT at{};
  GetCursorPos(&at);
  // TPM_RETURNCMD: the choice comes back here instead of as a command to the owner. The menu's
  // top left corner is at the cursor (the default alignment).
  const int chosen = static_cast<int>(TrackPopupMenu(
      menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x, at.y, 0, owner, nullptr));
  DestroyMenu(menu);
  if (chosen < 1 || chosen > choices.count) return false;
  WideToCp932(choices.list[chosen - 1].program, entry, size);
  return entry[0] != 0;
}
