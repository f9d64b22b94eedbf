// The soak benchmark's reference for the memory the serial calls themselves take: reads COM5 as
// the reader does, with none of the program's code, so that growth seen here belongs to the
// system's serial driver (under the harness: Wine's), not to the program.
//
//   commwait.exe wait|poll SECONDS
//
// "wait": an overlapped WaitCommEvent(EV_RXCHAR) for each arrival, then ClearCommError and an
// overlapped ReadFile of what is queued; "poll": the same reads every 50 ms, no WaitCommEvent.
// Prints "ready", then "reads N" after every 50 reads; ends after SECONDS.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// An overlapped WaitCommEvent, waited for at most a second (then ended by a mask change).
void WaitForArrival(HANDLE port, OVERLAPPED& o) {
  DWORD mask = 0, unused = 0;
  ResetEvent(o.hEvent);
  if (WaitCommEvent(port, &mask, &o)) return;
  if (GetLastError() != ERROR_IO_PENDING) { Sleep(20); return; }
  if (WaitForSingleObject(o.hEvent, 1000) != WAIT_OBJECT_0) SetCommMask(port, EV_RXCHAR);
  GetOverlappedResult(port, &o, &unused, TRUE);
}

DWORD ReadQueued(HANDLE port, OVERLAPPED& o, char* buffer, DWORD size) {
  DWORD errors = 0, read = 0;
  COMSTAT status{};
  if (!ClearCommError(port, &errors, &status) || status.cbInQue == 0) return 0;
  ResetEvent(o.hEvent);
  const DWORD count = status.cbInQue < size ? status.cbInQue : size;
  if (!ReadFile(port, buffer, count, &read, &o) && GetLastError() == ERROR_IO_PENDING) {
    GetOverlappedResult(port, &o, &read, TRUE);
  }
  return read;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) { std::printf("error usage: commwait.exe wait|poll SECONDS\n"); return 1; }
  const bool wait = std::strcmp(argv[1], "wait") == 0;
  const DWORD end = GetTickCount() + static_cast<DWORD>(std::atoi(argv[2])) * 1000;
  HANDLE port = CreateFileA("\\\\.\\COM5", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_FLAG_OVERLAPPED, nullptr);
  if (port == INVALID_HANDLE_VALUE) { std::printf("error COM5: %lu\n", GetLastError()); return 1; }
  COMMTIMEOUTS timeouts{};
  timeouts.ReadIntervalTimeout = MAXDWORD;  // a read returns what is queued at once
  SetCommTimeouts(port, &timeouts);
  SetCommMask(port, EV_RXCHAR);
  OVERLAPPED waiting{}, reading{};
  waiting.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  reading.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  static char buffer[2048];
  std::printf("ready\n");
  std::fflush(stdout);
  unsigned long reads = 0;
  while (static_cast<LONG>(end - GetTickCount()) > 0) {
    if (wait) WaitForArrival(port, waiting);
    else Sleep(50);
    if (ReadQueued(port, reading, buffer, sizeof buffer) == 0) continue;
    if (++reads % 50 == 0) { std::printf("reads %lu\n", reads); std::fflush(stdout); }
  }
  CloseHandle(waiting.hEvent);
  CloseHandle(reading.hEvent);
  CloseHandle(port);
  return 0;
}
