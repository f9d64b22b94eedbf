#include "reception/port_io_win32.h"

#include <cstring>
#include <mutex>

namespace {

enum class IoState { Free, InUse, Abandoned };

PortIo Records[kPortIoRecords];
IoState States[kPortIoRecords] = {};
std::mutex Lock;

// An abandoned record whose event is signalled has completed: the driver no longer writes to it.
void ReclaimCompleted() {
  for (int i = 0; i < kPortIoRecords; ++i) {
    if (States[i] == IoState::Abandoned &&
        WaitForSingleObject(Records[i].overlapped.hEvent, 0) == WAIT_OBJECT_0) {
      States[i] = IoState::Free;
    }
  }
}

int IndexOf(const PortIo* io) {
  for (int i = 0; i < kPortIoRecords; ++i) {
    if (io == &Records[i]) return i;
  }
  return -1;
}

int Count(IoState state) {
  ReclaimCompleted();
  int n = 0;
  for (const IoState s : States) n += s == state ? 1 : 0;
  return n;
}

}  // namespace

PortIo* TakePortIo() {
  std::lock_guard<std::mutex> guard(Lock);
  ReclaimCompleted();
  for (int i = 0; i < kPortIoRecords; ++i) {
    if (States[i] != IoState::Free) continue;
    PortIo& io = Records[i];
    // The event outlives every request, so it is made once and never closed.
    HANDLE event = io.overlapped.hEvent;
    if (event == nullptr) event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (event == nullptr) return nullptr;
    std::memset(&io, 0, sizeof io);
    io.overlapped.hEvent = event;
    ResetEvent(event);
    States[i] = IoState::InUse;
    return &io;
  }
  return nullptr;
}

void ReturnPortIo(PortIo* io) {
  std::lock_guard<std::mutex> guard(Lock);
  const int i = IndexOf(io);
  if (i >= 0) States[i] = IoState::Free;
}

void AbandonPortIo(PortIo* io) {
  std::lock_guard<std::mutex> guard(Lock);
  const int i = IndexOf(io);
  if (i >= 0) States[i] = IoState::Abandoned;
}

int FreePortIo() {
  std::lock_guard<std::mutex> guard(Lock);
  return Count(IoState::Free);
}

int AbandonedPortIo() {
  std::lock_guard<std::mutex> guard(Lock);
  return Count(IoState::Abandoned);
}
