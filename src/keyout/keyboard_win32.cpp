#include "keyout/keyboard_win32.h"

#include <windows.h>

#include "common/two_byte_text.h"
#include "common/ui_win32.h"
#include "ids_main_dialog.h"

// The ANSI code page is set when the system starts; a process sees one all its life.
Win32Keyboard::Win32Keyboard() { ansiCodePage = GetACP(); }

// The main dialog or another window of the program (a box, a sub-dialog): never typed into.
bool Win32Keyboard::MainDialogInFront() { return ::MainDialogInFront(); }

// Looked up each time: the display belongs to the dialog's thread and is only posted to. A
// two-byte character's bytes come one after the other; the lead byte waits for its second, and
// the pair goes as its UTF-16 units, so the display shows it whatever the ANSI code page.
void Win32Keyboard::PostChar(std::uint8_t ch) {
  std::uint8_t bytes[2];
  int count = 0;
  if (pendingLead_ != 0) {
    bytes[count++] = pendingLead_;
    pendingLead_ = 0;
  } else if (IsLeadByte(ch)) {
    pendingLead_ = ch;
    return;
  }
  bytes[count++] = ch;
  std::uint16_t units[2];
  const int n = Cp932ToUtf16(bytes, count, units, 2);
  HWND display = GetDlgItem(MainDialogWindow, IDC_OUTPUT_DISPLAY);
  for (int i = 0; i < n; ++i) PostMessageW(display, WM_CHAR, units[i], 0);
}

// SendInput answers with the number of events it inserted into the input stream, 0 when input
// was blocked by another thread; UIPI refuses input to a window of higher integrity without
// always saying so (Microsoft Learn, SendInput), which ForegroundRefusesInput catches first.
int Win32Keyboard::SendInput(const KeyRecord* records, int count) {
  INPUT inputs[kMaxGroupRecords] = {};
  if (count <= 0 || count > kMaxGroupRecords) return 0;
  for (int i = 0; i < count; ++i) {
    inputs[i].type = INPUT_KEYBOARD;
    inputs[i].ki.wVk = records[i].vk;
    inputs[i].ki.wScan = records[i].scan;
    inputs[i].ki.dwFlags = records[i].flags;
  }
  return static_cast<int>(::SendInput(static_cast<UINT>(count), inputs, sizeof(INPUT)));
}

bool Win32Keyboard::ForegroundRefusesInput() { return ForegroundOfHigherIntegrity(); }

// Each GUI thread has its own active layout (GetKeyboardLayout), and the application in front
// reads our keys through its thread's one. With no window in front the thread is 0, which
// GetKeyboardLayout answers with the calling thread's layout.
KeyboardLayout Win32Keyboard::ForegroundLayout() {
  const DWORD thread = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
  return reinterpret_cast<KeyboardLayout>(GetKeyboardLayout(thread));
}

std::int16_t Win32Keyboard::VkKeyScanChar(std::uint8_t ch, KeyboardLayout layout) {
  return static_cast<std::int16_t>(VkKeyScanExA(static_cast<CHAR>(ch), reinterpret_cast<HKL>(layout)));
}

unsigned Win32Keyboard::MapVkToScan(std::uint8_t vk, KeyboardLayout layout) {
  return MapVirtualKeyExA(vk, MAPVK_VK_TO_VSC, reinterpret_cast<HKL>(layout));
}

// Code page 932 named, not CP_ACP: the data are Shift_JIS whatever the system's code page.
int Win32Keyboard::Cp932ToUtf16(const std::uint8_t* bytes, int count, std::uint16_t* units,
                                int capacity) {
  static_assert(sizeof(WCHAR) == sizeof(std::uint16_t));
  if (count <= 0 || capacity <= 0) return 0;
  return MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, reinterpret_cast<const char*>(bytes), count,
                             reinterpret_cast<WCHAR*>(units), capacity);
}

// The reader thread reads no key messages, so its keyboard state is never held at a message
// it has yet to read: GetKeyState answers with the system's toggle, which the user's Caps Lock
// key and our own toggles both change. Attaching to the input of the thread in front instead
// (AttachThreadInput) would reset that thread's keyboard state, Caps Lock included.
bool CapsLockToggledOn() { return (GetKeyState(VK_CAPITAL) & 1) != 0; }

