// The reader on a port that behaves as Windows documents: EV_RXCHAR marks an arrival (once, for
// a wait pending then; a wait begun later does not see it), a USB driver may end a wait with
// ERROR_OPERATION_ABORTED, and a cancelled request completes when the driver gets to it, which
// may be seconds later or never. The reader's blocks go through a real framing state with
// recording fakes.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "common/ui_win32.h"
#include "config/settings.h"
#include "source/device_request_win32.h"
#include "source/receive_thread_win32.h"
#include "source/serial_port_win32.h"
#include "support/framing_fakes.h"

namespace {

enum class Arrival {
  Signalled,  // while a wait is pending: it ends with EV_RXCHAR
  Aborted,    // while a wait is pending: the driver ends it with ERROR_OPERATION_ABORTED
  Remasked,   // while a wait is pending, which a change of the event mask then ends
  Unheard,    // just before a wait begins: no event for it
  WhileTyped, // while a block is typed: no wait pending, no event
};

struct Step {
  Arrival when;
  Bytes bytes;
};

// One port; an event stands in for its handle. Each wait and each typed block takes the next
// step of the script that is meant for it.
class FakeComm final : public SerialApi {
 public:
  FakeComm() = default;
  ~FakeComm() override { CloseHandle(release_); }
  FakeComm(const FakeComm&) = delete;
  FakeComm& operator=(const FakeComm&) = delete;
  HANDLE Open(const char*) override {
    if (failOpen) return INVALID_HANDLE_VALUE;
    ++opens;
    if (holdOpen) {
      // A driver slow to open: the call returns once released.
      inOpen = true;
      WaitForSingleObject(release_, INFINITE);
      inOpen = false;
      const HANDLE h = CreateEventA(nullptr, TRUE, FALSE, nullptr);
      heldOpen = h;
      return h;
    }
    return CreateEventA(nullptr, TRUE, FALSE, nullptr);
  }
  BOOL Setup(HANDLE, DWORD, DWORD) override { return TRUE; }
  BOOL GetState(HANDLE, DCB*) override { return TRUE; }
  BOOL SetState(HANDLE, DCB*) override { return TRUE; }
  BOOL GetTimeouts(HANDLE, COMMTIMEOUTS*) override { return TRUE; }
  BOOL SetTimeouts(HANDLE, COMMTIMEOUTS* t) override {
    timeouts = *t;
    return TRUE;
  }
  // Writes complete at once, `writeShortBy` bytes short.
  BOOL Write(HANDLE, const void*, DWORD count, DWORD* written, OVERLAPPED*) override {
    *written = count - writeShortBy;
    return TRUE;
  }

  // WaitCommEvent: changing the mask ends a pending wait with an empty mask.
  BOOL SetMask(HANDLE, DWORD mask) override {
    mask_ = mask;
    EndWait(ERROR_SUCCESS);
    return TRUE;
  }
  BOOL WaitEvent(HANDLE, DWORD* mask, OVERLAPPED* o) override {
    ++waits;
    if (const DWORD error = failWaitsWith.load()) {
      SetLastError(error);
      return FALSE;
    }
    if (wait_ != nullptr) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    wait_ = o;
    waitMask_ = mask;
    done_ = false;
    outstanding = true;
    if (abortEveryWait) Complete(0, ERROR_OPERATION_ABORTED);
    if (Next(Arrival::WhileTyped, false)) {
      const Step step = TakeStep();
      Queue(step.bytes);
      if (step.when == Arrival::Signalled) Complete(EV_RXCHAR, ERROR_SUCCESS);
      if (step.when == Arrival::Aborted) Complete(0, ERROR_OPERATION_ABORTED);
      if (step.when == Arrival::Remasked) Complete(0, ERROR_SUCCESS);
    }
    SetLastError(ERROR_IO_PENDING);
    return FALSE;
  }
  BOOL Result(HANDLE, OVERLAPPED* o, DWORD* bytes, DWORD waitMs) override {
    *bytes = 0;
    if (o == hungRead_) {
      WaitForSingleObject(o->hEvent, waitMs);
      SetLastError(ERROR_IO_INCOMPLETE);
      return FALSE;
    }
    if (o != wait_) return TRUE;  // reads complete at once
    if (!done_ && WaitForSingleObject(o->hEvent, waitMs) != WAIT_OBJECT_0) {
      SetLastError(ERROR_IO_INCOMPLETE);
      return FALSE;
    }
    wait_ = nullptr;
    SetLastError(error_);
    return error_ == ERROR_SUCCESS;
  }
  BOOL ClearError(HANDLE, DWORD* errors, COMSTAT* status) override {
    if (holdClearError) {
      // A driver that keeps a synchronous call: the reader is stuck in it until released.
      inClearError = true;
      WaitForSingleObject(release_, INFINITE);
      inClearError = false;
    }
    *errors = lineErrors;
    *status = COMSTAT{};
    status->cbInQue = static_cast<DWORD>(queue_.size());
    return TRUE;
  }
  BOOL Read(HANDLE, void* buffer, DWORD count, DWORD* read, OVERLAPPED* o) override {
    if (hangReads) {
      // Pending for good, whatever its time-outs and a cancel say.
      hungRead_ = o;
      SetLastError(ERROR_IO_PENDING);
      return FALSE;
    }
    const size_t n = std::min<size_t>(count, queue_.size());
    std::copy_n(queue_.begin(), n, static_cast<unsigned char*>(buffer));
    queue_.erase(queue_.begin(), queue_.begin() + static_cast<std::ptrdiff_t>(n));
    *read = static_cast<DWORD>(n);
    return TRUE;
  }
  BOOL Cancel(HANDLE, OVERLAPPED* o) override {
    Note("cancel");
    if (o == nullptr || o == wait_) EndWait(ERROR_OPERATION_ABORTED);
    return TRUE;
  }

