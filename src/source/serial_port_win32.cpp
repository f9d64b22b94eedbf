#include "source/serial_port_win32.h"

#include <cstdio>
#include <cstring>

#include "common/ui_win32.h"
#include "source/thread_wait_win32.h"

// ---- the calls

namespace {
using ResultExCall = BOOL(WINAPI*)(HANDLE, LPOVERLAPPED, LPDWORD, DWORD, BOOL);
// Looked up at run time: Windows 7 lacks it.
ResultExCall GetOverlappedResultExOfKernel32() {
  static const auto call = reinterpret_cast<ResultExCall>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetOverlappedResultEx")));
  return call;
}
}  // namespace

HANDLE SerialApi::Open(const char* deviceName) {
  return CreateFileA(deviceName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                     FILE_FLAG_OVERLAPPED, nullptr);
}
BOOL SerialApi::Setup(HANDLE port, DWORD inQueue, DWORD outQueue) {
  return SetupComm(port, inQueue, outQueue);
}
BOOL SerialApi::GetState(HANDLE port, DCB* dcb) { return GetCommState(port, dcb); }
BOOL SerialApi::SetState(HANDLE port, DCB* dcb) { return SetCommState(port, dcb); }
BOOL SerialApi::GetTimeouts(HANDLE port, COMMTIMEOUTS* t) { return GetCommTimeouts(port, t); }
BOOL SerialApi::SetTimeouts(HANDLE port, COMMTIMEOUTS* t) { return SetCommTimeouts(port, t); }
BOOL SerialApi::SetMask(HANDLE port, DWORD mask) { return SetCommMask(port, mask); }
BOOL SerialApi::WaitEvent(HANDLE port, DWORD* mask, OVERLAPPED* o) {
  return WaitCommEvent(port, mask, o);
}
BOOL SerialApi::Result(HANDLE port, OVERLAPPED* o, DWORD* bytes, DWORD waitMs) {
  if (waitMs != 0) {
    if (const auto resultEx = GetOverlappedResultExOfKernel32()) {
      if (resultEx(port, o, bytes, waitMs, FALSE)) return TRUE;
      if (GetLastError() == WAIT_TIMEOUT) SetLastError(ERROR_IO_INCOMPLETE);
      return FALSE;
    }
    if (WaitForSingleObject(o->hEvent, waitMs) != WAIT_OBJECT_0) {
      SetLastError(ERROR_IO_INCOMPLETE);
      return FALSE;
    }
  }
  return GetOverlappedResult(port, o, bytes, FALSE);
}
BOOL SerialApi::ClearError(HANDLE port, DWORD* errors, COMSTAT* status) {
  return ClearCommError(port, errors, status);
}
BOOL SerialApi::Read(HANDLE port, void* buffer, DWORD count, DWORD* read, OVERLAPPED* o) {
  return ReadFile(port, buffer, count, read, o);
}
BOOL SerialApi::Cancel(HANDLE port, OVERLAPPED* o) { return CancelIoEx(port, o); }
BOOL SerialApi::Write(HANDLE port, const void* bytes, DWORD count, DWORD* written, OVERLAPPED* o) {
  return WriteFile(port, bytes, count, written, o);
}
void SerialApi::PurgeAndClose(HANDLE port) {
  PurgeComm(port, PURGE_TXCLEAR | PURGE_RXCLEAR);
  CloseHandle(port);
}

// ---- the records of the port's requests

namespace {

enum class IoState { Free, InUse, Abandoned };

PortIo Records[kPortIoRecords];
IoState States[kPortIoRecords] = {};
std::mutex Lock;

// An abandoned record whose event is signalled has completed: the driver no longer writes to it.
void ReclaimCompleted() {
  for (int i = 0; i < kPortIoRecords; ++i) {
    if (States[i] == IoState::Abandoned &&
        WaitForSingleObject(Records[i].overlapped.hEvent, 0) == WAIT_OBJECT_0) {
      States[i] = IoState::Free;
    }
  }
}

int IndexOf(const PortIo* io) {
  for (int i = 0; i < kPortIoRecords; ++i) {
    if (io == &Records[i]) return i;
  }
  return -1;
}

int Count(IoState state) {
  ReclaimCompleted();
  int n = 0;
  for (const IoState s : States) n += s == state ? 1 : 0;
  return n;
}

}  // namespace

