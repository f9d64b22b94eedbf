// Keyboard probe for the end-to-end scenarios: a topmost window that takes the foreground and
// records every keyboard message it receives.
//
//   keyprobe.exe RAWFILE DECODEDFILE [SECONDS [OPTION...]]
//
// Options: "unicode": the window is a Unicode window: its WM_CHAR codes are UTF-16 units, and a
// character that comes as VK_PACKET (SendInput's Unicode records) is decoded as itself, in code
// page 932, instead of a key marker. "title=TEXT": the window's title (ANSI code page), else
// "keyprobe". "paste": Ctrl+V reads the clipboard's Unicode text, as an editor pastes it: the
// text goes to DECODEDFILE in code page 932 and RAWFILE gets "PASTE units=N" (no text: "PASTE
// none"); without it Ctrl+V is the marker "{CTRL+V}" and the clipboard is never read.
//
// RAWFILE gets one line per message, flushed at once:
//   READY fg=1                      the window is up (fg=0: it could not take the foreground)
//   KEYDOWN|KEYUP|SYSKEYDOWN|SYSKEYUP vk=12 scan=38 ext=0 up=0 alt=1 rep=1 caps=0 t=123456
//   CHAR|SYSCHAR code=0D scan=1C t=123456
//   FOCUS on|off                    keyboard focus gained or lost
//   FRONT fg=1                      asked to come to the front: whether it is in front now
//   MIN                             asked to minimise itself
//   SIZE restored|minimized|maximized   the window's size state changed
//   END                             the probe is closing
// DECODEDFILE gets what a user would have seen typed: Alt + keypad digits + Alt released is the
// decimal value as a character (up to 255 one byte, else the two code page 932 bytes), which
// is what Windows composes and Wine does not; any other key press is a marker "{NAME}" with the
// held modifiers, e.g. "{CR}", "{CTRL+C}", "{CAPS}", "{v2E}"; a modifier pressed and released
// alone is "{SHIFT}", "{CTRL}" or "{ALT}".
// The probe ends when the file RAWFILE.stop appears, after SECONDS (default 120) or on close.
// It takes the foreground again when RAWFILE.front appears, and minimises itself when
// RAWFILE.min appears; it removes each of these files once it has acted on it (a user
// switching windows).
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr UINT_PTR kPollTimer = 1;
constexpr UINT kPollMs = 50;
constexpr DWORD kForegroundWaitMs = 5000;

FILE* Raw = nullptr;
FILE* Decoded = nullptr;
std::string StopFile;
std::string FrontFile;
std::string MinimiseFile;
std::string Title = "keyprobe";
DWORD Deadline = 0;
DWORD StartTime = 0;
bool Ready = false;
bool UnicodeWindow = false;
bool PacketPending = false;  // a VK_PACKET went down: its WM_CHAR is the character
bool PasteReads = false;

// Decoder state.
bool AltDown = false, CtrlDown = false, ShiftDown = false;
bool AltUsed = false, CtrlUsed = false, ShiftUsed = false;
unsigned AltValue = 0;
int AltDigits = 0;

void RawLine(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  std::vfprintf(Raw, fmt, args);
  va_end(args);
  std::fputc('\n', Raw);
  std::fflush(Raw);
}

void DecodedBytes(const void* bytes, size_t n) {
  std::fwrite(bytes, 1, n, Decoded);
  std::fflush(Decoded);
}

void DecodedText(const std::string& s) { DecodedBytes(s.data(), s.size()); }

bool IsShift(WPARAM vk) { return vk == VK_SHIFT || vk == VK_LSHIFT || vk == VK_RSHIFT; }
bool IsCtrl(WPARAM vk) { return vk == VK_CONTROL || vk == VK_LCONTROL || vk == VK_RCONTROL; }
bool IsAlt(WPARAM vk) { return vk == VK_MENU || vk == VK_LMENU || vk == VK_RMENU; }

