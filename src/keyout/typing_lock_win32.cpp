#include "keyout/typing_lock_win32.h"

TypingLock::TypingLock(const char* name) : mutex_(CreateMutexA(nullptr, FALSE, name)) {}

TypingLock::~TypingLock() {
  Release();
  if (mutex_ != nullptr) CloseHandle(mutex_);
}

bool TypingLock::Acquire(HANDLE stop) {
  if (held_ || mutex_ == nullptr) return true;
  // The stop comes first: WaitForMultipleObjects reports the lowest signalled index.
  const HANDLE both[2] = {stop, mutex_};
  const DWORD count = stop != nullptr ? 2 : 1;
  const HANDLE* handles = stop != nullptr ? both : both + 1;
  const DWORD r = WaitForMultipleObjects(count, handles, FALSE, INFINITE);
  if (stop != nullptr && r == WAIT_OBJECT_0) return false;
  // WAIT_ABANDONED: the owner ended without giving the lock up; it is now this thread's
  // (Microsoft Learn, "WaitForMultipleObjects function"). A failed wait types unlocked.
  held_ = r == WAIT_OBJECT_0 + count - 1 || r == WAIT_ABANDONED_0 + count - 1;
  return true;
}

void TypingLock::Release() {
  if (!held_) return;
  held_ = false;
  ReleaseMutex(mutex_);
}
