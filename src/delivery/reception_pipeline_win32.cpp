// The reception pipeline of the program: one framing state, one key output and the process's
// log writer, wired to user32 and to the main dialog's displays; the pauses of the reader's
// typing, the echo posted to the dialog and the notice of refused input.
#include "delivery/reception_pipeline_win32.h"

#include <mmsystem.h>

#include <atomic>

#include "common/two_byte_text.h"
#include "common/ui_win32.h"
#include "config/settings.h"
#include "config/settings_location.h"
#include "datalog/log_writer_win32.h"
#include "delivery/held_keys_win32.h"
#include "delivery/ime_gate.h"
#include "delivery/ime_win32.h"
#include "delivery/paste_text.h"
#include "delivery/paste_win32.h"
#include "delivery/target_window.h"
#include "delivery/target_window_win32.h"
#include "delivery/typing_delivery.h"
#include "framing/block_processing.h"
#include "framing/echo_ring.h"
#include "framing/frame_output.h"
#include "framing/framer.h"
#include "framing/shift_jis_conversion.h"
#include "keyout/keyboard_win32.h"
#include "keyout/keystrokes.h"
#include "shaping/frame_shaper.h"
#include "source/device_request_win32.h"
#include "source/receive_thread_win32.h"
#include "source/serial_port_win32.h"

namespace {

FramerState Framing;
FramingResetRequest ResetRequest;
// Once reception is stopped nothing more leaves the reader: the character being typed is the
// last one, a key list ends after the key being sent, the rest of the block is dropped, and no
// record is written, so no notice box can open while the stop waits for the thread. The log
// buffer is not flushed at a stop.
bool Stopped() { return RunningFlag == 0; }

// Every pause of the reader's typing, kept to its milliseconds on any Windows.
PauseTimer KeyPauses;

// The system keyboard as the reader uses it: a stop interrupts a key list and the pause after
// a finished key (up to 9999 ms each with "/D"), so a long list cannot go on typing after it;
// the pause with Alt held is always whole; a window that refuses a frame's input is told to
// the user at once.
//
// IMEOFF: the input method of the window in front is closed right before a frame's first key
// (where the window is asked whether it takes our input) and opened again after the frame's
// keys were processed (ImeGate); the messages each batch puts into the target's queue are
// counted for it (a key record and the character it may make).
Win32InputMethod SystemInputMethod;
ImeGate InputMethodGate(SystemInputMethod);

class ReaderKeyboard final : public Win32Keyboard {
 public:
  bool ForegroundRefusesInput() override {
    messages_ = 0;
    if (Win32Keyboard::ForegroundRefusesInput()) return true;
    InputMethodGate.BeforeFrame();
    return false;
  }
  int SendInput(const KeyRecord* records, int count) override {
    const int inserted = Win32Keyboard::SendInput(records, count);
    if (inserted > 0) messages_ += 2 * inserted;
    return inserted;
  }
  int TakeMessages() {
    const int n = messages_;
    messages_ = 0;
    return n;
  }
  bool Interrupted() override { return Stopped(); }
  void Pause(unsigned ms) override { KeyPauses.Wait(ms, nullptr); }
  void PauseBetweenKeys(unsigned ms) override {
    if (!Stopped()) KeyPauses.Wait(ms, ReceivePort.StopEvent);
  }
  void InputRefused() override { ReportInputRefused(); }