PortIo* TakePortIo() {
  std::lock_guard<std::mutex> guard(Lock);
  ReclaimCompleted();
  for (int i = 0; i < kPortIoRecords; ++i) {
    if (States[i] != IoState::Free) continue;
    PortIo& io = Records[i];
    // The event outlives every request, so it is made once and never closed.
    HANDLE event = io.overlapped.hEvent;
    if (event == nullptr) event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (event == nullptr) return nullptr;
    std::memset(&io, 0, sizeof io);
    io.overlapped.hEvent = event;
    ResetEvent(event);
    States[i] = IoState::InUse;
    return &io;
  }
  return nullptr;
}

void ReturnPortIo(PortIo* io) {
  std::lock_guard<std::mutex> guard(Lock);
  const int i = IndexOf(io);
  if (i >= 0) States[i] = IoState::Free;
}

void AbandonPortIo(PortIo* io) {
  std::lock_guard<std::mutex> guard(Lock);
  const int i = IndexOf(io);
  if (i >= 0) States[i] = IoState::Abandoned;
}

int FreePortIo() {
  std::lock_guard<std::mutex> guard(Lock);
  return Count(IoState::Free);
}

int AbandonedPortIo() {
  std::lock_guard<std::mutex> guard(Lock);
  return Count(IoState::Abandoned);
}

// ---- the port

std::atomic<BYTE> RunningFlag{0};
SerialPort ReceivePort;

namespace {

// The input queue holds what arrives while a long frame is typed at the Alt-code pace (about
// 100 characters a second): 1024 bytes overflow within a second at 9600 baud. A driver may
// keep a smaller queue of its own (SetupComm, Microsoft Learn); the output queue only ever
// holds a request.
constexpr DWORD kInQueueSize = 16384;
constexpr DWORD kOutQueueSize = 1024;

SerialApi SystemApi;
SerialApi* Api = &SystemApi;

// Every field of the block that changes what is received is set, from the settings or to a
// default, so nothing is inherited from whatever used the port before: a DSR-sensitive port
// drops every byte while DSR is low, a replacement character or null stripping alters the
// data, abort-on-error stops reads until an error is cleared (DCB structure, Microsoft Learn).
// The defaults: binary mode (the only mode Windows supports), no DSR flow control or
// sensitivity, DTR on, no error, null, end-of-file or event character, errors do not abort,
// transmission goes on after an XOFF sent, and XON/XOFF characters 0x11 and 0x13 (SetCommState
// refuses equal ones even with XON/XOFF off).
void ApplyReceiveDefaults(DCB& dcb) {
  // With RTS or XON/XOFF input flow control the sender is stopped when less than 256 bytes
  // of the input queue are free and let go again when no more than 256 are in use: a quarter
  // of the smallest queue a driver keeps, so the limits hold whatever queue it grants.
  constexpr WORD kFlowLimit = 256;
  dcb.fBinary = TRUE;
  dcb.fParity = dcb.Parity != NOPARITY;
  dcb.fOutxDsrFlow = FALSE;
  dcb.fDtrControl = DTR_CONTROL_ENABLE;
  dcb.fDsrSensitivity = FALSE;
  dcb.fTXContinueOnXoff = TRUE;
  dcb.fErrorChar = FALSE;
  dcb.fNull = FALSE;
  dcb.fAbortOnError = FALSE;
  dcb.wReserved = 0;
  dcb.XonLim = kFlowLimit;
  dcb.XoffLim = kFlowLimit;
  dcb.XonChar = 0x11;
  dcb.XoffChar = 0x13;
  dcb.ErrorChar = 0;
  dcb.EofChar = 0;
  dcb.EvtChar = 0;
}

constexpr DWORD kBaud[] = {115200, 57600, 38400, 19200, 9600, 4800, 2400};

void ApplyLineSettings(DCB& dcb, const SettingsRecord& s) {
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
  dcb.fOutX = s.XFLOWC != 0;
  dcb.fInX = s.XFLOWC != 0;
  ApplyReceiveDefaults(dcb);
}

// A write (the device request) may take its line time at the configured rate plus a margin:
// a fixed 50 ms would cut a request short at 2400 baud or while flow control holds the line.
void ApplyTimeouts(HANDLE port, const SettingsRecord& s) {
  COMMTIMEOUTS t{};
  Api->GetTimeouts(port, &t);
  t.ReadIntervalTimeout = MAXDWORD;
  t.ReadTotalTimeoutMultiplier = 0;
  t.ReadTotalTimeoutConstant = 50;
  t.WriteTotalTimeoutMultiplier = LineMsPerByte(s);
  t.WriteTotalTimeoutConstant = kWriteMarginMs;
  Api->SetTimeouts(port, &t);
}

bool IsOpen(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }

void CloseIfOpen(HANDLE& h) {
  if (IsOpen(h)) CloseHandle(h);
  h = nullptr;
}

}  // namespace

