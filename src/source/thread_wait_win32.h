// Waiting for another thread without blocking this one's windows: the messages of this thread
// dispatched meanwhile (the reader may be inside a cross-thread call to one of its windows), and
// the GUI thread's bounded wait for a thread to end.
#pragma once
#include <windows.h>

#include <atomic>

// Dispatches the messages queued for this thread. A WM_QUIT is posted again and ends the
// dispatching: it is kept for the message loop that runs once the caller is done (the modal
// loop the stop's wait runs inside).
void DispatchMessages();

// After this long the reader is cancelled once (it is not back from a port call).
inline constexpr DWORD kCancelGraceMs = 50;
// A stop gives the reader this long; 中止 and 終了 finish well within 2 s.
inline constexpr DWORD kJoinDeadlineMs = 1500;

// Waits until thread has ended or has set `ended` (its last act: returning from it may take the
// system a while when a driver holds a request of the thread), at most kJoinDeadlineMs, and
// keeps dispatching this thread's messages meanwhile (the reader may be inside a cross-thread
// call to a window of this thread). After kCancelGraceMs it calls cancelIo once. True when the
// reader ended in time.
bool JoinReader(HANDLE thread, const std::atomic<bool>& ended, void (*cancelIo)(void*),
                void* context);
