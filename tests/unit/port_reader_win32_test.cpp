// The reader on a port that behaves as Windows documents: EV_RXCHAR marks an arrival (once, for
// a wait pending then; a wait begun later does not see it), a USB driver may end a wait with
// ERROR_OPERATION_ABORTED, and a cancelled request completes when the driver gets to it.
// The reader's blocks go through a real framing state with recording fakes.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <deque>
#include <string>
#include <thread>
#include <vector>

#include "config/settings_record.h"
#include "reception/port_reader_win32.h"
#include "reception/serial_api_win32.h"
#include "reception/serial_port_win32.h"
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
  HANDLE Open(const char*) override { return CreateEventA(nullptr, TRUE, FALSE, nullptr); }
  BOOL Setup(HANDLE, DWORD, DWORD) override { return TRUE; }
  BOOL GetState(HANDLE, DCB*) override { return TRUE; }
  BOOL SetState(HANDLE, DCB*) override { return TRUE; }
  BOOL GetTimeouts(HANDLE, COMMTIMEOUTS*) override { return TRUE; }
  BOOL SetTimeouts(HANDLE, COMMTIMEOUTS*) override { return TRUE; }

  // WaitCommEvent: changing the mask ends a pending wait with an empty mask.
  BOOL SetMask(HANDLE, DWORD mask) override {
    mask_ = mask;
    EndWait(ERROR_SUCCESS);
    return TRUE;
  }
  BOOL WaitEvent(HANDLE, DWORD* mask, OVERLAPPED* o) override {
    ++waits;
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
  BOOL Result(HANDLE, OVERLAPPED* o, DWORD* bytes, BOOL wait) override {
    *bytes = 0;
    if (o != wait_) return TRUE;  // reads complete at once
    if (!done_ && !wait) {
      SetLastError(ERROR_IO_INCOMPLETE);
      return FALSE;
    }
    if (!done_) WaitForSingleObject(o->hEvent, INFINITE);
    wait_ = nullptr;
    SetLastError(error_);
    return error_ == ERROR_SUCCESS;
  }
  BOOL ClearError(HANDLE, DWORD* errors, COMSTAT* status) override {
    *errors = 0;
    *status = COMSTAT{};
    status->cbInQue = static_cast<DWORD>(queue_.size());
    return TRUE;
  }
  BOOL Read(HANDLE, void* buffer, DWORD count, DWORD* read, OVERLAPPED*) override {
    const size_t n = std::min<size_t>(count, queue_.size());
    std::copy_n(queue_.begin(), n, static_cast<unsigned char*>(buffer));
    queue_.erase(queue_.begin(), queue_.begin() + static_cast<std::ptrdiff_t>(n));
    *read = static_cast<DWORD>(n);
    return TRUE;
  }
  BOOL Cancel(HANDLE, OVERLAPPED* o) override {
    if (o == nullptr || o == wait_) EndWait(ERROR_OPERATION_ABORTED);
    return TRUE;
  }

  // The block hook: a step meant for the time a block is typed arrives now.
  void Typed() {
    if (Next(Arrival::WhileTyped, true)) Queue(TakeStep().bytes);
  }
  void JoinLate() {
    if (late_.joinable()) late_.join();
  }

  std::deque<Step> script;
  bool abortEveryWait = false;
  DWORD lateMs = 0;  // a wait ended by a mask change or a cancel completes this much later
  int waits = 0;
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
  void EndWait(DWORD error) {
    if (wait_ == nullptr || done_ || late_.joinable()) return;
    if (lateMs == 0) {
      Complete(0, error);
      return;
    }
    late_ = std::thread([this, error] {
      Sleep(lateMs);
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
};

// The reader's blocks and interval checks go to one framing state.
class HarnessSink final : public ReaderSink {
 public:
  HarnessSink(FramingHarness& h, FakeComm& comm) : h_(h), comm_(comm) {}
  bool CheckInterval(DWORD now, DWORD lastReceiveTime) override {
    std::uint32_t last = lastReceiveTime;
    return h_.Timeout(now, last);
  }
  void CutFrame() override { h_.log += " CUT"; }
  void Block(const unsigned char* block, int n) override {
    h_.Block(Bytes(block, block + n));
    comm_.Typed();
  }

 private:
  FramingHarness& h_;
  FakeComm& comm_;
};

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
  }
  ~Rig() {
    RunningFlag = 0;
    ReceivePort.Close();
    comm.JoinLate();
    SetSerialApi(nullptr);
    SetDefaultSettings(Settings);
  }
  Rig(const Rig&) = delete;
  Rig& operator=(const Rig&) = delete;

  FramingHarness h;
  FakeComm comm;
  HarnessSink sink{h, comm};
  bool open = false;
};

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
       "F L41 T41 L42 T42 L43 T43 F"},
      {"a wait ended by ERROR_OPERATION_ABORTED", {{Arrival::Aborted, {0x02, 'A', 0x03}}}, 1, 1,
       "F L41 T41 F"},
      {"a wait ended by a change of the event mask", {{Arrival::Remasked, {0x02, 'A', 0x03}}},
       1, 1, "F L41 T41 F"},
      {"bytes queued just before a wait are data when it times out",
       {{Arrival::Signalled, {0x02, 'A'}}, {Arrival::Unheard, {'B', 0x03}}}, 2, 2,
       "F L41 T41 L42 T42 F"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Rig rig;
    ASSERT_TRUE(rig.open);
    rig.comm.script.assign(c.script.begin(), c.script.end());
    PortReader reader(rig.sink);
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
  PortReader reader(rig.sink);
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
    PortReader reader(rig.sink);
    SetEvent(ReceivePort.StopEvent);  // the turn's wait stays pending
    reader.Turn();
    ASSERT_TRUE(rig.comm.outstanding);
  }
  EXPECT_FALSE(rig.comm.outstanding);
}

}  // namespace