void SetSerialApi(SerialApi* api) { Api = api != nullptr ? api : &SystemApi; }

SerialApi& PortApi() { return *Api; }

DWORD LineBaudRate(const SettingsRecord& s) { return s.BAUD < 7 ? kBaud[s.BAUD] : 2400; }

DWORD LineMsPerByte(const SettingsRecord& s) {
  constexpr DWORD kBitsPerByte = 12;
  const DWORD baud = LineBaudRate(s);
  return (kBitsPerByte * 1000 + baud - 1) / baud;
}

void FormatPortName(BYTE port, char* out, size_t size) {
  std::snprintf(out, size, "\\\\.\\COM%d", port + 1);
}

int SerialPort::OpenDevice(const SettingsRecord& s, HANDLE& handle) {
  char name[32];
  FormatPortName(s.PORT, name, sizeof name);
  handle = Api->Open(name);
  if (handle == INVALID_HANDLE_VALUE) return -101;
  Api->Setup(handle, kInQueueSize, kOutQueueSize);
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  // A driver that refuses the block (1.5 stop bits with 7 or 8 data bits, an unsupported
  // rate) applies none of it; receiving on the old settings would give the user garbage.
  if (!Api->GetState(handle, &dcb)) return kPortSettingsRefused;
  ApplyLineSettings(dcb, s);
  if (!Api->SetState(handle, &dcb)) return kPortSettingsRefused;
  ApplyTimeouts(handle, s);
  return 1;
}

int SerialPort::Open(const SettingsRecord& s) {
  const int rc = BeginOpen(s);
  if (rc != kOpenPending) return rc;
  WaitForSingleObject(opener_, INFINITE);
  return OpenResult();
}

int SerialPort::BeginOpen(const SettingsRecord& s) {
  // An abandoned open, the reader of the last reception or the close of the last port is still
  // inside a driver's call.
  if (!OpenerDone() || !ReleaseLeftThread() || !CloserDone()) return kPortHeldByDriver;
  openSettings_ = s;
  opened_ = nullptr;
  openResult_ = 0;
  openAbandoned_ = false;
  openDone_ = false;
  opener_ = CreateThread(nullptr, 0, &SerialPort::OpenerProc, this, 0, nullptr);
  return opener_ != nullptr ? kOpenPending : 0;
}

DWORD WINAPI SerialPort::OpenerProc(LPVOID self) {
  auto* port = static_cast<SerialPort*>(self);
  HANDLE h = nullptr;
  const int rc = port->OpenDevice(port->openSettings_, h);
  std::lock_guard<std::mutex> guard(port->openLock_);
  if (port->openAbandoned_) {
    CloseIfOpen(h);  // the start was given up: the port is nobody's
  } else {
    port->opened_ = h;
    port->openResult_ = rc;
  }
  port->openDone_ = true;
  return 0;
}

bool SerialPort::OpenerDone() {
  if (opener_ == nullptr) return true;
  if (!openDone_.load() && WaitForSingleObject(opener_, 0) != WAIT_OBJECT_0) return false;
  CloseHandle(opener_);
  opener_ = nullptr;
  return true;
}

void SerialPort::AbandonOpen() {
  if (opener_ == nullptr) return;
  std::lock_guard<std::mutex> guard(openLock_);
  openAbandoned_ = true;
  CloseIfOpen(opened_);
  opened_ = nullptr;
}

