// The reception pipeline of the program: one framing state, one key output and the process's
// log writer, wired to user32 and to the main dialog's displays.
#include "reception/reception_pipeline_win32.h"

#include "common/shell_state_win32.h"
#include "config/command_line.h"
#include "config/settings_record.h"
#include "datalog/log_writer_win32.h"
#include "ids_main_dialog.h"
#include "keyout/keyboard_win32.h"
#include "keyout/keystrokes.h"
#include "reception/block_processing.h"
#include "reception/data_interval.h"
#include "reception/frame_actions.h"
#include "reception/frame_output.h"
#include "reception/framer_state.h"
#include "reception/framing_reset_request.h"
#include "reception/receive_thread_win32.h"
#include "reception/serial_port_win32.h"
#include "reception/utf8_conversion.h"

namespace {

// The echo goes to the dialog's thread synchronously; a dialog that does not answer within
// this time does not hold up reception.
constexpr UINT kEchoTimeoutMs = 2000;

FramerState Framing;
FramingResetRequest ResetRequest;
// Once reception is stopped nothing more leaves the reader: the character being typed is the
// last one, a key list ends after the key being sent, the rest of the block is dropped, and no
// record is written, so no notice box can open while the stop waits for the thread. The log
// buffer is not flushed at a stop.
bool Stopped() { return RunningFlag == 0; }

// The system keyboard as the reader uses it: a stop interrupts a key list and the pause after
// a finished key (up to 9999 ms each with "/D"), so a long list cannot go on typing after it.
class ReaderKeyboard final : public Win32Keyboard {
 public:
  bool Interrupted() override { return Stopped(); }
  void PauseBetweenKeys(unsigned ms) override { ReceivePort.WaitForStop(ms); }
};

ReaderKeyboard SystemKeyboard;
KeyOutput Keys(SystemKeyboard, Settings.SENDDELAY, Settings.SENDMODE);

class Output final : public FrameOutput {
 public:
  void TypeCharacter(const std::uint8_t* text) override {
    if (!Stopped()) Keys.TypeCharacter(text);
  }
  void TypeKeyItems(const KeyItem* list) override {
    if (!Stopped()) Keys.TypeKeyItems(list);
  }
  void LogAppend(const std::uint8_t* text) override {
    if (!Stopped()) ProcessLogWriter().LogAppend(text);
  }
  int LogFlush() override { return Stopped() ? 0 : ProcessLogWriter().LogFlush(); }
};

class Host final : public ReceptionHost {
 public:
  bool CapsLockOn() override { return Keys.IsCapsLockOn(); }
  void ToggleCapsLock() override { Keys.ToggleCapsLock(); }
  void Pause(std::uint32_t ms) override { Sleep(ms); }
  bool MainDialogInFront() override {
    return MainDialogWindow != nullptr && GetForegroundWindow() == MainDialogWindow;
  }
  bool EchoDisplayHasText() override { return GetWindowTextLengthA(InputDisplay()) > 0; }
  void EchoChar(char c) override {
    DWORD_PTR unused = 0;
    SendMessageTimeoutA(InputDisplay(), WM_CHAR, static_cast<unsigned char>(c), 0, SMTO_NORMAL,
                        kEchoTimeoutMs, &unused);
  }
  int Utf8ToShiftJis(const std::uint8_t* src, int srcLength, std::uint8_t* dst,
                     int dstCapacity) override {
    return ::Utf8ToShiftJis(src, srcLength, dst, dstCapacity);
  }

 private:
  static HWND InputDisplay() { return GetDlgItem(MainDialogWindow, IDC_INPUT_DISPLAY); }
};

Output TheOutput;
Host TheHost;

}  // namespace

void ReceptionStart() {
  Keys.SetKeyPause(KeyPause);
  ProcessLogWriter().LogReset();
}

bool CheckDataInterval(DWORD now, DWORD lastReceiveTime) {
  std::uint32_t last = lastReceiveTime;
  return CheckDataIntervalTimeout(Framing, Settings, TheOutput, now, last);
}

void EndFrameAtTimeout() {
  TheOutput.LogFlush();
  FrameEndBookkeeping(Framing, Settings);
}

void ProcessReceivedBlock(const unsigned char* block, int n) {
  ResetRequest.ApplyPendingReset(Framing);
  ProcessBlock(Framing, Settings, TheOutput, TheHost, block, n);
}

void InitReceiveFrameFlags() { InitFrameFlags(Framing, Settings); }

void ResetReceiveFraming() {
  // A reader thread, running or still stopping, owns the state and applies the reset before
  // its next block; once it has ended the reset (and one it left pending) is done here.
  ResetRequest.RequestReset();
  if (!ReceivePort.ThreadAlive()) ResetRequest.ApplyPendingReset(Framing);
}
