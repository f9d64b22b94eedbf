#include "keyout/foreground_integrity_win32.h"

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

bool WindowRefusesOurInput(HWND window) {
  return IntegrityRefusesInput(WindowIntegrityLevel(window),
                               ProcessIntegrityLevel(GetCurrentProcess()));
}

// GetForegroundWindow can answer NULL, for instance while a window is losing activation
// (Microsoft Learn, GetForegroundWindow): nothing is known then, and SendInput's count tells.
bool ForegroundOfHigherIntegrity() { return WindowRefusesOurInput(GetForegroundWindow()); }
