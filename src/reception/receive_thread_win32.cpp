// The reader thread: turns a PortReader on ReceivePort, whose blocks go to the reception
// pipeline, until reception is stopped.
#include "reception/receive_thread_win32.h"

#include "reception/port_reader_win32.h"
#include "reception/reception_pipeline_win32.h"
#include "reception/serial_port_win32.h"

namespace {

constexpr DWORD kStartPauseMs = 100;

// The reader's blocks go through the program's reception pipeline.
class PipelineSink final : public ReaderSink {
 public:
  bool CheckInterval(DWORD now, DWORD lastReceiveTime) override {
    return CheckDataInterval(now, lastReceiveTime);
  }
  void CutFrame() override { EndFrameAtTimeout(); }
  void Block(const unsigned char* block, int n) override { ProcessReceivedBlock(block, n); }
};

// Turns the reader until reception is stopped. A port that refuses the event mask has gone
// away (the reader waits for it to come back) or cannot be waited on (reception ends here).
void Receive() {
  PipelineSink sink;
  PortReader reader(sink);
  if (!reader.Begin() || ReceivePort.WaitForStop(kStartPauseMs)) return;
  while (RunningFlag) reader.Turn();
}

}  // namespace

// Every way out goes through the end of reception, and the thread's last act says it has ended.
DWORD WINAPI ReceiveThread(LPVOID) {
  ReceptionStart();
  Receive();
  ReceptionEnd();
  ReceivePort.ReaderEnded();
  return 0;
}

bool StartReceiveThread() { return ReceivePort.StartThread(ReceiveThread); }

int StartReception() {
  InitReceiveFrameFlags();
  const int rc = OpenPort();
  if (rc != 1) {
    ClosePort();
    return rc;
  }
  // A thread that cannot be created leaves the port open until the stop.
  StartReceiveThread();
  return rc;
}