 private:
  int messages_ = 0;
};

ReaderKeyboard SystemKeyboard;
KeyOutput Keys(SystemKeyboard, Settings.SENDDELAY, Settings.SENDMODE);

// Copies of the program in one session type one frame at a time. The reader takes the lock
// before the first key of a frame (PRECODE, a character, a kept code) and gives it up where
// the frame ends (FrameOutput::FrameEnded, right before the frame's log record is written): at
// the end code after POSTCODE, at the next start code after the POSTCODE owed, at a
// data-interval timeout, when the device goes away. So a frame is typed whole, with one lock
// taken per frame, not per key.
//
// A frame still open when the reader goes back to waiting on the port keeps the lock: its next
// bytes may simply not have arrived yet, and the wait is bounded by the data interval, whose
// timeout ends the frame. So a frame that never ends holds the other copies back no longer
// than its data interval. With no data interval (DATADELAY 0) nothing would bound it, so then
// the lock is given up after each block instead. A stop ends a wait for the lock at once (the
// wait watches the stop event), and the thread gives the lock up when it ends.
TypingLock FrameTyping(kTypingLockName);

// "キー送信しない" with recording on: a data logger that types nothing. Settings stay as they
// are while reception runs, so this is decided once at each start.
bool LogOnly = false;

// False once stopped, also when the stop came while waiting for the lock. Log only takes no
// lock: it types nothing that could mix with another copy's typing, and keeps its records
// going while another copy types.
bool MayType() { return !Stopped() && (LogOnly || FrameTyping.Acquire(ReceivePort.StopEvent)); }

// Where the lock is given up the frame's keys are done too: the next frame asks the window in
// front again, and one typed whole takes a refusal notice away.
void FinishFrameKeys() {
  if (Keys.FinishFrameKeys() == FrameKeys::Typed) ShowInputRefused(false);
  InputMethodGate.AfterFrame(timeGetTime(), SystemKeyboard.TakeMessages());
}

class Output final : public FrameOutput {
 public:
  void TypeCharacter(const std::uint8_t* text) override {
    if (MayType()) Keys.TypeCharacter(text);
  }
  void TypeKeyItems(const KeyItem* list) override {
    if (MayType()) Keys.TypeKeyItems(list);
  }
  void LogAppend(const std::uint8_t* text) override {
    if (!Stopped()) ProcessLogWriter().LogAppend(text);
  }
  void FrameEnded() override {
    FrameTyping.Release();
    FinishFrameKeys();
  }
  int LogFlush() override { return Stopped() ? 0 : ProcessLogWriter().LogFlush(); }
};

class Host final : public ReceptionHost {
 public:
  // Log only leaves Caps Lock alone: no key is typed for it to change.
  bool CapsLockOn() override { return !LogOnly && CapsLockToggledOn(); }
  void ToggleCapsLock() override { Keys.ToggleCapsLock(); }
  void Pause(std::uint32_t ms) override { KeyPauses.Wait(ms, nullptr); }
  bool MainDialogInFront() override { return ::MainDialogInFront(); }
  // Posted, never sent: a busy dialog does not slow reception.
  void Echo(const char* text, int length) override { PostEcho(text, length); }
  int Utf8ToShiftJis(const std::uint8_t* src, int srcLength, std::uint8_t* dst,
                     int dstCapacity) override {
    return ::Utf8ToShiftJis(src, srcLength, dst, dstCapacity);
  }
};

Output TheOutput;
Host TheHost;

// Whole-frame collection, while a frame pattern, a duplicate time or target windows are set:
// the shaper sits in front of the output, logs each frame it keeps at its end as one record
// and hands it to the target windows' delivery, which types it at once or holds it until a
// target window is in front.
std::uint32_t Milliseconds() { return timeGetTime(); }
FrameShaper Shaper(TheOutput, TargetFrameDelivery(), kCp932Codec, Milliseconds);

// Paste mode: a collected frame's key lists are typed as keys, its text between them is
// pasted (one Ctrl+V for the text). With the main dialog in front the text goes to its
// displays as always; a clipboard that cannot be had types the text as keys instead.
class PasteOutput final : public FrameOutput {
 public:
  void TypeCharacter(const std::uint8_t* text) override {
    const int n = IsLeadByte(text[0]) ? 2 : 1;
    for (int i = 0; i < n && length_ < kShapedTextSize; ++i) bytes_[length_++] = text[i];
  }
  void TypeKeyItems(const KeyItem* list) override {
    Flush();
    TheOutput.TypeKeyItems(list);
  }
  void LogAppend(const std::uint8_t*) override {}
  void FrameEnded() override { Flush(); }
  int LogFlush() override { return 0; }

