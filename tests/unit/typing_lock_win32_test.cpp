// The lock that copies of the program take while they type a frame: a lock held by another
// copy is waited for, one left by a copy that died is taken, a stop ends the wait at once, and
// one Release gives it up however often it was taken.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "keyout/keyboard_win32.h"

namespace {

// A name of the test's own, so that a copy of the program running beside it is not disturbed.
std::string LockName() {
  return "Local\\TamblixTypingLockTest." + std::to_string(GetCurrentProcessId()) + "." +
         ::testing::UnitTest::GetInstance()->current_test_info()->name();
}

// Another copy: its own handle on the lock, taken on its own thread; it gives the lock up
// when `release` is set, or never (abandons it) when `release` is null.
class OtherCopy {
 public:
  OtherCopy(const std::string& name, HANDLE release) {
    const HANDLE taken = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    thread_ = std::thread([&name, release, taken] {
      const HANDLE m = CreateMutexA(nullptr, FALSE, name.c_str());
      WaitForSingleObject(m, INFINITE);
      SetEvent(taken);
      if (release == nullptr) return;  // the thread ends holding it
      WaitForSingleObject(release, INFINITE);
      ReleaseMutex(m);
      CloseHandle(m);
    });
    WaitForSingleObject(taken, INFINITE);
    CloseHandle(taken);
  }
  ~OtherCopy() { thread_.join(); }
  OtherCopy(const OtherCopy&) = delete;
  OtherCopy& operator=(const OtherCopy&) = delete;

 private:
  std::thread thread_;
};

// Whether a thread of another copy could take the lock now.
bool FreeForOthers(const std::string& name) {
  bool free = false;
  std::thread([&] {
    const HANDLE m = CreateMutexA(nullptr, FALSE, name.c_str());
    const DWORD r = WaitForSingleObject(m, 0);
    free = r == WAIT_OBJECT_0 || r == WAIT_ABANDONED;
    if (free) ReleaseMutex(m);
    CloseHandle(m);
  }).join();
  return free;
}

struct TypingLockTest : ::testing::Test {
  TypingLockTest() : name(LockName()) {}
  ~TypingLockTest() override {
    CloseHandle(release);
    CloseHandle(stop);
  }
  TypingLockTest(const TypingLockTest&) = delete;
  TypingLockTest& operator=(const TypingLockTest&) = delete;
  const std::string name;
  HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
};

// Sets event after ms on a thread of its own.
std::thread SetLater(HANDLE event, DWORD ms) {
  return std::thread([event, ms] {
    Sleep(ms);
    SetEvent(event);
  });
}

TEST_F(TypingLockTest, WaitsWhileAnotherCopyHoldsItAndTakesItWhenGivenUp) {
  TypingLock lock(name.c_str());
  OtherCopy other(name, release);
  std::thread later = SetLater(release, 300);
  const DWORD t0 = GetTickCount();
  EXPECT_TRUE(lock.Acquire(stop));
  const DWORD waited = GetTickCount() - t0;
  later.join();
  EXPECT_TRUE(lock.Held());
  EXPECT_GE(waited, 250u);
  EXPECT_FALSE(FreeForOthers(name));
  lock.Release();
  EXPECT_TRUE(FreeForOthers(name));
}

TEST_F(TypingLockTest, ALockLeftByACopyThatEndedIsTaken) {
  TypingLock lock(name.c_str());
  { OtherCopy dead(name, nullptr); }
  EXPECT_TRUE(lock.Acquire(stop));
  EXPECT_TRUE(lock.Held());
  EXPECT_FALSE(FreeForOthers(name));
}

TEST_F(TypingLockTest, AStopEndsTheWaitAtOnceWithoutTheLock) {
  TypingLock lock(name.c_str());
  OtherCopy other(name, release);
  std::thread later = SetLater(stop, 100);
  const DWORD t0 = GetTickCount();
  EXPECT_FALSE(lock.Acquire(stop));
  const DWORD waited = GetTickCount() - t0;
  later.join();
  EXPECT_FALSE(lock.Held());
  EXPECT_LT(waited, 1000u);
  SetEvent(release);
}

TEST_F(TypingLockTest, AStopAlreadySetWinsOverAFreeLock) {
  TypingLock lock(name.c_str());
  SetEvent(stop);
  EXPECT_FALSE(lock.Acquire(stop));
  EXPECT_TRUE(FreeForOthers(name));
}

TEST_F(TypingLockTest, TakenTwiceItIsGivenUpByOneRelease) {
  TypingLock lock(name.c_str());
  EXPECT_TRUE(lock.Acquire(stop));
  EXPECT_TRUE(lock.Acquire(stop));
  lock.Release();
  EXPECT_FALSE(lock.Held());
  EXPECT_TRUE(FreeForOthers(name));
}

}  // namespace