int SerialPort::OpenResult() {
  if (opener_ == nullptr) return 0;
  if (!OpenerDone()) return kOpenPending;
  int rc = 0;
  {
    std::lock_guard<std::mutex> guard(openLock_);
    if (openAbandoned_) return 0;
    PortHandle = opened_;
    opened_ = nullptr;
    rc = openResult_;
  }
  // A driver that has not completed the request abandoned to it may keep its port from opening.
  if (rc == -101 && AbandonedPortIo() > 0 && abandonedOn_.load() == openSettings_.PORT)
    return kPortHeldByDriver;
  if (rc != 1) return rc;
  // The reader needs the records of a wait and a read that no driver holds.
  if (FreePortIo() < 2) return kPortHeldByDriver;
  lineErrors_ = 0;
  lineErrorCount_ = 0;
  if (StopEvent == nullptr) StopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (StopEvent == nullptr) return 0;
  ResetEvent(StopEvent);
  return 1;
}

int SerialPort::OpenWithoutPort() {
  if (!ReleaseLeftThread()) return kPortHeldByDriver;
  if (StopEvent == nullptr) StopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (StopEvent == nullptr) return 0;
  ResetEvent(StopEvent);
  return 1;
}

bool SerialPort::ReleaseLeftThread() {
  if (leftThread_ == nullptr) return true;
  if (!readerEnded_.load() && WaitForSingleObject(leftThread_, 0) != WAIT_OBJECT_0) return false;
  CloseHandle(leftThread_);
  leftThread_ = nullptr;
  return CloseBounded(leftPort_);
}

bool SerialPort::CloserDone() {
  if (closer_ == nullptr) return true;
  if (!closed_.load() && WaitForSingleObject(closer_, 0) != WAIT_OBJECT_0) return false;
  CloseHandle(closer_);
  closer_ = nullptr;
  return true;
}

DWORD WINAPI SerialPort::CloserProc(LPVOID self) {
  auto* port = static_cast<SerialPort*>(self);
  Api->PurgeAndClose(port->closing_);
  port->closed_ = true;
  return 0;
}

bool SerialPort::CloseBounded(HANDLE& port) {
  HANDLE h = port;
  port = nullptr;
  if (!IsOpen(h)) return true;
  if (!CloserDone()) return false;  // cannot happen: no port opens while one is left
  closing_ = h;
  closed_ = false;
  closer_ = CreateThread(nullptr, 0, &SerialPort::CloserProc, this, 0, nullptr);
  if (closer_ == nullptr) {
    Api->PurgeAndClose(h);
    return true;
  }
  // The close is a stop's last step: the dialog's stop and start stay inert meanwhile.
  stopping_ = true;
  const bool done = JoinReader(closer_, closed_, [](void*) {}, nullptr);
  stopping_ = false;
  return done && CloserDone();
}

bool SerialPort::StartThread(LPTHREAD_START_ROUTINE proc) {
  readerEnded_ = false;
  RunningFlag = 2;
  DWORD id = 0;
  HANDLE thread = CreateThread(nullptr, 0, proc, nullptr, 0, &id);
  if (thread == nullptr) {
    RunningFlag = 0;
    return false;
  }
  SetThreadPriority(thread, THREAD_PRIORITY_HIGHEST);
  ThreadHandle = thread;
  ThreadId = id;
  return true;
}

void SerialPort::CancelPortIo() {
  std::lock_guard<std::mutex> guard(handleLock_);
  if (IsOpen(PortHandle)) Api->Cancel(PortHandle, nullptr);
}

void SerialPort::Join() {
  const bool ended = JoinReader(
      ThreadHandle, readerEnded_, [](void* self) { static_cast<SerialPort*>(self)->CancelPortIo(); },
      this);
  if (ended) {
    CloseHandle(ThreadHandle);
  } else {
    // Still inside a driver's call: the port stays open until it has ended (the stop event is
    // never closed). Back from the call, a stopped reader ends without touching the port again.
    std::lock_guard<std::mutex> guard(handleLock_);
    leftThread_ = ThreadHandle;
    leftPort_ = PortHandle;
    PortHandle = nullptr;
  }
  ThreadHandle = nullptr;
  ThreadId = 0;
}