 private:
  void Flush() {
    const int length = length_;
    length_ = 0;
    if (length == 0 || !MayType()) return;
    const int count = PasteTextUnits(SystemKeyboard, bytes_, length, units_, kUnits);
    if (LogOnly || count == 0) return;
    if (!SystemKeyboard.MainDialogInFront() &&
        PasteUnits(units_, count, Keys, SystemKeyboard, ReceivePort.StopEvent)) {
      return;
    }
    bytes_[length] = 0;
    TypeCharacters(bytes_, length, TheOutput);
  }

  static constexpr int kUnits = 2 * kShapedTextSize + 1;  // every byte a line end at most
  std::uint8_t bytes_[kShapedTextSize + 1] = {};
  int length_ = 0;
  std::uint16_t units_[kUnits] = {};
};

PasteOutput Pasting;

// A collected frame typed whole, now or once its target is in front; the frame's hold on the
// keyboard ends with it.
void TypeCollectedFrame(const ShapedFrame& frame) {
  if (Settings.SENDMODE == kSendModePaste) {
    TypeShapedFrame(frame, Pasting);
    Pasting.FrameEnded();
  } else {
    TypeShapedFrame(frame, TheOutput);
  }
  FrameTyping.Release();
  FinishFrameKeys();
}
FramePattern Pattern;
OutputTemplate Template;

// What framing talks to: the output itself or the shaper before it, chosen at each start. It
// also tells the device requests where a frame of data ended, whether the frame was kept or
// not, so that a balance polled after each answer is asked again after an unstable one too.
//
// Without shaping a frame is typed as it arrives, unless at its first character or key list
// the user holds Shift, Ctrl, Alt or a Windows key, or earlier frames are still held: then
// this frame too is collected whole by the shaper (which shapes nothing then) and held in
// order behind them, so the reader never waits for the keys. The keys are looked at before a
// frame's first key, never between the program's own keys.
class FramingOutput final : public FrameOutput {
 public:
  void Start(bool collect) {
    collect_ = collect;
    to_ = collect ? static_cast<FrameOutput*>(&Shaper) : &TheOutput;
    data_ = false;
    open_ = false;
  }
  void TypeCharacter(const std::uint8_t* text) override {
    Route();
    data_ = true;
    to_->TypeCharacter(text);
  }
  void TypeKeyItems(const KeyItem* list) override {
    Route();
    data_ = true;
    to_->TypeKeyItems(list);
  }
  void LogAppend(const std::uint8_t* text) override {
    Route();
    to_->LogAppend(text);
  }
  void FrameEnded() override {
    if (data_) DeviceRequestFrameEnded();
    data_ = false;
    open_ = false;
    to_->FrameEnded();
  }
  int LogFlush() override { return to_->LogFlush(); }
  // A frame collected only for held keys that has no end of its own (no data interval) ends
  // with its block, as its typing lock does.
  void EndBlock() {
    if (!collect_ && open_ && to_ == &Shaper) {
      open_ = false;
      Shaper.FrameEnded();
    }
  }

 private:
  void Route() {
    if (collect_ || open_) return;
    open_ = true;
    const bool wait = !LogOnly && (TargetFramesWaiting() || ModifierKeysHeld());
    to_ = wait ? static_cast<FrameOutput*>(&Shaper) : &TheOutput;
  }

