// Stands in for another copy of the program in the middle of typing a frame: takes the
// program's frame-typing lock, prints "held", keeps it MS milliseconds, gives it up and prints
// "released".
//
//   lockhold.exe MS
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "keyout/keyboard_win32.h"

int main(int argc, char** argv) {
  const int ms = argc > 1 ? std::atoi(argv[1]) : 0;
  if (ms <= 0) {
    std::printf("error usage: lockhold.exe MS\n");
    return 1;
  }
  TypingLock lock(kTypingLockName);
  if (!lock.Acquire(nullptr)) return 1;
  std::printf("held\n");
  std::fflush(stdout);
  Sleep(static_cast<DWORD>(ms));
  lock.Release();
  std::printf("released\n");
  return 0;
}
