// The serial port of reception: the calls it is reached through (SerialApi, the seam the tests
// fake), the records of its overlapped requests (PortIo), and the port as one object
// (SerialPort): the port handle, the reader thread and its stop event, with one lifecycle:
//   Open -> StartThread -> [reader: DropDevice -> Reopen ...] -> Stop -> Close.
// The GUI thread opens, starts, stops and closes. The open itself (CreateFile and the line
// settings, which a driver may keep for seconds or for good) runs on a thread of its own that
// the GUI thread never waits for: BeginOpen starts it, OpenResult takes its result once it has
// returned, and a start given up meanwhile (AbandonOpen) leaves the late handle to that thread
// to close; no open begins while an abandoned one is still inside the driver. While the thread runs, only the thread
// closes and reopens the handle (a removed device); it swaps it under the lock that the
// GUI thread takes to touch the handle during a stop.
//
// A stop never waits longer than kJoinDeadlineMs for the thread. A thread still inside a
// driver's call by then is left to return from it by itself: the port handle it uses is kept
// open for it, the stop event is never closed, and no new reception starts until it has ended.
// The GUI thread makes no port call at a stop that a driver could keep (the reader ends its
// own wait) but a cancel, and the close (purge and CloseHandle) runs on a thread of its own,
// waited for as long as the reader at most, then left in the same way.
#pragma once
#include <windows.h>

#include <atomic>
#include <mutex>

#include "config/settings.h"

// ---- the calls

// The calls that open, configure, wait on and read a serial port. The program uses the
// system's calls; a test derives from this class to make a step fail (a driver that refuses its
// line settings) or to stand in for a device.
class SerialApi {
 public:
  virtual ~SerialApi() = default;
  // CreateFileA: read and write, not shared, OPEN_ALWAYS, overlapped.
  virtual HANDLE Open(const char* deviceName);
  virtual BOOL Setup(HANDLE port, DWORD inQueue, DWORD outQueue);  // SetupComm
  virtual BOOL GetState(HANDLE port, DCB* dcb);                    // GetCommState
  virtual BOOL SetState(HANDLE port, DCB* dcb);                    // SetCommState
  virtual BOOL GetTimeouts(HANDLE port, COMMTIMEOUTS* t);          // GetCommTimeouts
  virtual BOOL SetTimeouts(HANDLE port, COMMTIMEOUTS* t);          // SetCommTimeouts
  virtual BOOL SetMask(HANDLE port, DWORD mask);                   // SetCommMask
  virtual BOOL WaitEvent(HANDLE port, DWORD* mask, OVERLAPPED* o); // WaitCommEvent
  // The result of an overlapped request, waiting at most waitMs for it (0: not at all): FALSE
  // with ERROR_IO_INCOMPLETE when it is still pending then. GetOverlappedResultEx where the
  // system has it (Windows 8 and later), else a bounded wait on the request's event followed
  // by GetOverlappedResult without waiting. Never waits without a limit: a driver may never
  // complete a request, not even a cancelled one.
  virtual BOOL Result(HANDLE port, OVERLAPPED* o, DWORD* bytes, DWORD waitMs);
  virtual BOOL ClearError(HANDLE port, DWORD* errors, COMSTAT* status);      // ClearCommError
  virtual BOOL Read(HANDLE port, void* buffer, DWORD count, DWORD* read, OVERLAPPED* o);  // ReadFile
  virtual BOOL Cancel(HANDLE port, OVERLAPPED* o);                 // CancelIoEx
  virtual BOOL Write(HANDLE port, const void* bytes, DWORD count, DWORD* written,
                     OVERLAPPED* o);                                // WriteFile
  // PurgeComm of both queues, then CloseHandle: the port's end, which a wedged driver may
  // keep waiting.
  virtual void PurgeAndClose(HANDLE port);
};

// The calls SerialPort and the reader use: the system's unless a test set its own.
SerialApi& PortApi();
// Where SerialPort opens and configures ports: nullptr gives the system's calls.
void SetSerialApi(SerialApi* api);

// ---- the records of the port's requests

// The records of the reader's overlapped port requests: the OVERLAPPED with its event, and what
// the driver writes when the request completes (the event mask of a wait, the bytes of a read).
//
// Windows says a cancelled request's OVERLAPPED must be neither freed nor reused until the
// request has completed (CancelIoEx). A driver may take long to complete it, or never do so,
// and a stop must not wait for that. So the reader waits a bounded time and then abandons the
// record: it stays out of use, its structure and buffers intact, until the driver completes the
// request (its event is signalled), and only then is it taken again. The records are static and
// few, never freed: a driver that never completes anything costs at most all of them.

