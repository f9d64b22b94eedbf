// Waiting for the reader thread to end on the GUI thread, which keeps dispatching messages
// meanwhile (the reader may be inside a cross-thread call to a window of this thread), and
// which never waits longer than kJoinDeadlineMs, whatever a driver does.
#pragma once
#include <windows.h>

#include <atomic>

// After this long the reader is cancelled once (it is not back from a port call).
inline constexpr DWORD kCancelGraceMs = 50;
// A stop gives the reader this long; 中止 and 終了 finish well within 2 s.
inline constexpr DWORD kJoinDeadlineMs = 1500;

// Waits until thread has ended or has set `ended` (its last act: returning from it may take the
// system a while when a driver holds a request of the thread), at most kJoinDeadlineMs. After
// kCancelGraceMs it calls cancelIo once. True when the reader ended in time.
bool JoinReader(HANDLE thread, const std::atomic<bool>& ended, void (*cancelIo)(void*),
                void* context);
