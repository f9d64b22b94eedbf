// Scans land only where they belong: the target entries (TARGET) that name the windows a frame
// may be typed into, the frames held while no such window is in front, and what becomes of them
// at each step of the reader. Portable: the system (which window is in front, bringing one to
// the front, typing a frame) is reached through TargetSystem.
//
// TARGET is code page 932 text of entries separated by ";". An entry ending in ".exe" (any case)
// is a program file name, compared whole and without regard to the case of ASCII letters with
// the file name of the program that owns the window; any other entry is part of the window's
// title, compared byte for byte. Blanks around an entry are not part of it. Two-byte characters
// are kept whole throughout (common/two_byte_text.h): a title matches only from a character's
// start, and a two-byte character never equals another by case.
#pragma once
#include <cstdint>

#include "delivery/held_keys.h"
#include "shaping/shaped_frame.h"

// The TARGET text: 100 bytes and the terminator.
inline constexpr int kTargetTextSize = 101;

// TARGETMODE: 0 frames are typed into whatever window is in front (as without targets), 1 a
// frame is held until a target window is in front, 2 a target window is brought to the front.
inline constexpr int kTargetModeOff = 0;
inline constexpr int kTargetModeWait = 1;
inline constexpr int kTargetModeFront = 2;

// TARGETWAIT: seconds a frame may be held, and its default.
inline constexpr int kTargetWaitMin = 1;
inline constexpr int kTargetWaitMax = 3600;
inline constexpr int kTargetWaitDefault = 30;

// Frames held at most; a full hold gives up its oldest frame for a new one.
inline constexpr int kHeldFrameCapacity = 32;
// While frames are held the reader looks at the window in front at least this often.
inline constexpr std::uint32_t kTargetPollMs = 100;

// True when `targets` holds at least one entry; a text of nothing but separators and blanks
// names no window, and then every window takes the frames as before.
bool HasTargetEntries(const char* targets);
// True when an entry of `targets` names the window whose program file name (the file name part
// of its image, e.g. "EXCEL.EXE") is `imageName` and whose title is `title`. Both code page 932,
// zero-terminated; either may be empty when it could not be read.
bool IsTargetWindow(const char* targets, const char* imageName, const char* title);
// Adds `entry` (e.g. a program name from the window chooser) to the TARGET text in `targets`
// (`size` bytes with the terminator), after a ";" when the text does not end in one. True when
// the text holds the entry afterwards: added, or there already (a program name in any case);
// false, with the text unchanged, when it is empty or does not fit whole.
bool AppendTargetEntry(char* targets, int size, const char* entry);

// Frames in arrival order with their arrival times (milliseconds of a 32-bit clock that wraps),
// in fixed storage: holding copies a frame, nothing is allocated.
class HeldFrames {
 public:
  int Count() const { return count_; }
  bool Empty() const { return count_ == 0; }
  // Holds a copy of `frame` that arrived at `now`. A full hold first gives up its oldest frame;
  // returns true when it did.
  bool Push(const ShapedFrame& frame, std::uint32_t now);
  const ShapedFrame& Oldest() const { return frames_[first_]; }
  void PopOldest();
  // Gives up the frames held `waitMs` or longer; returns how many.
  int DropExpired(std::uint32_t now, std::uint32_t waitMs);
  // Milliseconds until the oldest frame has been held `waitMs`; 0 when it has, or none is held.
  std::uint32_t UntilExpiry(std::uint32_t now, std::uint32_t waitMs) const;
  void Clear();

 private:
  ShapedFrame frames_[kHeldFrameCapacity] = {};
  std::uint32_t arrived_[kHeldFrameCapacity] = {};
  int first_ = 0;
  int count_ = 0;
};

// Which window is in front, as delivery sees it. Without targets the main dialog shows the
// frames in its displays, as it always has; with targets it is no target, and frames wait.
enum class Foreground { MainDialog, Target, Other };

