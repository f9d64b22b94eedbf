// What the reader thread does with the data: the process-wide framing state, key output and
// log writer, wired to the Win32 keyboard, the main dialog's displays and the log file; the
// pauses of its typing; and what it tells the main dialog without waiting for it (the echo of
// each block, the notice of refused input).
#pragma once
#include <windows.h>

// ---- the pipeline (reader thread, unless said otherwise)

// GUI thread: sets the frame flags for a new start of reception (before OpenPort).
void InitReceiveFrameFlags();
// At thread start, before anything is read: empties the log buffer.
void ReceptionStart();
// At thread end, on the reader thread: gives up what the thread holds for typing.
void ReceptionEnd();
// How soon the reader must look again (ms) for held frames or an input method to reopen; 0:
// no limit.
DWORD ReceptionWakeMs();
// The data-interval timeout at the top of each turn; true when it ended the frame.
bool CheckDataInterval(DWORD now, DWORD lastReceiveTime);
// Ends the current frame as the data-interval timeout does (the device went away mid-frame).
void CutFrame();
// One block as read from the port (n bytes, not necessarily terminated at n).
void ProcessReceivedBlock(const unsigned char* block, int n);

// ---- pauses

// The reader thread's short pauses (SENDDELAY, the pause after a key or group, the Caps Lock
// restore), held to their length. A plain wait on Windows ends at a tick of the system timer,
// 15.6 ms unless the process asks for better (timeBeginPeriod), so a pause of 1 ms would last
// up to a tick and pace every character of both send modes at about 64 a second. A
// high-resolution waitable timer (Windows 10 1803 and later) wakes on time without changing the
// timer resolution; where it cannot be made, the resolution is raised to 1 ms while reception
// runs (on those systems a global setting) and given back when it ends.
class PauseTimer {
 public:
  // highResolution false takes the timeBeginPeriod way even where the timer exists.
  explicit PauseTimer(bool highResolution = true) : tryHighResolution_(highResolution) {}
  ~PauseTimer();
  PauseTimer(const PauseTimer&) = delete;
  PauseTimer& operator=(const PauseTimer&) = delete;

  // At reception start and end, on the reader thread. The timer is made once and kept.
  void Begin();
  void End();
  // Waits `ms` milliseconds, or less when `stop` (if not null) is signalled first; true when
  // it was. A pause of 0 only looks at `stop`; without Begin, or when the timer cannot be set, a
  // plain wait of `ms`.
  bool Wait(unsigned ms, HANDLE stop);

  bool HighResolution() const { return highResolution_; }
  bool PeriodRaised() const { return periodRaised_; }

 private:
  bool StoppedFirst(DWORD waitResult, HANDLE stop);

  const bool tryHighResolution_;
  HANDLE timer_ = nullptr;
  bool highResolution_ = false;
  bool periodRaised_ = false;
};

// ---- the echo

// The echo of received bytes from the reader thread to the main dialog's input code display:
// posted once per block through a fixed ring of slots (echo_ring.h), so reception never waits
// for the dialog's thread.

// Posted to MainDialogWindow with the index of a filled slot in wparam.
inline constexpr UINT kEchoMessage = WM_APP + 22;

// Reader thread: hands the text on to the main dialog; dropped when the dialog is more than
// kEchoSlots blocks behind.
void PostEcho(const char* text, int length);
// GUI thread, on kEchoMessage: appends the slot's text to the input code display (after a
// blank when the display holds text) and gives the slot back.
void AppendPostedEcho(HWND display, WPARAM slot);

// ---- refused input

// The notice that the window in front refused a frame's input: a beep at once, and the main
// dialog's caption and tray tip until a later frame is typed whole or reception starts or ends.

// Reader thread: the window in front refused the frame being typed. Beeps and shows the notice.
void ReportInputRefused();
// Shows or takes away the notice; a change posts kPortStateMessage to the main dialog, which
// reads InputRefusedShown for its caption.
void ShowInputRefused(bool refused);
bool InputRefusedShown();