// The reader uses two at a time (a wait and a read); the rest stand in for abandoned ones.
inline constexpr int kPortIoRecords = 6;
inline constexpr DWORD kReceiveBufferSize = 2048;

struct PortIo {
  OVERLAPPED overlapped;   // hEvent: a manual-reset event of the record's own, made once
  DWORD mask;              // WaitCommEvent's event mask
  unsigned char data[kReceiveBufferSize];  // ReadFile's bytes
};

// Any thread. A free record whose event exists and is not signalled; nullptr when every record
// is in use or abandoned, or no event can be made.
PortIo* TakePortIo();
// Done with it: it has no request pending.
void ReturnPortIo(PortIo* io);
// Its request is still pending: the record waits until the driver has completed it.
void AbandonPortIo(PortIo* io);
// Records that are neither in use nor waiting for a driver (abandoned ones that have completed
// since count as free).
int FreePortIo();
// Abandoned records whose request has not completed yet.
int AbandonedPortIo();

// ---- the port

extern std::atomic<BYTE> RunningFlag;  // nonzero while reception runs (the start stores 2)

// OpenPort: the port is open but refused its line settings (GetCommState or SetCommState).
inline constexpr int kPortSettingsRefused = -104;
// OpenPort: the port cannot be opened while its driver has not completed a request of the last
// reception, which was abandoned at its stop or unplugging; or that reader has not ended yet.
inline constexpr int kPortHeldByDriver = -105;
// BeginOpen, OpenResult: the open thread has not returned yet.
inline constexpr int kOpenPending = 2;
// Posted to MainDialogWindow when the reader thread ended without a stop (its port refused the
// event mask it needs): reception is over, and the dialog goes back to idle.
inline constexpr UINT kReceptionEndedMessage = WM_APP + 23;

// The line errors ClearCommError reports that garble what is received: framing, parity,
// overrun of the device's buffer, overflow of the input queue.
inline constexpr DWORD kLineErrorKinds = CE_FRAME | CE_RXPARITY | CE_OVERRUN | CE_RXOVER;
// Line errors are shown until this long after the last one.
inline constexpr DWORD kLineErrorShowMs = 3000;
// The names of the kinds in `kinds`, joined by "・" ("パリティ・フレーミング"); "" for none.
void FormatLineErrors(DWORD kinds, char* out, size_t size);

class SerialPort {
 public:
  // ---- GUI thread
  // 1: open, configured, with the stop event; -101: opening failed; kPortSettingsRefused;
  // kPortHeldByDriver; 0: an event could not be made.
  // Waits for the open thread; for callers without a dialog to keep answering.
  int Open(const SettingsRecord& s);
  // Starts the open of s's port on a thread of its own: kOpenPending; kPortHeldByDriver while an
  // abandoned open, the last reader or the last close is still inside the driver; 0 when no
  // thread can be made.
  int BeginOpen(const SettingsRecord& s);
  // kOpenPending while the open thread runs; once it has returned, Open's results (the port
  // then is PortHandle, as after Open); 0 when no open was begun.
  int OpenResult();
  // The start is given up: a pending open's handle is closed by its thread when it returns, a
  // returned one's here. Inert without an open under way.
  void AbandonOpen();
  // For a reception from another source (the network): the stop event alone, no port.
  // 1, kPortHeldByDriver (the last reader has not ended) or 0.
  int OpenWithoutPort();
  // Sets RunningFlag and starts proc at the highest normal priority; false when it failed.
  bool StartThread(LPTHREAD_START_ROUTINE proc);
  // Tells the thread to stop, wakes it, waits for it (dispatching messages, cancelling its port
  // I/O if it does not end at once) at most kJoinDeadlineMs, closes the thread's handle. A call
  // made while a stop runs (from a message dispatched by its wait) returns at once.
  void Stop();
  // Discards both queues and closes the handle (after Stop), on a thread of its own that the
  // GUI thread waits for at most kJoinDeadlineMs (dispatching messages): a driver that hangs
  // in it keeps that thread and the port, and no start opens a port until it has returned.
  // Inert while a stop runs.
  void Close();
  bool Stopping() const { return stopping_; }
  bool ThreadAlive() const { return ThreadHandle != nullptr; }