void Win32Keyboard::Pause(unsigned ms) { Sleep(ms); }

// ---- integrity levels ------------------------------------------------------------------------

namespace {

// GetTokenInformation(TokenIntegrityLevel) gives a TOKEN_MANDATORY_LABEL whose SID is the
// level's label; the level is its last sub-authority.
std::optional<IntegrityLevel> LevelOfToken(HANDLE token) {
  alignas(TOKEN_MANDATORY_LABEL) BYTE buffer[sizeof(TOKEN_MANDATORY_LABEL) + SECURITY_MAX_SID_SIZE];
  DWORD length = 0;
  if (!GetTokenInformation(token, TokenIntegrityLevel, buffer, sizeof buffer, &length)) {
    return std::nullopt;
  }
  const PSID label = reinterpret_cast<const TOKEN_MANDATORY_LABEL*>(buffer)->Label.Sid;
  if (label == nullptr || !IsValidSid(label)) return std::nullopt;
  const UCHAR count = *GetSidSubAuthorityCount(label);
  if (count == 0) return std::nullopt;
  return *GetSidSubAuthority(label, count - 1u);
}

}  // namespace

// OpenProcessToken needs only PROCESS_QUERY_LIMITED_INFORMATION on the process, and a process
// that is not elevated gets a handle to an elevated one started from the same account
// (Microsoft Learn, OpenProcessToken).
std::optional<IntegrityLevel> ProcessIntegrityLevel(HANDLE process) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(process, TOKEN_QUERY, &token)) return std::nullopt;
  const std::optional<IntegrityLevel> level = LevelOfToken(token);
  CloseHandle(token);
  return level;
}

std::optional<IntegrityLevel> WindowIntegrityLevel(HWND window) {
  DWORD processId = 0;
  if (window == nullptr || GetWindowThreadProcessId(window, &processId) == 0 || processId == 0) {
    return std::nullopt;
  }
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
  if (process == nullptr) return std::nullopt;
  const std::optional<IntegrityLevel> level = ProcessIntegrityLevel(process);
  CloseHandle(process);
  return level;
}

// No window, or one gone meanwhile, is not known to refuse; a window that exists and whose
// process or token cannot be read is.
bool WindowRefusesOurInput(HWND window) {
  DWORD processId = 0;
  if (window == nullptr || GetWindowThreadProcessId(window, &processId) == 0 || processId == 0)
    return false;
  return IntegrityRefusesInput(WindowIntegrityLevel(window),
                               ProcessIntegrityLevel(GetCurrentProcess()));
}

// GetForegroundWindow can answer NULL, for instance while a window is losing activation
// (Microsoft Learn, GetForegroundWindow): nothing is known then, and SendInput's count tells.
bool ForegroundOfHigherIntegrity() { return WindowRefusesOurInput(GetForegroundWindow()); }

// ---- the typing lock -------------------------------------------------------------------------

TypingLock::TypingLock(const char* name) : mutex_(CreateMutexA(nullptr, FALSE, name)) {}

TypingLock::~TypingLock() {
  Release();
  if (mutex_ != nullptr) CloseHandle(mutex_);
}

bool TypingLock::Acquire(HANDLE stop) {
  if (held_ || mutex_ == nullptr) return true;
  // The stop comes first: WaitForMultipleObjects reports the lowest signalled index.
  const HANDLE both[2] = {stop, mutex_};
  const DWORD count = stop != nullptr ? 2 : 1;
  const HANDLE* handles = stop != nullptr ? both : both + 1;
  const DWORD r = WaitForMultipleObjects(count, handles, FALSE, INFINITE);
  if (stop != nullptr && r == WAIT_OBJECT_0) return false;
  // WAIT_ABANDONED: the owner ended without giving the lock up; it is now this thread's
  // (Microsoft Learn, "WaitForMultipleObjects function"). A failed wait types unlocked.
  held_ = r == WAIT_OBJECT_0 + count - 1 || r == WAIT_ABANDONED_0 + count - 1;
  return true;
}

void TypingLock::Release() {
  if (!held_) return;
  held_ = false;
  ReleaseMutex(mutex_);
}
