// What the GUI drivers of the scenarios share: the command loop and argument checks, finding a dialog by its
// caption, reading a window's text without hanging on a busy program, the wall clock, and memory
// in the program's process for the messages that carry pointers.
#pragma once
#include <windows.h>

#include <cstdio>
#include <cstring>

// True when argv holds n arguments after position i; otherwise says so.
inline bool NeedArgs(int argc, int i, int n) {
  if (i + n < argc) return true;
  std::printf("error missing arguments\n");
  return false;
}

// Runs the commands from argv[first] on: run(argc, argv, i) answers how many arguments the
// command at i took after its name, or -1 when it failed. 0 when every command ran; otherwise
// prints "FAILED <command>" and answers 1, the driver's exit status.
template <typename Command>
int RunCommands(int argc, char** argv, int first, Command run) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  for (int i = first; i < argc; ++i) {
    const int used = run(argc, argv, i);
    if (used < 0) {
      std::printf("FAILED %s\n", argv[i]);
      return 1;
    }
    i += used;
  }
  return 0;
}

// "/caption TEXT" before the commands names the dialog to drive instead of the main dialog.
// Answers where the commands begin.
inline int TakeCaption(int argc, char** argv, const char*& caption) {
  if (argc <= 2 || std::strcmp(argv[1], "/caption") != 0) return 1;
  caption = argv[2];
  return 3;
}

// Waits up to secs seconds until a dialog with this caption exists (present) or no longer
// does; dialog is the one found (nullptr once gone).
inline bool WaitForDialog(const char* caption, int secs, bool present, HWND& dialog) {
  for (int i = 0; i < secs * 10; ++i) {
    dialog = FindWindowA("#32770", caption);
    if ((dialog != nullptr) == present) return true;
    Sleep(100);
  }
  return false;
}

// The window's text (code page 932 bytes); empty when the program does not answer in 5 s.
inline void ReadWindowText(HWND w, char* out, int size) {
  out[0] = 0;
  SendMessageTimeoutA(w, WM_GETTEXT, static_cast<WPARAM>(size), reinterpret_cast<LPARAM>(out),
                      SMTO_ABORTIFHUNG, 5000, nullptr);
}

// Milliseconds since 1970 (UTC), the clock the keyboard probe stamps its key events with.
inline unsigned long long WallClockMs() {
  FILETIME ft;
  GetSystemTimeAsFileTime(&ft);
  const unsigned long long ticks =
      (static_cast<unsigned long long>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  return ticks / 10000ULL - 11644473600000ULL;
}

// A block of memory in the process that owns a window, for messages that carry pointers.
class RemoteBlock {
 public:
  static constexpr SIZE_T kSize = 4096;
  explicit RemoteBlock(HWND w) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (process_) {
      base_ = static_cast<char*>(
          VirtualAllocEx(process_, nullptr, kSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    }
  }
  ~RemoteBlock() {
    if (base_) VirtualFreeEx(process_, base_, 0, MEM_RELEASE);
    if (process_) CloseHandle(process_);
  }
  RemoteBlock(const RemoteBlock&) = delete;
  RemoteBlock& operator=(const RemoteBlock&) = delete;

  bool Ok() const { return base_ != nullptr; }
  char* At(SIZE_T offset) const { return base_ + offset; }
  bool Write(SIZE_T offset, const void* data, SIZE_T size) const {
    return WriteProcessMemory(process_, base_ + offset, data, size, nullptr) != 0;
  }
  bool Read(SIZE_T offset, void* data, SIZE_T size) const {
    return ReadProcessMemory(process_, base_ + offset, data, size, nullptr) != 0;
  }

 private:
  HANDLE process_ = nullptr;
  char* base_ = nullptr;
};
