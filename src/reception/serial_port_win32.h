// The serial port and the reader thread's handles. Everything here runs on the GUI thread,
// except that ReceiveThread reads PortHandle, ReadOverlapped and RunningFlag.
#pragma once
#include <windows.h>

#include <atomic>

extern HANDLE PortHandle;              // 0 when no port is open; invalid after a failed open
extern HANDLE ReadEvent;               // event of ReadOverlapped; null when none
extern OVERLAPPED ReadOverlapped;      // the one structure used for every read of the port
extern std::atomic<BYTE> RunningFlag;  // nonzero while reception runs (the start stores 2)
extern HANDLE ReceiveThreadHandle;     // the running reader thread, null when none
extern DWORD ReceiveThreadId;

// Device name of a PORT value: "\\.\COM" + (port + 1).
void FormatPortName(BYTE port, char* out, size_t size);
// 1: open and configured with ReadEvent; -101: opening failed; -102: the port refused its line
// settings; 0: ReadEvent could not be made.
int OpenPort();
// Tells ReceiveThread to end, wakes it, waits for it (dispatching messages), closes its handles.
void StopReceiveThread();
// StopReceiveThread, purge and close the port, end an open About dialog.
void ClosePort();