  // A driver that keeps the port's end: the close returns once released (at most 3 s).
  void PurgeAndClose(HANDLE port) override {
    if (holdClose) {
      inClose = true;
      WaitForSingleObject(release_, 3000);
    }
    CloseHandle(port);
  }

  // The block hook: a step meant for the time a block is typed arrives now.
  void Typed() {
    if (Next(Arrival::WhileTyped, true)) Queue(TakeStep().bytes);
  }
  void JoinLate() {
    if (late_.joinable()) late_.join();
  }
  // The driver completes at last what it kept (a wait it never completed, a hung read) and lets
  // a held call go.
  void CompleteEverything() {
    JoinLate();
    if (wait_ != nullptr && !done_) {
      Note("completed");
      Complete(0, ERROR_OPERATION_ABORTED);
    }
    if (hungRead_ != nullptr) SetEvent(hungRead_->hEvent);
    hungRead_ = nullptr;
    holdClearError = false;
    holdOpen = false;
    holdClose = false;
    SetEvent(release_);
  }
  // What happened, in order, from any thread.
  void Note(const char* what) {
    std::lock_guard<std::mutex> guard(eventsLock_);
    events_ += events_.empty() ? what : std::string(" ") + what;
  }
  std::string Events() {
    std::lock_guard<std::mutex> guard(eventsLock_);
    return events_;
  }

  std::deque<Step> script;
  bool abortEveryWait = false;
  bool failOpen = false;
  std::atomic<bool> hangReads{false};
  std::atomic<bool> holdClearError{false};
  std::atomic<bool> inClearError{false};
  std::atomic<DWORD> failWaitsWith{0};  // every WaitCommEvent fails with it
  std::atomic<DWORD> lineErrors{0};     // what ClearCommError reports
  COMMTIMEOUTS timeouts{};
  DWORD writeShortBy = 0;
  std::atomic<bool> holdOpen{false};
  std::atomic<bool> holdClose{false};
  std::atomic<bool> inClose{false};
  std::atomic<bool> inOpen{false};
  std::atomic<int> opens{0};
  std::atomic<HANDLE> heldOpen{nullptr};  // the handle the slow open gave
  // A wait ended by a mask change or a cancel completes this much later; kNever: not at all.
  static constexpr DWORD kNever = INFINITE;
  DWORD lateMs = 0;
  std::atomic<int> waits{0};
  std::atomic<bool> outstanding{false};  // a wait the driver has not completed

 private:
  bool Next(Arrival when, bool is) const {
    return !script.empty() && (script.front().when == when) == is;
  }
  Step TakeStep() {
    Step s = script.front();
    script.pop_front();
    return s;
  }
  void Queue(const Bytes& bytes) { queue_.insert(queue_.end(), bytes.begin(), bytes.end()); }
  // The stop and the reader end a wait at the same time: one of them does.
  void EndWait(DWORD error) {
    std::lock_guard<std::mutex> guard(endLock_);
    if (wait_ == nullptr || done_ || late_.joinable() || lateMs == kNever) return;
    if (lateMs == 0) {
      Complete(0, error);
      return;
    }
    late_ = std::thread([this, error] {
      Sleep(lateMs);
      Note("completed");
      Complete(0, error);
    });
  }
  void Complete(DWORD mask, DWORD error) {
    if (done_) return;
    *waitMask_ = mask & mask_;
    error_ = error;
    done_ = true;
    outstanding = false;
    SetEvent(wait_->hEvent);
  }

