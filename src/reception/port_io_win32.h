// The records of the reader's overlapped port requests: the OVERLAPPED with its event, and what
// the driver writes when the request completes (the event mask of a wait, the bytes of a read).
//
// Windows says a cancelled request's OVERLAPPED must be neither freed nor reused until the
// request has completed (CancelIoEx). A driver may take long to complete it, or never do so,
// and a stop must not wait for that. So the reader waits a bounded time and then abandons the
// record: it stays out of use, its structure and buffers intact, until the driver completes the
// request (its event is signalled), and only then is it taken again. The records are static and
// few, never freed: a driver that never completes anything costs at most all of them.
#pragma once
#include <windows.h>

// The reader uses two at a time (a wait and a read); the rest stand in for abandoned ones.
inline constexpr int kPortIoRecords = 6;
inline constexpr DWORD kReceiveBufferSize = 2048;

struct PortIo {
  OVERLAPPED overlapped;   // hEvent: a manual-reset event of the record's own, made once
  DWORD mask;              // WaitCommEvent's event mask
  unsigned char data[kReceiveBufferSize];  // ReadFile's bytes
};

// Any thread. A free record whose event exists and is not signalled; nullptr when every record
// is in use or abandoned, or no event can be made.
PortIo* TakePortIo();
// Done with it: it has no request pending.
void ReturnPortIo(PortIo* io);
// Its request is still pending: the record waits until the driver has completed it.
void AbandonPortIo(PortIo* io);
// Records that are neither in use nor waiting for a driver (abandoned ones that have completed
// since count as free).
int FreePortIo();
// Abandoned records whose request has not completed yet.
int AbandonedPortIo();