  FrameOutput* to_ = &TheOutput;
  bool collect_ = false;
  bool data_ = false;
  bool open_ = false;  // the current frame's route is chosen
};

FramingOutput Framed;

// The frame pattern, the output template, the duplicate time and the target windows of this
// reception. A pattern or template that cannot be used (the dialog refuses one, and so does
// the start from a file edited by hand) shapes nothing.
void StartShaping() {
  char error[kOutputTemplateErrorSize];
  const ShapingRefusal refused = PrepareShaping(Settings.FILTER, Settings.OUTPUT, kCp932Codec,
                                                Pattern, Template, error, sizeof error);
  ShapingOptions options;
  if (refused == ShapingRefusal::None) {
    options.pattern = Settings.FILTER[0] != 0 ? &Pattern : nullptr;
    options.output = Settings.OUTPUT[0] != 0 ? &Template : nullptr;
  }
  options.duplicateMs = Settings.DUPTIME > 0 ? static_cast<std::uint32_t>(Settings.DUPTIME) : 0;
  Shaper.Start(options);
  // Log only types nothing, so it holds no frame for a target and brings no window forward.
  const int mode = LogOnly ? 0 : Settings.TARGETMODE;
  TargetReceptionStart(Settings.TARGET, mode, Settings.TARGETWAIT, TypeCollectedFrame, !LogOnly);
  const bool targets = mode != 0 && HasTargetEntries(Settings.TARGET);
  // Paste mode pastes each frame whole.
  const bool paste = Settings.SENDMODE == kSendModePaste;
  Framed.Start(options.pattern != nullptr || options.output != nullptr ||
               options.duplicateMs != 0 || targets || paste);
}

}  // namespace

void ReceptionStart() {
  KeyPauses.Begin();
  Keys.SetKeyPause(KeyPause);
  LogOnly = Settings.LOGEXEC != 0 && Settings.LOGNOSEND != 0;
  Keys.SetLogOnly(LogOnly);
  Keys.FinishFrameKeys();
  ShowInputRefused(false);
  ProcessLogWriter().LogReset();
  InputMethodGate.Begin(Settings.IMEOFF != 0 && !LogOnly);
  StartShaping();
  DeviceRequestsStart();
}

bool CheckDataInterval(DWORD now, DWORD lastReceiveTime) {
  InputMethodGate.Turn(now);
  TypeDueTargetFrames();
  std::uint32_t last = lastReceiveTime;
  return CheckDataIntervalTimeout(Framing, Settings, Framed, now, last);
}

void CutFrame() { CutFrame(Framing, Settings, Framed); }

DWORD ReceptionWakeMs() {
  const DWORD held = TargetWakeMs();
  const DWORD ime = InputMethodGate.WakeMs(timeGetTime());
  if (held == 0) return ime;
  return ime != 0 && ime < held ? ime : held;
}

void ReceptionEnd() {
  InputMethodGate.End();
  TargetReceptionEnd();
  KeyPauses.End();
  FrameTyping.Release();
  Keys.FinishFrameKeys();
  ShowInputRefused(false);
}

void ProcessReceivedBlock(const unsigned char* block, int n) {
  ResetRequest.ApplyPendingReset(Framing);
  ProcessBlock(Framing, Settings, Framed, TheHost, block, n);
  if (Settings.DATADELAY <= 0) {
    Framed.EndBlock();
    FrameTyping.Release();
    FinishFrameKeys();
  }
}

void InitReceiveFrameFlags() { InitFrameFlags(Framing, Settings); }

void ResetReceiveFraming() {
  // A reader thread, running or still stopping, owns the state and applies the reset before
  // its next block; once it has ended the reset (and one it left pending) is done here.
  ResetRequest.RequestReset();
  if (!ReceivePort.ThreadAlive()) ResetRequest.ApplyPendingReset(Framing);
}

// ---- pauses

namespace {

// Windows 10 1803 and later; the headers for Windows 7 do not have it.
constexpr DWORD kHighResolutionTimer = 0x00000002;  // CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
constexpr UINT kTimerPeriodMs = 1;
// Due times are in 100 ns units, negative for a time relative to now.
constexpr LONGLONG kTicksPerMs = 10000;

bool PlainWait(unsigned ms, HANDLE stop) {
  if (stop != nullptr) return WaitForSingleObject(stop, ms) == WAIT_OBJECT_0;
  Sleep(ms);
  return false;
}

}  // namespace

PauseTimer::~PauseTimer() {
  End();
  if (timer_ != nullptr) CloseHandle(timer_);
}

