// The serial port and the reader thread's handles. Everything here runs on the GUI thread,
// except that ReceiveThread reads PortHandle, ReadEvent and RunningFlag.
#pragma once
#include <windows.h>

#include <atomic>

extern HANDLE PortHandle;            // 0 when no port is open
extern HANDLE ReadEvent;             // event of the read overlapped structure; null when none
extern std::atomic<BYTE> RunningFlag;  // nonzero while reception runs (the start stores 2)

// 1: open and configured with ReadEvent; -101: opening failed; 0: ReadEvent could not be made.
int OpenPort();
// Tells ReceiveThread to end, wakes it, waits for it (dispatching messages), closes its handles.
void StopReceiveThread();
// StopReceiveThread, purge and close the port, end an open About dialog.
void ClosePort();