void SerialPort::ReaderEnded() {
  // Without a stop the reader could not go on: reception is over.
  if (RunningFlag.exchange(0) != 0 && MainDialogWindow != nullptr)
    PostMessageA(MainDialogWindow, kReceptionEndedMessage, 0, 0);
  readerEnded_ = true;
}

void SerialPort::Stop() {
  if (stopping_) return;
  stopping_ = true;
  RunningFlag = 0;
  if (StopEvent != nullptr) SetEvent(StopEvent);
  // The reader's waits all watch the stop event; it ends its own port wait (an empty event
  // mask and a cancel, on its thread), so no port call that a wedged driver could keep is made
  // here but the cancel of a reader that does not end at once.
  if (ThreadHandle != nullptr) Join();
  SetMissing(false);
  lineErrors_ = 0;
  stopping_ = false;
}

void SerialPort::Close() {
  AbandonOpen();
  if (stopping_) return;
  Stop();
  CloseBounded(PortHandle);
}

bool SerialPort::WaitForStop(DWORD ms) const {
  if (!RunningFlag) return true;
  return WaitForSingleObject(StopEvent, ms) == WAIT_OBJECT_0 || !RunningFlag;
}

void FormatLineErrors(DWORD kinds, char* out, size_t size) {
  static const struct {
    DWORD kind;
    const char* name;
  } kNames[] = {{CE_RXPARITY, "パリティ"}, {CE_FRAME, "フレーミング"},
                {CE_OVERRUN, "オーバーラン"}, {CE_RXOVER, "受信あふれ"}};
  if (size == 0) return;
  out[0] = '\0';
  size_t used = 0;
  for (const auto& k : kNames) {
    if ((kinds & k.kind) == 0) continue;
    const int n = std::snprintf(out + used, size - used, "%s%s", used != 0 ? "・" : "", k.name);
    if (n < 0 || static_cast<size_t>(n) >= size - used) return;
    used += static_cast<size_t>(n);
  }
}

void SerialPort::NoteLineErrors(DWORD errors, DWORD now) {
  const DWORD kinds = errors & kLineErrorKinds;
  DWORD shown = lineErrors_.load();
  if (kinds != 0) {
    lineErrorCount_.fetch_add(1);
    lastLineError_ = now;
    shown |= kinds;
  } else if (shown != 0 && now - lastLineError_ >= kLineErrorShowMs) {
    shown = 0;
  }
  if (lineErrors_.exchange(shown) != shown && MainDialogWindow != nullptr)
    PostMessageA(MainDialogWindow, kPortStateMessage, 0, 0);
}

void SerialPort::SetMissing(bool missing) {
  if (missing_.exchange(missing) == missing) return;
  if (MainDialogWindow != nullptr) PostMessageA(MainDialogWindow, kPortStateMessage, 0, 0);
}

void SerialPort::DropDevice() {
  {
    std::lock_guard<std::mutex> guard(handleLock_);
    CloseIfOpen(PortHandle);
  }
  SetMissing(true);
}

bool SerialPort::Reopen(const SettingsRecord& s) {
  HANDLE h = nullptr;
  if (OpenDevice(s, h) != 1 || !Api->SetMask(h, EV_RXCHAR)) {
    CloseIfOpen(h);
    return false;
  }
  {
    // A slow open may outlast a stop that has given up waiting for this thread: the port is
    // then no longer this reception's, and a handle kept would hold it (not shared) until the
    // program ends. The stop clears RunningFlag before it takes the lock.
    std::lock_guard<std::mutex> guard(handleLock_);
    if (!RunningFlag) {
      CloseIfOpen(h);
      return false;
    }
    PortHandle = h;
  }
  SetMissing(false);
  return true;
}

int OpenPort() { return ReceivePort.Open(Settings); }

void StopReceiveThread() { ReceivePort.Stop(); }

void ClosePort() {
  ReceivePort.AbandonOpen();
  if (ReceivePort.Stopping()) return;
  ReceivePort.Close();
  // Shown by this thread above the dialog's modal loop, a notice box would keep an ending
  // dialog open; at a stop none is open (it holds the dialog's buttons).
  CloseNoticeBoxes();
  if (AboutWindow != nullptr) EndDialog(AboutWindow, 1);
  AboutWindow = nullptr;
}

bool ReceptionStopping() { return ReceivePort.Stopping(); }