void PauseTimer::Begin() {
  if (timer_ == nullptr && tryHighResolution_) {
    timer_ = CreateWaitableTimerExW(nullptr, nullptr, kHighResolutionTimer, TIMER_ALL_ACCESS);
    highResolution_ = timer_ != nullptr;
  }
  // Older Windows refuses the flag: an ordinary timer, woken at the raised resolution.
  if (timer_ == nullptr) timer_ = CreateWaitableTimerW(nullptr, FALSE, nullptr);
  if (!highResolution_ && !periodRaised_) periodRaised_ = timeBeginPeriod(kTimerPeriodMs) == TIMERR_NOERROR;
}

void PauseTimer::End() {
  if (periodRaised_) timeEndPeriod(kTimerPeriodMs);
  periodRaised_ = false;
}

bool PauseTimer::Wait(unsigned ms, HANDLE stop) {
  LARGE_INTEGER due;
  due.QuadPart = -static_cast<LONGLONG>(ms) * kTicksPerMs;
  if (ms > 0 && timer_ != nullptr && SetWaitableTimer(timer_, &due, 0, nullptr, nullptr, FALSE)) {
    // The stop comes first: WaitForMultipleObjects reports the lowest signalled index.
    const HANDLE both[2] = {stop, timer_};
    const DWORD r = stop != nullptr ? WaitForMultipleObjects(2, both, FALSE, INFINITE)
                                    : WaitForSingleObject(timer_, INFINITE);
    if (r != WAIT_FAILED) return StoppedFirst(r, stop);
  }
  return PlainWait(ms, stop);
}

// A timer left running by a stop is cancelled; the next pause sets it again in any case.
bool PauseTimer::StoppedFirst(DWORD waitResult, HANDLE stop) {
  if (stop == nullptr || waitResult != WAIT_OBJECT_0) return false;
  CancelWaitableTimer(timer_);
  return true;
}

// ---- the echo

namespace {
EchoRing Echoes;
}  // namespace

void PostEcho(const char* text, int length) {
  HWND dialog = MainDialogWindow;
  if (dialog == nullptr) return;
  const int slot = Echoes.Put(text, length);
  if (slot < 0) return;
  if (!PostMessageA(dialog, kEchoMessage, static_cast<WPARAM>(slot), 0)) Echoes.Release(slot);
}

void AppendPostedEcho(HWND display, WPARAM slot) {
  const int index = slot < static_cast<WPARAM>(kEchoSlots) ? static_cast<int>(slot) : -1;
  const char* text = Echoes.Text(index);
  if (text == nullptr) return;
  // The echo is hexadecimal ASCII: each byte is its own UTF-16 unit.
  static wchar_t wide[kEchoTextSize + 1];
  int n = 0;
  const int held = GetWindowTextLengthW(display);
  if (held > 0) wide[n++] = L' ';
  for (const char* p = text; *p != 0 && n < kEchoTextSize; ++p) wide[n++] = static_cast<wchar_t>(*p);
  wide[n] = 0;
  Echoes.Release(index);
  SendMessageW(display, EM_SETSEL, static_cast<WPARAM>(held), static_cast<LPARAM>(held));
  SendMessageW(display, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(wide));
}

// ---- refused input

namespace {
std::atomic<bool> Shown{false};
}  // namespace

// MessageBeep queues the sound and returns (Microsoft Learn, MessageBeep), so the reader goes
// on at once; the notice reaches the dialog's thread as a posted message, as the missing device
// does, and no box waits for an answer.
void ReportInputRefused() {
  MessageBeep(MB_ICONWARNING);
  ShowInputRefused(true);
}

void ShowInputRefused(bool refused) {
  if (Shown.exchange(refused) == refused) return;
  if (MainDialogWindow != nullptr) PostMessageA(MainDialogWindow, kPortStateMessage, 0, 0);
}

bool InputRefusedShown() { return Shown.load(); }

const ReceptionStages kReceptionStages = {
    InitReceiveFrameFlags, ReceptionStart, ReceptionEnd, ReceptionWakeMs,
    {CheckDataInterval, CutFrame, ProcessReceivedBlock}};
