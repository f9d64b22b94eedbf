// The reader thread and what the main dialog's start, stop and clear need of it.
#pragma once
#include <windows.h>

// Sets the frame flags for a new start of reception (before OpenPort).
void InitReceiveFrameFlags();
// Empties the framing state (accumulator, partial matches, shift state). While a reader
// thread exists (running or stopping) the reset is handed to it and done before its next
// block, or by the next call made once it has ended; never beside it.
void ResetReceiveFraming();
// After OpenPort returned 1: sets RunningFlag and creates ReceiveThread at the highest normal
// priority. False when the thread could not be created.
bool StartReceiveThread();
// The start of reception once the dialog's checks are done: frame flags, OpenPort and, when
// it gave 1, the thread. Returns OpenPort's result; after any other result the port is closed.
int StartReception();
// The thread procedure.
DWORD WINAPI ReceiveThread(LPVOID);