std::string KeyName(WPARAM vk) {
  switch (vk) {
    case VK_RETURN: return "CR";
    case VK_TAB: return "TAB";
    case VK_BACK: return "BS";
    case VK_ESCAPE: return "ESC";
    case VK_CAPITAL: return "CAPS";
    case VK_SPACE: return "SPC";
    default: break;
  }
  if ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z')) return std::string(1, static_cast<char>(vk));
  char buf[8];
  std::snprintf(buf, sizeof buf, "v%02X", static_cast<unsigned>(vk & 0xFF));
  return buf;
}

// Alt released after keypad digits: the composed character.
void EmitAltCode() {
  if (AltValue == 0 || AltValue > 0xFFFF) {
    DecodedText(AltValue == 0 ? "{x00}" : "{BADALT}");
    return;
  }
  if (AltValue <= 0xFF) {
    const unsigned char b = static_cast<unsigned char>(AltValue);
    DecodedBytes(&b, 1);
  } else {
    const unsigned char b[2] = {static_cast<unsigned char>(AltValue >> 8),
                                static_cast<unsigned char>(AltValue & 0xFF)};
    DecodedBytes(b, 2);
  }
}

void ModifierDown(bool& down, bool& used) {
  if (!down) used = false;  // a repeat keeps the state
  down = true;
}

void ModifierUp(bool& down, bool& used, const char* alone) {
  if (down && !used) DecodedText(alone);
  down = false;
}

// The character of a VK_PACKET, in code page 932 like the rest of the decoded text.
void DecodePacketChar(WPARAM code) {
  const WCHAR unit = static_cast<WCHAR>(code);
  char bytes[4];
  const int n = WideCharToMultiByte(932, 0, &unit, 1, bytes, sizeof bytes, nullptr, nullptr);
  if (n > 0) DecodedBytes(bytes, static_cast<size_t>(n));
  else DecodedText("{BADPACKET}");
}

void PasteClipboard() {
  HANDLE data = nullptr;
  if (OpenClipboard(nullptr)) data = GetClipboardData(CF_UNICODETEXT);
  const auto* text = data != nullptr ? static_cast<const WCHAR*>(GlobalLock(data)) : nullptr;
  if (text == nullptr) {
    RawLine("PASTE none");
  } else {
    const int units = lstrlenW(text);
    std::string bytes(static_cast<size_t>(units) * 2 + 1, '\0');
    const int n = WideCharToMultiByte(932, 0, text, units, bytes.data(), static_cast<int>(bytes.size()),
                                      nullptr, nullptr);
    GlobalUnlock(data);
    RawLine("PASTE units=%d", units);
    DecodedBytes(bytes.data(), static_cast<size_t>(n > 0 ? n : 0));
  }
  CloseClipboard();
}

void DecodeKeyDown(WPARAM vk) {
  if (vk == VK_PACKET && UnicodeWindow) {
    PacketPending = true;
    return;
  }
  if (IsAlt(vk)) {
    if (!AltDown) { AltValue = 0; AltDigits = 0; }
    ModifierDown(AltDown, AltUsed);
    return;
  }
  if (IsShift(vk)) { ModifierDown(ShiftDown, ShiftUsed); return; }
  if (IsCtrl(vk)) { ModifierDown(CtrlDown, CtrlUsed); return; }
  if (AltDown && !CtrlDown && !ShiftDown && vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) {
    AltValue = AltValue * 10 + static_cast<unsigned>(vk - VK_NUMPAD0);
    ++AltDigits;
    AltUsed = true;
    return;
  }
  if (PasteReads && CtrlDown && !ShiftDown && !AltDown && vk == 'V') {
    CtrlUsed = true;
    PasteClipboard();
    return;
  }
  std::string marker = "{";
  if (CtrlDown) { marker += "CTRL+"; CtrlUsed = true; }
  if (ShiftDown) { marker += "SHIFT+"; ShiftUsed = true; }
  if (AltDown) { marker += "ALT+"; AltUsed = true; }
  DecodedText(marker + KeyName(vk) + "}");
}