// What the caption and the tray tip say, after the last thing that befell a held frame: a frame
// is waiting for a target window (held), or a frame was given up unsent (held too long, or
// pushed out of a full hold; this wins over a frame held in the same step), or nothing (the
// held frames were typed into a target). Refused: in mode 2 Windows would not bring a target
// forward, and the frame waits as in mode 1. KeysHeld: frames have waited kHeldKeyNoticeMs
// for keys the user holds (said while the keys stay down, before the others).
enum class BringResult { InFront, NoWindow, Refused };

enum class TargetNotice { None, Waiting, Discarded, Refused, KeysHeld };

// What delivery asks of the system; the program's implementation is in target_window_win32.
class TargetSystem {
 public:
  virtual ~TargetSystem() = default;
  virtual Foreground Front(const char* targets) = 0;
  // Brings the most recently active target window to the front: in front now, no target
  // window open (nothing to bring: the frame waits, as in mode 1), or Windows refused it.
  virtual BringResult BringTargetToFront(const char* targets) = 0;
  virtual void TypeFrame(const ShapedFrame& frame) = 0;
  // Reception was stopped: nothing more is typed.
  virtual bool Stopped() = 0;
  // The user physically holds Shift, Ctrl, Alt or a Windows key: no frame may be typed now.
  virtual bool KeysHeld() { return false; }
};

// What one step did, for the beeps: frames typed, held frames given up unsent, the new frame held
// (for a target: a frame that only waits for held keys does not beep at once), a target that
// could not be brought forward, and the moment held keys are to be said (once per holding).
struct TargetStep {
  int typed = 0;
  int discarded = 0;
  bool held = false;
  bool refused = false;
  bool keysNotice = false;
};

// Delivery of collected frames to target windows, one instance per reception. Every call comes
// from the reader thread.
class TargetGate {
 public:
  explicit TargetGate(TargetSystem& system) : system_(system) {}
  TargetGate(const TargetGate&) = delete;
  TargetGate& operator=(const TargetGate&) = delete;

  // At the start of reception: the settings of this reception (a mode outside 0-2 is 0, a wait
  // outside 1-3600 s is the default); nothing held.
  void Begin(const char* targets, int mode, int waitSeconds);
  // At its end (stop): held frames are given up untyped.
  void End();
  // Targets are in use: a mode other than 0 and at least one entry. Otherwise every frame is
  // typed at once, as without targets.
  bool Active() const { return active_; }

  // A frame has ended (and was logged). Without targets it is typed at once unless frames are
  // held or the user holds a key; with targets, and a target in front, the held frames are
  // typed first, in order, then it; with another window or the main dialog in front (mode 2:
  // and no target could be brought forward) it is held. While the user holds a key every frame
  // is held, in order with the others, and no frame is typed.
  TargetStep Deliver(const ShapedFrame& frame, std::uint32_t now);
  // Each turn of the reader: expired frames are given up (with targets); with a target in
  // front (any window, without targets) and no key held the held frames are typed in order.
  TargetStep Turn(std::uint32_t now);
  // How soon the reader must look again: 0 when nothing is held (no limit), else at most
  // kTargetPollMs (kHeldKeyPollMs without targets) and no later than the oldest frame
  // expires (at least 1).
  std::uint32_t WakeMs(std::uint32_t now) const;

  TargetNotice Notice() const { return keys_.Noticed() ? TargetNotice::KeysHeld : notice_; }
  int HeldCount() const { return held_.Count(); }

 private:
  bool TargetInFront();
  // No key is held now; a look at the keys, which may make the notice due.
  bool KeysFree(TargetStep& step, std::uint32_t now);
  // Types held frames in order while a target stays in front and no key is held; true when
  // none is left.
  bool TypeHeld(TargetStep& step, std::uint32_t now);
  void Settle(const TargetStep& step, bool typedIntoTarget);

  TargetSystem& system_;
  HeldFrames held_;
  char targets_[kTargetTextSize] = {};
  int mode_ = kTargetModeOff;
  bool active_ = false;
  std::uint32_t waitMs_ = kTargetWaitDefault * 1000u;
  TargetNotice notice_ = TargetNotice::None;
  HeldKeyWatch keys_;
};