  DWORD mask_ = 0;
  OVERLAPPED* wait_ = nullptr;
  DWORD* waitMask_ = nullptr;
  std::atomic<bool> done_{false};
  DWORD error_ = ERROR_SUCCESS;
  std::vector<unsigned char> queue_;
  std::thread late_;
  OVERLAPPED* hungRead_ = nullptr;
  HANDLE release_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::mutex endLock_;
  std::mutex eventsLock_;
  std::string events_;
};

struct Rig;
// The rig the reader's steps reach: one at a time.
Rig* Current = nullptr;

// The reader's blocks and interval checks go to the current rig's framing state.
bool CheckInterval(DWORD now, DWORD lastReceiveTime);
void CutFrame();
void Block(const unsigned char* block, int n);
constexpr ReaderSteps kRigSteps = {CheckInterval, CutFrame, Block};

// The reader's surroundings: ReceivePort open on the fake with the event mask set, reception
// running, STX/ETX frames with both codes removed, a data interval of 200 ms, no receive wait.
struct Rig {
  Rig() {
    SetCode(h.s.RCVSTA, {0x02});
    SetCode(h.s.RCVEND, {0x03});
    h.s.DATADELAY = 200;
    h.s.DATAWAIT = 0;
    h.Start();
    Settings = h.s;
    SetSerialApi(&comm);
    open = ReceivePort.Open(Settings) == 1;
    RunningFlag = 2;
    comm.SetMask(ReceivePort.PortHandle, EV_RXCHAR);
    Current = this;
  }
  ~Rig() {
    RunningFlag = 0;
    ReceivePort.Close();
    comm.CompleteEverything();
    ReceivePort.Close();  // a reader left in a driver's call has ended by now
    SetSerialApi(nullptr);
    SetDefaultSettings(Settings);
    Current = nullptr;
  }
  Rig(const Rig&) = delete;
  Rig& operator=(const Rig&) = delete;

