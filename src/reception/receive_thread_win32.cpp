// The reader thread: turns a PortReader on ReceivePort, whose blocks go to the reception
// pipeline, until reception is stopped.
#include "reception/receive_thread_win32.h"

#include "reception/port_reader_win32.h"
#include "reception/reception_pipeline_win32.h"
#include "reception/serial_api_win32.h"
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

}  // namespace

DWORD WINAPI ReceiveThread(LPVOID) {
  if (!PortApi().SetMask(ReceivePort.PortHandle, EV_RXCHAR)) return 0;
  if (ReceivePort.WaitForStop(kStartPauseMs)) return 0;
  ReceptionStart();
  PipelineSink sink;
  PortReader reader(sink);
  if (!reader.Ready()) return 0;
  while (RunningFlag) reader.Turn();
  ReceptionEnd();
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