void DecodeKeyUp(WPARAM vk) {
  if (IsAlt(vk)) {
    if (AltDown && AltDigits > 0) EmitAltCode();
    ModifierUp(AltDown, AltUsed, "{ALT}");
    AltDigits = 0;
    AltValue = 0;
  } else if (IsShift(vk)) {
    ModifierUp(ShiftDown, ShiftUsed, "{SHIFT}");
  } else if (IsCtrl(vk)) {
    ModifierUp(CtrlDown, CtrlUsed, "{CTRL}");
  }
}

// Wall-clock milliseconds since 1970, comparable with the time the harness wrote its bytes.
unsigned long long WallClockMs() {
  FILETIME ft;
  GetSystemTimeAsFileTime(&ft);
  const unsigned long long ticks = (static_cast<unsigned long long>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  return ticks / 10000ULL - 11644473600000ULL;
}

void RecordKey(const char* kind, WPARAM vk, LPARAM lp) {
  RawLine("%s vk=%02X scan=%02X ext=%d up=%d alt=%d rep=%u caps=%d t=%lu w=%llu", kind,
          static_cast<unsigned>(vk & 0xFF), static_cast<unsigned>((lp >> 16) & 0xFF),
          static_cast<int>((lp >> 24) & 1), static_cast<int>((lp >> 31) & 1),
          static_cast<int>((lp >> 29) & 1), static_cast<unsigned>(lp & 0xFFFF),
          GetKeyState(VK_CAPITAL) & 1, static_cast<unsigned long>(GetMessageTime()), WallClockMs());
}

void RecordChar(const char* kind, WPARAM code, LPARAM lp) {
  RawLine("%s code=%02X scan=%02X t=%lu", kind, static_cast<unsigned>(code & 0xFFFF),
          static_cast<unsigned>((lp >> 16) & 0xFF), static_cast<unsigned long>(GetMessageTime()));
}

void TakeForeground(HWND w) {
  ShowWindow(w, SW_SHOWNORMAL);
  SetWindowPos(w, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
  SetForegroundWindow(w);
  SetActiveWindow(w);
  SetFocus(w);
}

// A request file acted on once: true when it was there (it is removed).
bool TakeRequest(const std::string& file) {
  if (GetFileAttributesA(file.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
  DeleteFileA(file.c_str());
  return true;
}

// Every poll: report readiness once the window is in front, act on the front and minimise
// requests, and end on the stop file or time.
void Poll(HWND w) {
  const DWORD now = GetTickCount();
  if (!Ready) {
    const bool front = GetForegroundWindow() == w;
    if (front || now - StartTime >= kForegroundWaitMs) {
      RawLine("READY fg=%d", front ? 1 : 0);
      Ready = true;
    } else {
      TakeForeground(w);
    }
  }
  if (TakeRequest(FrontFile)) {
    TakeForeground(w);
    RawLine("FRONT fg=%d", GetForegroundWindow() == w ? 1 : 0);
  }
  if (TakeRequest(MinimiseFile)) {
    ShowWindow(w, SW_MINIMIZE);
    RawLine("MIN");
  }
  if (GetFileAttributesA(StopFile.c_str()) != INVALID_FILE_ATTRIBUTES ||
      static_cast<LONG>(now - Deadline) >= 0) {
    DestroyWindow(w);
  }
}

const char* SizeState(WPARAM kind) {
  if (kind == SIZE_MINIMIZED) return "minimized";
  return kind == SIZE_MAXIMIZED ? "maximized" : "restored";
}

LRESULT CALLBACK ProbeProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_KEYDOWN: RecordKey("KEYDOWN", wp, lp); DecodeKeyDown(wp); return 0;
    case WM_SYSKEYDOWN: RecordKey("SYSKEYDOWN", wp, lp); DecodeKeyDown(wp); return 0;
    case WM_KEYUP: RecordKey("KEYUP", wp, lp); DecodeKeyUp(wp); return 0;
    // Not passed on: the default handling of Alt would enter menu mode and take the keys.
    case WM_SYSKEYUP: RecordKey("SYSKEYUP", wp, lp); DecodeKeyUp(wp); return 0;
    case WM_CHAR:
      RecordChar("CHAR", wp, lp);
      if (PacketPending) DecodePacketChar(wp);
      PacketPending = false;
      return 0;
    case WM_SYSCHAR: RecordChar("SYSCHAR", wp, lp); return 0;
    case WM_SYSCOMMAND:
      if ((wp & 0xFFF0) == SC_KEYMENU) return 0;
      break;
    case WM_SIZE:
      RawLine("SIZE %s", SizeState(wp));
      return 0;
    case WM_SETFOCUS: RawLine("FOCUS on"); return 0;
    case WM_KILLFOCUS: RawLine("FOCUS off"); return 0;
    case WM_TIMER:
      if (wp == kPollTimer) Poll(w);
      return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: break;
  }
  return UnicodeWindow ? DefWindowProcW(w, msg, wp, lp) : DefWindowProcA(w, msg, wp, lp);
}

HWND CreateProbeWindow(HINSTANCE instance) {
  if (UnicodeWindow) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = ProbeProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = L"TamblixKeyProbeW";
    RegisterClassW(&wc);
    wchar_t title[256] = {};
    MultiByteToWideChar(CP_ACP, 0, Title.c_str(), -1, title, 255);
    return CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, title, WS_OVERLAPPEDWINDOW, 40, 40,
                           480, 240, nullptr, nullptr, instance, nullptr);
  }
  WNDCLASSA wc = {};
  wc.lpfnWndProc = ProbeProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = "TamblixKeyProbe";
  RegisterClassA(&wc);
  return CreateWindowExA(WS_EX_TOPMOST, wc.lpszClassName, Title.c_str(), WS_OVERLAPPEDWINDOW, 40,
                         40, 480, 240, nullptr, nullptr, instance, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: keyprobe RAWFILE DECODEDFILE [SECONDS [OPTION...]]\n");
    return 2;
  }
  Raw = std::fopen(argv[1], "w");
  Decoded = std::fopen(argv[2], "wb");
  if (Raw == nullptr || Decoded == nullptr) {
    std::fprintf(stderr, "keyprobe: cannot open the output files\n");
    return 2;
  }
  StopFile = std::string(argv[1]) + ".stop";
  FrontFile = std::string(argv[1]) + ".front";
  MinimiseFile = std::string(argv[1]) + ".min";
  const long seconds = argc > 3 ? std::strtol(argv[3], nullptr, 10) : 120;
  StartTime = GetTickCount();
  Deadline = StartTime + static_cast<DWORD>((seconds > 0 ? seconds : 120) * 1000);

  for (int i = 4; i < argc; ++i) {
    if (std::strcmp(argv[i], "unicode") == 0) UnicodeWindow = true;
    else if (std::strcmp(argv[i], "paste") == 0) PasteReads = true;
    else if (std::strncmp(argv[i], "title=", 6) == 0) Title = argv[i] + 6;
  }
  HWND w = CreateProbeWindow(GetModuleHandleA(nullptr));
  if (w == nullptr) {
    std::fprintf(stderr, "keyprobe: cannot create the window\n");
    return 2;
  }
  TakeForeground(w);
  SetTimer(w, kPollTimer, kPollMs, nullptr);

  MSG msg;
  while ((UnicodeWindow ? GetMessageW(&msg, nullptr, 0, 0) : GetMessageA(&msg, nullptr, 0, 0)) > 0) {
    TranslateMessage(&msg);
    if (UnicodeWindow) DispatchMessageW(&msg);
    else DispatchMessageA(&msg);
  }
  RawLine("END");
  std::fclose(Raw);
  std::fclose(Decoded);
  return 0;
}
