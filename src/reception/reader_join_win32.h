// Waiting for the reader thread to end on the GUI thread, which must keep dispatching
// messages meanwhile: the reader may be inside a synchronous echo to the dialog or inside a
// notice box of its own.
#pragma once
#include <windows.h>

// Waits until thread has ended. After kCancelGraceMs it calls cancelIo once (the reader is not
// back from a port call); from kBoxGraceMs on it closes every window the thread shows (its
// notice boxes) at each turn, so that a box opened late cannot hold the stop either.
void JoinReader(HANDLE thread, DWORD threadId, void (*cancelIo)(void*), void* context);

inline constexpr DWORD kCancelGraceMs = 50;
inline constexpr DWORD kBoxGraceMs = 100;
