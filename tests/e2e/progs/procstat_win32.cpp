// Resource sampler of the soak benchmark: finds a running program by its file name in the same
// Wine prefix and prints one line of its resource counts.
//
//   procstat.exe NAME        e.g. procstat.exe Tamblix.exe
//
// prints "pid=P private=B working=B handles=N handle-list=N gdi=N user=N windows=N" and exits 0:
//   private, working  GetProcessMemoryInfo's PrivateUsage and WorkingSetSize, in bytes
//   handles           GetProcessHandleCount
//   handle-list       the process's entries in the system's handle table
//                     (NtQuerySystemInformation, extended handle information); the same count
//                     reached another way, for systems where GetProcessHandleCount reads 0
//   gdi, user         GetGuiResources (GR_GDIOBJECTS, GR_USEROBJECTS)
//   windows           the process's windows: top-level, message-only and all their children
// A count the system does not give is printed as -1. Prints "error ..." and exits 1 when no
// process or several have that name, or when the process cannot be opened; a missing process
// is how the benchmark sees a crash.
#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <cstdio>
#include <vector>

namespace {

// The pid of the one process named name (case-insensitive); 0 for none, -1 for several.
long FindProcess(const char* name) {
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snap == INVALID_HANDLE_VALUE) return 0;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  long found = 0;
  for (BOOL more = Process32First(snap, &entry); more; more = Process32Next(snap, &entry)) {
    if (lstrcmpiA(entry.szExeFile, name) != 0) continue;
    found = found == 0 ? static_cast<long>(entry.th32ProcessID) : -1;
  }
  CloseHandle(snap);
  return found;
}

// The layout of SystemExtendedHandleInformation (64), which winternl.h does not declare.
struct HandleEntry {
  void* object;
  ULONG_PTR pid;
  ULONG_PTR value;
  ULONG access;
  USHORT back_trace;
  USHORT type;
  ULONG attributes;
  ULONG reserved;
};
struct HandleTable {
  ULONG_PTR count;
  ULONG_PTR reserved;
  HandleEntry entries[1];
};
using QuerySystem = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);
constexpr ULONG kExtendedHandleInformation = 64;
constexpr LONG kLengthMismatch = static_cast<LONG>(0xC0000004);

// The entries of pid in the system's handle table; -1 when the system does not list them.
long HandleListCount(DWORD pid) {
  auto query = reinterpret_cast<QuerySystem>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
  if (query == nullptr) return -1;
  std::vector<unsigned char> buffer(1 << 16);
  for (;;) {
    ULONG needed = 0;
    const LONG status = query(kExtendedHandleInformation, buffer.data(),
                              static_cast<ULONG>(buffer.size()), &needed);
    if (status == kLengthMismatch) {
      buffer.resize(buffer.size() * 2 > needed ? buffer.size() * 2 : needed + 4096);
      continue;
    }
    if (status < 0) return -1;
    break;
  }
  const auto* table = reinterpret_cast<const HandleTable*>(buffer.data());
  long n = 0;
  for (ULONG_PTR i = 0; i < table->count; ++i) n += table->entries[i].pid == pid ? 1 : 0;
  return n;
}

struct WindowCount {
  DWORD pid;
  long n;
};

BOOL CALLBACK CountChild(HWND w, LPARAM param) {
  auto* c = reinterpret_cast<WindowCount*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(w, &owner);
  if (owner == c->pid) ++c->n;
  return TRUE;
}

// A top-level window of pid with all its descendants (EnumChildWindows walks the whole tree).
BOOL CALLBACK CountTop(HWND w, LPARAM param) {
  auto* c = reinterpret_cast<WindowCount*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(w, &owner);
  if (owner != c->pid) return TRUE;
  ++c->n;
  EnumChildWindows(w, CountChild, param);
  return TRUE;
}

long WindowsOf(DWORD pid) {
  WindowCount c{pid, 0};
  EnumWindows(CountTop, reinterpret_cast<LPARAM>(&c));
  for (HWND w = FindWindowExA(HWND_MESSAGE, nullptr, nullptr, nullptr); w != nullptr;
       w = FindWindowExA(HWND_MESSAGE, w, nullptr, nullptr)) {
    CountTop(w, reinterpret_cast<LPARAM>(&c));
  }
  return c.n;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) { std::printf("error usage: procstat.exe NAME\n"); return 1; }
  const long found = FindProcess(argv[1]);
  if (found <= 0) {
    std::printf("error %s %s\n", found == 0 ? "no process named" : "several processes named", argv[1]);
    return 1;
  }
  const auto pid = static_cast<DWORD>(found);
  HANDLE p = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
  if (p == nullptr) { std::printf("error cannot open process %lu\n", pid); return 1; }
  PROCESS_MEMORY_COUNTERS_EX mem{};
  mem.cb = sizeof mem;
  const bool mem_ok =
      GetProcessMemoryInfo(p, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&mem), sizeof mem) != 0;
  DWORD handles = 0;
  const bool handles_ok = GetProcessHandleCount(p, &handles) != 0;
  const DWORD gdi = GetGuiResources(p, GR_GDIOBJECTS);
  const DWORD user = GetGuiResources(p, GR_USEROBJECTS);
  CloseHandle(p);
  std::printf("pid=%lu private=%lld working=%lld handles=%ld handle-list=%ld gdi=%lu user=%lu windows=%ld\n",
              pid, mem_ok ? static_cast<long long>(mem.PrivateUsage) : -1LL,
              mem_ok ? static_cast<long long>(mem.WorkingSetSize) : -1LL,
              handles_ok ? static_cast<long>(handles) : -1L, HandleListCount(pid),
              static_cast<unsigned long>(gdi), static_cast<unsigned long>(user), WindowsOf(pid));
  return 0;
}
