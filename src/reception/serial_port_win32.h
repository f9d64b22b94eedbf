// The serial port of reception as one object: the port handle, the read event and overlapped
// structure, the reader thread and its stop event, with one lifecycle:
//   Open -> StartThread -> [reader: DropDevice -> Reopen ...] -> Stop -> Close.
// The GUI thread opens, starts, stops and closes. While the thread runs, only the thread
// closes and reopens the handle (a removed device); it swaps it under the lock that the
// GUI thread takes to touch the handle during a stop.
#pragma once
#include <windows.h>

#include <atomic>
#include <mutex>

#include "config/settings_record.h"

class SerialApi;

extern std::atomic<BYTE> RunningFlag;  // nonzero while reception runs (the start stores 2)

// OpenPort: the port is open but refused its line settings (GetCommState or SetCommState).
inline constexpr int kPortSettingsRefused = -104;
// Posted to MainDialogWindow when the device goes missing or is back, and when a stop ends a
// missing state; SerialPort::DeviceMissing says which. Also when the notice of a refused input
// comes or goes (input_refusal_win32.h).
inline constexpr UINT kPortStateMessage = WM_APP + 13;

class SerialPort {
 public:
  // ---- GUI thread
  // 1: open, configured, with ReadEvent; -101: opening failed; kPortSettingsRefused; 0: an
  // event could not be made.
  int Open(const SettingsRecord& s);
  // Sets RunningFlag and starts proc at the highest normal priority; false when it failed.
  bool StartThread(LPTHREAD_START_ROUTINE proc);
  // Tells the thread to stop, wakes it, waits for it (dispatching messages, closing its notice
  // boxes, cancelling its port I/O if it does not end at once), closes the thread's handles.
  // A call made while a stop runs (from a message dispatched by its wait) returns at once.
  void Stop();
  // Discards both queues and closes the handle (after Stop). Inert while a stop runs.
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

  bool DeviceMissing() const { return missing_.load(); }

  HANDLE PortHandle = nullptr;   // 0 when no port is open; invalid after a failed open
  HANDLE ReadEvent = nullptr;    // event of ReadOverlapped; null when none
  OVERLAPPED ReadOverlapped{};   // the one structure used for every read of the port
  HANDLE StopEvent = nullptr;    // set by Stop; the thread waits on it beside the port
  HANDLE ThreadHandle = nullptr; // the reader thread, null when none
  DWORD ThreadId = 0;

 private:
  int OpenDevice(const SettingsRecord& s, HANDLE& handle);
  void SetMissing(bool missing);
  void CancelPortIo();
  void Join();

  std::mutex handleLock_;
  std::atomic<bool> missing_{false};
  bool stopping_ = false;
};

extern SerialPort ReceivePort;

// Where SerialPort opens and configures ports: nullptr gives the system's calls.
void SetSerialApi(SerialApi* api);
// Device name of a PORT value: "\\.\COM" + (port + 1).
void FormatPortName(BYTE port, char* out, size_t size);
// The program's names for the lifecycle of ReceivePort.
int OpenPort();
void StopReceiveThread();
// StopReceiveThread, purge and close the port, end an open About dialog. Inert during a stop.
void ClosePort();
// True while a stop is running (its wait dispatches messages).
bool ReceptionStopping();
