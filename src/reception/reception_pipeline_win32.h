// What the reader thread does with the data: the process-wide framing state, key output and
// log writer, wired to the Win32 keyboard, the main dialog's displays and the log file.
#pragma once
#include <windows.h>

// Sets the frame flags for a new start of reception (before OpenPort).
void InitReceiveFrameFlags();
// At thread start, before anything is read: empties the log buffer.
void ReceptionStart();
// At thread end, on the reader thread: gives up what the thread holds for typing.
void ReceptionEnd();
// The data-interval timeout at the top of each turn; true when it ended the frame.
bool CheckDataInterval(DWORD now, DWORD lastReceiveTime);
// Ends the current frame as the data-interval timeout does (the device went away mid-frame).
void EndFrameAtTimeout();
// One block as read from the port (n bytes, not necessarily terminated at n).
void ProcessReceivedBlock(const unsigned char* block, int n);