  // ---- reader thread
  // Waits up to ms for a stop; true when reception is stopped.
  bool WaitForStop(DWORD ms) const;
  // The device has gone: closes the handle and shows the device missing.
  void DropDevice();
  // Opens and configures the same port again with its event mask set; true when it is back.
  bool Reopen(const SettingsRecord& s);
  // A request on port number `port` (PORT) was abandoned to its driver.
  void NoteAbandonedIo(BYTE port) { abandonedOn_.store(port); }
  // The thread's last act: it touches nothing of the port or the reception afterwards. Clears
  // RunningFlag and tells the main dialog when no stop asked the thread to end.
  void ReaderEnded();

  // The errors ClearCommError reported at `now` (timeGetTime): counted, and their kinds shown
  // until kLineErrorShowMs after the last (the main dialog hears of each change).
  void NoteLineErrors(DWORD errors, DWORD now);

  bool DeviceMissing() const { return missing_.load(); }
  // The kinds of line errors shown now (0: none), and how many reports of them came since
  // the port was opened.
  DWORD LineErrors() const { return lineErrors_.load(); }
  unsigned LineErrorCount() const { return lineErrorCount_.load(); }

  HANDLE PortHandle = nullptr;   // 0 when no port is open; invalid after a failed open
  HANDLE StopEvent = nullptr;    // set by Stop; the thread waits on it beside the port
  HANDLE ThreadHandle = nullptr; // the reader thread, null when none
  DWORD ThreadId = 0;

 private:
  int OpenDevice(const SettingsRecord& s, HANDLE& handle);
  void SetMissing(bool missing);
  void CancelPortIo();
  void Join();
  // Closes what a thread left by a stop's deadline kept, once it has ended; false while it runs.
  bool ReleaseLeftThread();
  // Purges and closes `port` on the closing thread, waiting a bounded time; false when the
  // driver has not let it go by then (the thread is left with it). h is cleared either way.
  bool CloseBounded(HANDLE& port);
  // A closing thread left by the last close has returned (or none was left).
  bool CloserDone();
  static DWORD WINAPI CloserProc(LPVOID self);
  // The open thread has returned (its handle is released) or none was begun.
  bool OpenerDone();
  static DWORD WINAPI OpenerProc(LPVOID self);

  std::mutex handleLock_;
  std::atomic<bool> missing_{false};
  std::atomic<DWORD> lineErrors_{0};
  std::atomic<unsigned> lineErrorCount_{0};
  DWORD lastLineError_ = 0;  // reader thread
  std::atomic<bool> readerEnded_{false};
  std::atomic<int> abandonedOn_{-1};  // PORT of the last request abandoned to its driver
  bool stopping_ = false;
  // A reader the last stop did not see end, and the handles it may still use.
  HANDLE leftThread_ = nullptr;
  HANDLE leftPort_ = nullptr;
  // The thread that purges and closes a port, while it has not returned; what it closes.
  HANDLE closer_ = nullptr;
  HANDLE closing_ = nullptr;
  std::atomic<bool> closed_{false};
  // The open thread until it has returned, what it opens, and what it gave under openLock_:
  // the handle, its result, and whether the start was given up meanwhile.
  HANDLE opener_ = nullptr;
  SettingsRecord openSettings_{};
  std::mutex openLock_;
  HANDLE opened_ = nullptr;
  int openResult_ = 0;
  bool openAbandoned_ = false;
  std::atomic<bool> openDone_{false};
};

extern SerialPort ReceivePort;

// The bit rate BAUD names; a value outside the list (the port keeps its own rate) is timed as
// the slowest, 2400.
DWORD LineBaudRate(const SettingsRecord& s);
// Milliseconds a byte takes on the line at that rate, rounded up, for the longest character
// the settings allow (start, 8 data, parity and 2 stop bits: 12 bits).
DWORD LineMsPerByte(const SettingsRecord& s);
// Beyond its line time a write may take this long (flow control, a driver's latency) before
// its time-out ends it short.
inline constexpr DWORD kWriteMarginMs = 500;

// Device name of a PORT value: "\\.\COM" + (port + 1).
void FormatPortName(BYTE port, char* out, size_t size);
// The program's names for the lifecycle of ReceivePort.
int OpenPort();
void StopReceiveThread();
// Gives up a pending open; StopReceiveThread, purge and close the port, end an open About
// dialog. Inert during a stop.
void ClosePort();
// True while a stop is running (its wait dispatches messages).
bool ReceptionStopping();
