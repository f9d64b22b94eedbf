// The GUI thread's COM apartment: single-threaded while it lives, undone when it ends, and
// a thread already in another apartment is left in it.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <thread>

#include "app/startup_shortcut_win32.h"

namespace {

// Runs `body` on a new thread, which starts outside any apartment.
template <typename Body>
void OnFreshThread(Body body) {
  std::thread thread(body);
  thread.join();
}

// The apartment the calling thread is in, told by asking for a multithreaded one.
HRESULT AskForMultithreaded() {
  const HRESULT result = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  if (SUCCEEDED(result)) CoUninitialize();
  return result;
}

}  // namespace

TEST(ComApartmentTest, SingleThreadedWhileItLivesAndUndoneAfter) {
  OnFreshThread([] {
    {
      const ComApartment com;
      EXPECT_EQ(AskForMultithreaded(), RPC_E_CHANGED_MODE);
    }
    EXPECT_EQ(AskForMultithreaded(), S_OK);
  });
}

TEST(ComApartmentTest, AThreadInAnotherApartmentKeepsIt) {
  OnFreshThread([] {
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    { const ComApartment com; }
    EXPECT_EQ(AskForMultithreaded(), S_FALSE);  // still multithreaded: asking again adds a count
    CoUninitialize();
  });
}
