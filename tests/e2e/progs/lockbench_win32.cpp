// The typing benchmark's measure of the frame-typing lock alone: the program's TypingLock taken
// and given up as the reader does for each frame of CHARS characters (one wait for the lock at
// the frame's first character, a check that finds it held at each further one, one release at
// the frame's end), FRAMES times, with no other copy running, and the same loop without the
// lock for comparison.
//
//   lockbench.exe [FRAMES [CHARS]]      (defaults 20000 and 20)
//
// prints "lock-us-per-frame X" and "bare-us-per-frame Y", microseconds per frame.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "keyout/keyboard_win32.h"

namespace {

double Microseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
  LARGE_INTEGER f;
  QueryPerformanceFrequency(&f);
  return static_cast<double>(to.QuadPart - from.QuadPart) * 1e6 / static_cast<double>(f.QuadPart);
}

// The loop of one frame after another; with lock null only the loop and the stop check stay.
double FramesMicroseconds(TypingLock* lock, HANDLE stop, int frames, int chars) {
  volatile long typed = 0;
  LARGE_INTEGER t0, t1;
  QueryPerformanceCounter(&t0);
  for (int f = 0; f < frames; ++f) {
    for (int c = 0; c < chars; ++c) {
      if (lock != nullptr && !lock->Acquire(stop)) std::abort();
      typed = typed + 1;
    }
    if (lock != nullptr) lock->Release();
  }
  QueryPerformanceCounter(&t1);
  return Microseconds(t0, t1);
}

}  // namespace

int main(int argc, char** argv) {
  const int frames = argc > 1 ? std::atoi(argv[1]) : 20000;
  const int chars = argc > 2 ? std::atoi(argv[2]) : 20;
  if (frames <= 0 || chars <= 0) { std::printf("error usage: lockbench.exe [FRAMES [CHARS]]\n"); return 1; }
  HANDLE stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  // A name of its own, so that a copy of the program in the same session cannot take part.
  TypingLock lock("Local\\Tamblix.FrameTyping.bench");
  FramesMicroseconds(&lock, stop, frames / 10 + 1, chars);  // warm-up
  const double locked = FramesMicroseconds(&lock, stop, frames, chars);
  const double bare = FramesMicroseconds(nullptr, stop, frames, chars);
  std::printf("lock-us-per-frame %.3f\nbare-us-per-frame %.3f\n", locked / frames, bare / frames);
  CloseHandle(stop);
  return 0;
}
