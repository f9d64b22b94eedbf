// The reader thread of reception: what the main dialog's start, stop and clear need of it, the
// reader that waits on the open port (ReceivePort) and reads what is queued, and the GUI
// thread's wait for the thread to end.
//
// The data-interval timeout needs the wait to return when no data comes. Arming a timer on the
// main dialog from this thread is not possible (a window timer can only be set by the window's
// own thread), so the wait itself is bounded by the time left until the interval runs out: the
// overlapped port wait stays pending while the thread wakes to decide the timeout. Every wait
// and pause also watches the port's stop event, so a stop ends it at once whatever the reader
// was doing.
//
// Windows signals EV_RXCHAR when a character is received and placed in the input queue
// (WaitCommEvent, Microsoft Learn): once per arrival, not while bytes wait. Bytes that arrive
// while a block is typed, or whose wait ended otherwise (a time-out, the mask changed, a USB
// driver's ERROR_OPERATION_ABORTED), have no event of their own; so the reader reads whatever
// the queue holds after each block and after every end of a wait.
//
// A port whose device is removed (a USB adapter pulled) fails its calls with the errors of a
// removed device, or, with some drivers, with others: calls that keep failing for a second
// count as a removal too. Not every driver ends a pending wait when that happens, so a wait that sees
// no data for a second asks the port for its queue. The reader then closes the port and tries
// to open the same port again every second, quietly, until it is back or reception is stopped.
//
// No wait of the reader is unbounded, whatever the driver does: a cancelled request is given
// kCancelledIoMs to complete and is then abandoned with its record (PortIo, serial_port_win32.h),
// and a read that its 50 ms time-outs do not end within kReadLimitMs is cancelled.
#pragma once
#include <windows.h>

#include <atomic>

#include "source/reader_steps_win32.h"

struct PortIo;

// ---- GUI thread

// The start of reception once the dialog's checks are done: frame flags, OpenPort and, when
// it gave 1, the reader thread (RunningFlag set, the highest normal priority). Returns
// OpenPort's result; after any other result the port is closed. A thread that cannot be
// created leaves the port open until the stop.
int StartReception();
// The same start for the main dialog, which never waits for a port's open: Begin gives
// kOpenPending while the open runs on its thread, and Finish, asked again later, gives
// kOpenPending until it has returned, then the start's result as StartReception does.
int BeginStartReception();
int FinishStartReception();
// Empties the framing state (accumulator, partial matches, shift state). While a reader
// thread exists (running or stopping) the reset is handed to it and done before its next
// block, or by the next call made once it has ended; never beside it.
void ResetReceiveFraming();

// ---- the reader

// How long a cancelled request is waited for before its record is abandoned.
inline constexpr DWORD kCancelledIoMs = 500;
// The longest a read may take; its time-outs end it after 50 ms on a working driver.
inline constexpr DWORD kReadLimitMs = 1000;

class PortReader {
 public:
  // Takes the records of its wait and its read.
  explicit PortReader(const ReaderSteps& steps = kReceptionStages.reader);
  // Ends a pending wait (within kCancelledIoMs) and gives the records back, or abandons one
  // whose request the driver has not completed.
  ~PortReader();
  PortReader(const PortReader&) = delete;
  PortReader& operator=(const PortReader&) = delete;
  // Both records are held. False only while the driver holds every record of the pool.
  bool Ready() const { return wait_ != nullptr && read_ != nullptr; }
  // One wait and read; returns when a block was handed on, the wait ended without data, or
  // reception was stopped.
  void Turn();
  // Sets the port's event mask. A port that has gone away is waited for until it is back or
  // reception is stopped; false when the port refuses the mask otherwise (it cannot be waited
  // on, and reception cannot go on).
  bool Begin();

 private:
  enum class WaitResult { Event, Failed, TimedOut, Stopped };
  WaitResult WaitForPort(DWORD limitMs);
  // Ends the pending wait: an empty event mask and a cancel complete it on a working driver.
  void FinishWait();
  // After a cancel of io's request: true when it completed within kCancelledIoMs; else the
  // record is abandoned and io is a fresh one (nullptr when none is free).
  bool Settle(PortIo*& io);
  // Takes the records missing after an abandonment; false when the pool has none free.
  bool TakeRecords();
  // The number of queued bytes to read, 0 for none this turn.
  DWORD AwaitData();
  // After an aborted wait: the count of queued bytes, or 0 (with a pause when the previous
  // wait was aborted with nothing queued as well, so that a driver aborting every wait at
  // once does not make the reader spin).
  DWORD AfterAbortedWait();
  // Reads up to `count` queued bytes into the read record; returns the number read.
  DWORD ReadQueued(DWORD count);
  // A failed port call: retried after a pause, or, for the errors of a removed device and for a
  // run of failures that lasts (FailingTooLong), the device is taken as lost.
  void OnPortError(DWORD error);
  // Counts one more failure in a row; true once they are too many over too long.
  bool FailingTooLong();
  void AwaitDeviceReturn();

  const ReaderSteps steps_;
  PortIo* wait_ = nullptr;  // the port wait; stays pending across time-out wake-ups
  PortIo* read_ = nullptr;  // every read, and the block handed on
  bool waitPending_ = false;
  DWORD waitError_ = 0;
  DWORD lastReceiveTime_ = 0;
  DWORD carriedOver_ = 0;  // bytes queued after a block: read them without waiting
  bool abortedEmpty_ = false;  // the last wait was aborted with nothing queued
  int failures_ = 0;           // port calls failed in a row
  DWORD firstFailure_ = 0;     // when the first of them failed
};
