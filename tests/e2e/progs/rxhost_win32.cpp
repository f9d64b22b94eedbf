// Test host of the reception scenarios: stands in for the main dialog (a window with the input
// and output displays 1026 and 1027), loads a settings file and starts reception as the
// dialog's start does. It then follows commands written to a command file, one per line:
//   start   starts reception again (after a stop)
//   stop    stops reception (ClosePort)
//   quit    stops and exits
//   count   prints "handles H threads T": the slot a new handle gets and the live threads
// Each command is answered on stdout ("start 1", "stop", ...) so the scenario can follow.
//
//   rxhost.exe SETTINGS-FILE COMMAND-FILE [OPTIONS]   (OPTIONS as the program's command line)
#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstring>

#include "common/ui_win32.h"
#include "config/settings.h"
#include "config/settings_location.h"
#include "source/receive_thread_win32.h"
#include "source/serial_port_win32.h"

namespace {

// Live threads of this process, from a snapshot of the system's threads.
int ThreadCount() {
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snap == INVALID_HANDLE_VALUE) return -1;
  THREADENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  int n = 0;
  for (BOOL more = Thread32First(snap, &entry); more; more = Thread32Next(snap, &entry)) {
    if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++n;
  }
  CloseHandle(snap);
  return n;
}

// The slot a new handle gets. Wine does not count a process's handles (GetProcessHandleCount
// gives 0), but it hands out the lowest free slot of the handle table, so that slot climbs
// when handles leak.
unsigned long NextHandleSlot() {
  HANDLE probe = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  if (probe == nullptr) return 0;
  const auto slot = static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(probe) / 4);
  CloseHandle(probe);
  return slot;
}

void AnswerCounts() {
  std::printf("handles %lu threads %d\n", NextHandleSlot(), ThreadCount());
  std::fflush(stdout);
}

void Answer(const char* text, int value) {
  std::printf("%s %d\n", text, value);
  std::fflush(stdout);
}

// Runs the commands added to the file since the last look; false on "quit".
bool FollowCommands(const char* path, long& offset) {
  FILE* f = std::fopen(path, "rb");
  if (!f) return true;
  std::fseek(f, offset, SEEK_SET);
  char line[64];
  bool goOn = true;
  while (goOn && std::fgets(line, sizeof line, f)) {
    if (!std::strchr(line, '\n')) break;  // a line still being written
    offset = std::ftell(f);
    if (std::strncmp(line, "start", 5) == 0) {
      Answer("start", StartReception());
    } else if (std::strncmp(line, "stop", 4) == 0) {
      const DWORD t0 = GetTickCount();
      ClosePort();
      Answer("stop-ms", static_cast<int>(GetTickCount() - t0));
    } else if (std::strncmp(line, "count", 5) == 0) {
      AnswerCounts();
    } else if (std::strncmp(line, "quit", 4) == 0) {
      goOn = false;
    }
  }
  std::fclose(f);
  return goOn;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: rxhost SETTINGS-FILE COMMAND-FILE\n");
    return 2;
  }
  HINSTANCE instance = GetModuleHandleA(nullptr);
  MainDialogWindow = CreateWindowExA(0, "STATIC", "rxhost", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300,
                                     nullptr, nullptr, instance, nullptr);
  CreateWindowExA(0, "EDIT", "", WS_CHILD | ES_MULTILINE, 0, 0, 380, 100, MainDialogWindow,
                  reinterpret_cast<HMENU>(1026), instance, nullptr);
  CreateWindowExA(0, "EDIT", "", WS_CHILD | ES_MULTILINE, 0, 110, 380, 100, MainDialogWindow,
                  reinterpret_cast<HMENU>(1027), instance, nullptr);

  if (argc > 3) ParseCommandLine(argv[3]);
  ReadSettingsFile(Settings, argv[1]);
  Answer("start", StartReception());

  long offset = 0;
  for (;;) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    if (!FollowCommands(argv[2], offset)) break;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
  ClosePort();
  Answer("quit", 0);
  return 0;
}
