// The reader thread and what the main dialog's start, stop and clear need of it.
#pragma once
#include <windows.h>

// Sets the frame flags for a new start of reception (before OpenPort).
void InitReceiveFrameFlags();
// Empties the framing state (accumulator, partial matches, shift state). While the thread runs
// the reset is handed to it and done before its next block.
void ResetReceiveFraming();
// After OpenPort returned 1: sets RunningFlag and creates ReceiveThread at the highest normal
// priority. False when the thread could not be created.
bool StartReceiveThread();
// The thread procedure.
DWORD WINAPI ReceiveThread(LPVOID);


