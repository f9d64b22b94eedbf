// The calls that open and configure a serial port. The program uses the system's calls; a
// test derives from this class to make a step fail (a driver that refuses its line settings).
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
};
