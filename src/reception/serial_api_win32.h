// The calls that open, configure, wait on and read a serial port. The program uses the
// system's calls; a test derives from this class to make a step fail (a driver that refuses its
// line settings) or to stand in for a device.
#pragma once
#include <windows.h>

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
};

// The calls SerialPort and the reader use: the system's unless a test set its own.
SerialApi& PortApi();
