#include "reception/serial_port_win32.h"

#include <cstdio>
#include <cstring>

#include "app/shell_state_win32.h"
#include "config/settings_record.h"

HANDLE PortHandle = nullptr;
HANDLE ReadEvent = nullptr;
OVERLAPPED ReadOverlapped = {};
std::atomic<BYTE> RunningFlag{0};
HANDLE ReceiveThreadHandle = nullptr;
DWORD ReceiveThreadId = 0;

namespace {

constexpr DWORD kQueueSize = 1024;
// How long a stop waits for the reader before it closes a notice box the reader is showing.
constexpr DWORD kNoticeGraceMs = 300;

void ApplyLineSettings(DCB& dcb, const SettingsRecord& s) {
  static const DWORD kBaud[] = {115200, 57600, 38400, 19200, 9600, 4800, 2400};
  static const BYTE kParity[] = {NOPARITY, EVENPARITY, ODDPARITY};
  static const BYTE kStop[] = {ONESTOPBIT, ONE5STOPBITS, TWOSTOPBITS};
  static const DWORD kRts[] = {RTS_CONTROL_DISABLE, RTS_CONTROL_ENABLE, RTS_CONTROL_HANDSHAKE,
                               RTS_CONTROL_TOGGLE};
  // A value outside a table keeps what the port reported.
  if (s.BAUD < 7) dcb.BaudRate = kBaud[s.BAUD];
  dcb.ByteSize = static_cast<BYTE>(s.BITS + 7);
  if (s.PARITY < 3) dcb.Parity = kParity[s.PARITY];
  if (s.STOPBIT < 3) dcb.StopBits = kStop[s.STOPBIT];
  if (s.RTSC < 4) dcb.fRtsControl = kRts[s.RTSC];
  dcb.fOutxCtsFlow = s.CTSC != 0;
  if (s.XFLOWC != 0) {
    dcb.fOutX = TRUE;
    dcb.fInX = TRUE;
    dcb.XonChar = 0x11;
    dcb.XoffChar = 0x13;
  } else {
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
  }
  dcb.fDtrControl = DTR_CONTROL_ENABLE;
}

void ApplyTimeouts(HANDLE port) {
  COMMTIMEOUTS t;
  GetCommTimeouts(port, &t);
  t.ReadIntervalTimeout = MAXDWORD;
  t.ReadTotalTimeoutMultiplier = 0;
  t.ReadTotalTimeoutConstant = 50;
  t.WriteTotalTimeoutMultiplier = 0;
  t.WriteTotalTimeoutConstant = 50;
  SetCommTimeouts(port, &t);
}

BOOL CALLBACK CloseThreadBox(HWND window, LPARAM) {
  // The reader's only windows are the notice boxes it shows; cancelling one lets it go on.
  PostMessageA(window, WM_COMMAND, IDOK, 0);
  return TRUE;
}

// Waits for the thread to end while this (GUI) thread keeps dispatching messages, because the
// reader may be inside a synchronous echo to the dialog or inside a notice box.
void JoinDispatching(HANDLE thread, DWORD threadId) {
  const DWORD started = GetTickCount();
  bool boxesClosed = false;
  for (;;) {
    DWORD r = MsgWaitForMultipleObjects(1, &thread, FALSE, 50, QS_ALLINPUT);
    if (r == WAIT_OBJECT_0 || r == WAIT_FAILED) return;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(msg.wParam));
        break;
      }
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    if (!boxesClosed && GetTickCount() - started >= kNoticeGraceMs) {
      EnumThreadWindows(threadId, CloseThreadBox, 0);
      boxesClosed = true;
    }
  }
}

bool PortIsOpen() { return PortHandle != nullptr && PortHandle != INVALID_HANDLE_VALUE; }

}  // namespace

void FormatPortName(BYTE port, char* out, size_t size) {
  std::snprintf(out, size, "\\\\.\\COM%d", port + 1);
}

int OpenPort() {
  char name[32];
  FormatPortName(Settings.PORT, name, sizeof name);
  PortHandle = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                           FILE_FLAG_OVERLAPPED, nullptr);
  if (PortHandle == INVALID_HANDLE_VALUE) return -101;

  SetupComm(PortHandle, kQueueSize, kQueueSize);
  DCB dcb = {};
  dcb.DCBlength = sizeof dcb;
  GetCommState(PortHandle, &dcb);
  ApplyLineSettings(dcb, Settings);
  // A port that refuses its line settings is not used on whatever settings it has.
  if (!SetCommState(PortHandle, &dcb)) return -102;
  ApplyTimeouts(PortHandle);

  if (ReadEvent == nullptr) {
    ReadEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (ReadEvent == nullptr) return 0;
  }
  std::memset(&ReadOverlapped, 0, sizeof ReadOverlapped);
  ReadOverlapped.hEvent = ReadEvent;
  return 1;
}

void StopReceiveThread() {
  RunningFlag = 0;
  const DWORD threadId = ReceiveThreadId;
  ReceiveThreadId = 0;
  // An empty event mask ends the reader's pending port wait; it then sees the flag clear.
  if (PortIsOpen()) SetCommMask(PortHandle, 0);
  if (ReceiveThreadHandle != nullptr) {
    JoinDispatching(ReceiveThreadHandle, threadId);
    CloseHandle(ReceiveThreadHandle);
    ReceiveThreadHandle = nullptr;
  }
  if (ReadEvent != nullptr) {
    CloseHandle(ReadEvent);
    ReadEvent = nullptr;
  }
  std::memset(&ReadOverlapped, 0, sizeof ReadOverlapped);
}

void ClosePort() {
  StopReceiveThread();
  if (PortIsOpen()) {
    PurgeComm(PortHandle, PURGE_TXCLEAR | PURGE_RXCLEAR);
    CloseHandle(PortHandle);
  }
  if (AboutWindow != nullptr) EndDialog(AboutWindow, 1);
  PortHandle = nullptr;
  AboutWindow = nullptr;
}