  FramingHarness h;
  FakeComm comm;
  bool open = false;
};

bool CheckInterval(DWORD now, DWORD lastReceiveTime) {
  std::uint32_t last = lastReceiveTime;
  return Current->h.Timeout(now, last);
}
void CutFrame() { Current->h.log += " CUT"; }
void Block(const unsigned char* block, int n) {
  Current->h.Block(Bytes(block, block + n));
  Current->comm.Typed();
}

TEST(PortReader, ReadsWhatIsQueuedWhateverEndedTheWait) {
  struct Case {
    const char* name;
    std::vector<Step> script;
    int turns;
    int waits;          // port waits begun: bytes queued after a block are read without one
    const char* typed;  // one frame: flushed at its start code and at its end code
  };
  const Case cases[] = {
      {"the end of a scan arrives while its start is typed",
       {{Arrival::Signalled, {0x02, 'A', 'B'}}, {Arrival::WhileTyped, {'C', 0x03}}}, 2, 1,
       "E F L41 T41 L42 T42 L43 T43 E F"},
      {"a wait ended by ERROR_OPERATION_ABORTED", {{Arrival::Aborted, {0x02, 'A', 0x03}}}, 1, 1,
       "E F L41 T41 E F"},
      {"a wait ended by a change of the event mask", {{Arrival::Remasked, {0x02, 'A', 0x03}}},
       1, 1, "E F L41 T41 E F"},
      {"bytes queued just before a wait are data when it times out",
       {{Arrival::Signalled, {0x02, 'A'}}, {Arrival::Unheard, {'B', 0x03}}}, 2, 2,
       "E F L41 T41 L42 T42 E F"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Rig rig;
    ASSERT_TRUE(rig.open);
    rig.comm.script.assign(c.script.begin(), c.script.end());
    PortReader reader(kRigSteps);
    ASSERT_TRUE(reader.Ready());
    for (int i = 0; i < c.turns; ++i) reader.Turn();
    EXPECT_EQ(rig.h.TakeLog(), c.typed);
    EXPECT_EQ(rig.comm.waits, c.waits);
    EXPECT_TRUE(rig.comm.script.empty());
  }
}

TEST(PortReader, ADriverThatAbortsEveryWaitIsNotWaitedOnInASpin) {
  Rig rig;
  ASSERT_TRUE(rig.open);
  rig.comm.abortEveryWait = true;
  PortReader reader(kRigSteps);
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < 200) reader.Turn();
  // Aborted waits with nothing queued are retried 20 ms apart after the first.
  EXPECT_LE(rig.comm.waits, 20);
  EXPECT_GE(rig.comm.waits, 2);
}

TEST(PortReader, AWaitPendingAtTheEndHasCompletedWhenTheReaderIsGone) {
  Rig rig;
  ASSERT_TRUE(rig.open);
  rig.comm.lateMs = 300;
  {
    PortReader reader(kRigSteps);
    SetEvent(ReceivePort.StopEvent);  // the turn's wait stays pending
    reader.Turn();
    ASSERT_TRUE(rig.comm.outstanding);
  }
  EXPECT_FALSE(rig.comm.outstanding);
}

// ---- a driver that keeps cancelled requests ---------------------------------------------------

// The reader as the program's thread runs it, on the current rig.
DWORD WINAPI TestReaderThread(LPVOID) {
  {
    PortReader reader(kRigSteps);
    if (reader.Begin()) {
      while (RunningFlag) reader.Turn();
    }
  }
  ReceivePort.ReaderEnded();
  return 0;
}

// Until `done` holds, at most 5 s; false on time-out.
template <typename Done>
bool Await(Done done) {
  for (int i = 0; i < 500; ++i) {
    if (done()) return true;
    Sleep(10);
  }
  return done();
}

// 中止 and 終了 close the port while the reader waits on it, and the driver completes the
// cancelled wait 5 s later or never: the close is over first, within 2 s; the wait's record
// stays with the driver until it completes and is used again afterwards; meanwhile a start
// that cannot open the port says why.
TEST(PortReaderStop, ACloseIsOverWithinTwoSecondsWhateverTheDriverDoesWithTheCancelledWait) {
  struct Case {
    const char* name;
    DWORD completesAfterMs;
  };
  const Case cases[] = {{"the driver never completes it", FakeComm::kNever},
                        {"the driver completes it 5 s later", 5000}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    {
      Rig rig;
      ASSERT_TRUE(rig.open);
      rig.comm.lateMs = c.completesAfterMs;
      ASSERT_TRUE(ReceivePort.StartThread(TestReaderThread));
      ASSERT_TRUE(Await([&] { return rig.comm.outstanding.load(); })) << "the reader waits";
      const DWORD started = GetTickCount();
      ReceivePort.Close();
      const DWORD took = GetTickCount() - started;
      rig.comm.Note("closed");
      EXPECT_LT(took, 2000u);
      EXPECT_FALSE(ReceivePort.ThreadAlive());
      EXPECT_TRUE(rig.comm.outstanding) << "the driver still holds the wait";
      EXPECT_EQ(AbandonedPortIo(), 1);
      // The port cannot be opened again while its driver holds the request: said so.
      rig.comm.failOpen = true;
      EXPECT_EQ(ReceivePort.Open(Settings), kPortHeldByDriver);
      EXPECT_NE(PortErrorText(kPortHeldByDriver), nullptr);
      rig.comm.CompleteEverything();
      EXPECT_EQ(rig.comm.Events(), "cancel cancel closed completed");
      EXPECT_EQ(FreePortIo(), kPortIoRecords) << "the record is free once the request completed";
      EXPECT_EQ(ReceivePort.Open(Settings), -101) << "then the port's own failure";
    }
    EXPECT_EQ(FreePortIo(), kPortIoRecords);
  }
}

// A read that its time-outs do not end and that a cancel does not complete: the reader gives
// it up with its record and reads what is queued with another.
TEST(PortReaderStop, AReadTheDriverNeverCompletesIsGivenUpAndReadingGoesOn) {
  Rig rig;
  ASSERT_TRUE(rig.open);
  rig.comm.script.assign({{Arrival::Signalled, {0x02, 'A', 0x03}}});
  PortReader reader(kRigSteps);
  rig.comm.hangReads = true;
  reader.Turn();
  EXPECT_EQ(AbandonedPortIo(), 1);
  EXPECT_EQ(rig.h.TakeLog(), "");
  EXPECT_TRUE(reader.Ready()) << "a free record stands in";
  rig.comm.hangReads = false;
  for (int turn = 0; turn < 3 && rig.h.log.empty(); ++turn) reader.Turn();
  EXPECT_EQ(rig.h.TakeLog(), "E F L41 T41 E F");
  rig.comm.CompleteEverything();
  EXPECT_EQ(FreePortIo(), kPortIoRecords - 2) << "the reader holds two, the given-up one is back";
}

// A reader inside a driver's synchronous call when the stop comes: the stop does not wait for it
// beyond its deadline, its port stays open for it, and no reception starts until it has ended.
TEST(PortReaderStop, AReaderStuckInADriverCallIsLeftAndNoStartComesBeforeItEnds) {
  Rig rig;
  ASSERT_TRUE(rig.open);
  const HANDLE port = ReceivePort.PortHandle;
  rig.comm.holdClearError = true;
  rig.comm.script.assign({{Arrival::Signalled, {0x02, 'A', 0x03}}});
  ASSERT_TRUE(ReceivePort.StartThread(TestReaderThread));
  ASSERT_TRUE(Await([&] { return rig.comm.inClearError.load(); }));
  const DWORD started = GetTickCount();
  ReceivePort.Close();
  EXPECT_LT(GetTickCount() - started, 2000u);
  DWORD flags = 0;
  EXPECT_TRUE(GetHandleInformation(port, &flags)) << "the port is kept for the stuck reader";
  EXPECT_EQ(ReceivePort.Open(Settings), kPortHeldByDriver);
  rig.comm.CompleteEverything();
  ASSERT_TRUE(Await([&] { return ReceivePort.Open(Settings) == 1; })) << "once it has ended";
  EXPECT_EQ(rig.h.TakeLog(), "") << "nothing of the stopped reception is typed";
}

// A driver that fails every wait with an error no removed device gives: a second of failures
// in a row counts as a lost device (the caption says so), and the port is reopened until it
// works again.
TEST(PortReaderStop, CallsThatKeepFailingWithAnyErrorCountAsALostDevice) {
  Rig rig;
  ASSERT_TRUE(rig.open);
  rig.comm.failWaitsWith = ERROR_IO_DEVICE;
  const DWORD started = GetTickCount();
  ASSERT_TRUE(ReceivePort.StartThread(TestReaderThread));
  ASSERT_TRUE(Await([&] { return ReceivePort.DeviceMissing(); })) << "taken as lost";
  EXPECT_GE(GetTickCount() - started, 900u) << "not at the first failures";
  const int opens = rig.comm.opens;
  rig.comm.failWaitsWith = 0;
  ASSERT_TRUE(Await([&] { return !ReceivePort.DeviceMissing(); })) << "back once it works";
  EXPECT_GT(rig.comm.opens, opens);
}

// The device is gone and the reader's reopen is slow: a stop that gives up waiting for it
// meanwhile leaves the port closed, so the next start opens it.
TEST(PortReaderStop, AReopenThatOutlastsTheStopClosesItsHandle) {
  Rig rig;
  ASSERT_TRUE(rig.open);
  rig.comm.failWaitsWith = ERROR_DEVICE_REMOVED;
  rig.comm.holdOpen = true;
  ASSERT_TRUE(ReceivePort.StartThread(TestReaderThread));
  ASSERT_TRUE(Await([&] { return rig.comm.inOpen.load(); }));
  ReceivePort.Close();
  rig.comm.failWaitsWith = 0;
  rig.comm.CompleteEverything();
  ASSERT_TRUE(Await([&] { return rig.comm.heldOpen.load() != nullptr; }));
  DWORD flags = 0;
  EXPECT_TRUE(Await([&] { return !GetHandleInformation(rig.comm.heldOpen, &flags); }))
      << "the slow open's handle is kept";
  EXPECT_TRUE(Await([&] { return ReceivePort.Open(Settings) == 1; })) << "the next start";
}

// Line errors (a wrong speed or parity) the port reports while bytes arrive are counted and
// shown, by kind, until kLineErrorShowMs after the last.
TEST(PortReader, LineErrorsAreCountedAndShownWhileTheyLast) {
  Rig rig;
  ASSERT_TRUE(rig.open);
  rig.comm.script.assign({{Arrival::Signalled, {0x02, 'A', 0x03}}});
  rig.comm.lineErrors = CE_RXPARITY | CE_FRAME | CE_BREAK;
  PortReader(kRigSteps).Turn();
  char kinds[64];
  FormatLineErrors(ReceivePort.LineErrors(), kinds, sizeof kinds);
  EXPECT_STREQ(kinds, "パリティ・フレーミング");
  EXPECT_GE(ReceivePort.LineErrorCount(), 1u);
  // No more errors: shown a while, then no longer.
  for (const DWORD after : {kLineErrorShowMs - 1, kLineErrorShowMs}) {
    SerialPort port;
    port.NoteLineErrors(CE_OVERRUN, 1000);
    port.NoteLineErrors(0, 1000 + after);
    EXPECT_EQ(port.LineErrors(), after < kLineErrorShowMs ? DWORD{CE_OVERRUN} : 0u);
  }
}

// The request's write time-out follows its line time at the configured speed (2400 baud:
// 5 ms a byte), and a write cut short is said in the caption until one leaves whole.
TEST(PortReader, ARequestCutShortIsReportedAndItsTimeOutFollowsTheLine) {
  Rig rig;
  ReceivePort.Close();
  Settings.BAUD = 6;
  Settings.REQCODE[0] = 'R';
  ASSERT_EQ(ReceivePort.Open(Settings), 1);
  EXPECT_EQ(rig.comm.timeouts.WriteTotalTimeoutMultiplier, 5u);
  EXPECT_EQ(rig.comm.timeouts.WriteTotalTimeoutConstant, kWriteMarginMs);
  RunningFlag = 2;
  DeviceRequestsStart();
  for (const DWORD shortBy : {1u, 0u}) {
    rig.comm.writeShortBy = shortBy;
    AskDeviceRequest();
    EXPECT_EQ(SendDueDeviceRequest(), 0u);
    EXPECT_EQ(DeviceRequestRefused(), shortBy != 0);
  }
}

// A driver that keeps the port's close: 中止 is over within 2 s all the same, and no start
// opens a port until the driver has let the last one go.
TEST(PortReaderStop, ACloseTheDriverKeepsIsLeftAndNoStartComesBeforeItEnds) {
  Rig rig;
  ASSERT_TRUE(rig.open);
  rig.comm.holdClose = true;
  ASSERT_TRUE(ReceivePort.StartThread(TestReaderThread));
  ASSERT_TRUE(Await([&] { return rig.comm.outstanding.load(); })) << "the reader waits";
  const DWORD started = GetTickCount();
  ReceivePort.Close();
  EXPECT_LT(GetTickCount() - started, 2000u);
  EXPECT_TRUE(rig.comm.inClose) << "the close was asked for";
  EXPECT_EQ(ReceivePort.Open(Settings), kPortHeldByDriver);
  rig.comm.CompleteEverything();
  EXPECT_TRUE(Await([&] { return ReceivePort.Open(Settings) == 1; })) << "once it has returned";
}

// A driver slow to open (a Bluetooth port that connects first): the start's call returns at
// once and the port is the start's once the open has returned; a start given up meanwhile
// leaves the late handle closed, and no start opens a port before that open has returned.
TEST(PortReaderStop, AnOpenTheDriverKeepsNeverHoldsTheStartingThread) {
  for (const bool givenUp : {false, true}) {
    SCOPED_TRACE(givenUp ? "given up" : "waited for");
    Rig rig;
    ReceivePort.Close();
    RunningFlag = 0;
    rig.comm.holdOpen = true;
    const DWORD started = GetTickCount();
    ASSERT_EQ(ReceivePort.BeginOpen(Settings), kOpenPending);
    EXPECT_LT(GetTickCount() - started, 500u) << "the call returns at once";
    ASSERT_TRUE(Await([&] { return rig.comm.inOpen.load(); }));
    EXPECT_EQ(ReceivePort.OpenResult(), kOpenPending);
    if (givenUp) {
      ReceivePort.Close();  // 中止
      EXPECT_EQ(ReceivePort.BeginOpen(Settings), kPortHeldByDriver) << "the open is in the driver";
    }
    rig.comm.CompleteEverything();
    ASSERT_TRUE(Await([&] { return rig.comm.heldOpen.load() != nullptr; }));
    if (givenUp) {
      DWORD flags = 0;
      EXPECT_TRUE(Await([&] { return !GetHandleInformation(rig.comm.heldOpen, &flags); }))
          << "the late handle is closed";
      EXPECT_TRUE(Await([&] { return ReceivePort.Open(Settings) == 1; })) << "once it has returned";
    } else {
      int rc = kOpenPending;
      EXPECT_TRUE(Await([&] { return (rc = ReceivePort.OpenResult()) != kOpenPending; }));
      EXPECT_EQ(rc, 1);
      EXPECT_EQ(ReceivePort.PortHandle, rig.comm.heldOpen.load());
    }
  }
}

}  // namespace
