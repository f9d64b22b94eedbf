#include "delivery/target_window.h"

#include <cstddef>
#include <cstring>

#include "common/two_byte_text.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

char FoldAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// Calls `match(entry, length)` for each entry of `targets` (blanks around it left out, empty
// ones skipped) until it answers true. Entries are walked a character at a time, so a ";" or
// a blank that is the second byte of a two-byte character stays inside its character.
template <class Match>
bool AnyEntry(const char* targets, Match match) {
  std::size_t i = 0;
  while (targets[i] != 0) {
    while (IsBlank(targets[i])) ++i;
    const std::size_t start = i;
    std::size_t end = i;  // end of the last character that is not a blank
    while (targets[i] != 0 && targets[i] != ';') {
      const bool blank = IsBlank(targets[i]);
      i += CharLength(targets, i);
      if (!blank) end = i;
    }
    if (end > start && match(targets + start, end - start)) return true;
    if (targets[i] == ';') ++i;
  }
  return false;
}

// Compares the `length` bytes of `entry` with the start of `text`, a character at a time: the
// characters must have the same lengths (so a match never ends inside a two-byte character of
// `text`), single-byte ones equal (ASCII letters folded when `fold`), two-byte ones equal byte
// for byte. `used` is the bytes of `text` matched.
bool SameCharacters(const char* entry, std::size_t length, const char* text, bool fold,
                    std::size_t& used) {
  std::size_t i = 0;
  while (i < length) {
    if (text[i] == 0) return false;
    const std::size_t n = CharLength(entry, i);
    if (n != CharLength(text, i)) return false;
    if (n == 1) {
      if (fold ? FoldAscii(entry[i]) != FoldAscii(text[i]) : entry[i] != text[i]) return false;
    } else if (entry[i] != text[i] || entry[i + 1] != text[i + 1]) {
      return false;
    }
    i += n;
  }
  used = i;
  return true;
}

// The entry's last four bytes are ".exe" in any case, starting at a character boundary.
bool IsProgramEntry(const char* entry, std::size_t length) {
  if (length < 4) return false;
  std::size_t i = 0;
  while (i < length - 4) i += CharLength(entry, i);
  if (i != length - 4) return false;
  std::size_t used = 0;
  return SameCharacters(".EXE", 4, entry + i, true, used);
}

bool MatchesProgram(const char* entry, std::size_t length, const char* imageName) {
  std::size_t used = 0;
  return SameCharacters(entry, length, imageName, true, used) && imageName[used] == 0;
}

bool MatchesTitlePart(const char* entry, std::size_t length, const char* title) {
  std::size_t used = 0;
  for (std::size_t j = 0; title[j] != 0; j += CharLength(title, j)) {
    if (SameCharacters(entry, length, title + j, false, used)) return true;
  }
  return false;
}

}  // namespace

bool HasTargetEntries(const char* targets) {
  return AnyEntry(targets, [](const char*, std::size_t) { return true; });
}

bool IsTargetWindow(const char* targets, const char* imageName, const char* title) {
  return AnyEntry(targets, [&](const char* entry, std::size_t length) {
    return IsProgramEntry(entry, length) ? MatchesProgram(entry, length, imageName)
                                         : MatchesTitlePart(entry, length, title);
  });
}

bool AppendTargetEntry(char* targets, int size, const char* entry) {
  const std::size_t length = std::strlen(entry);
  if (length == 0) return false;
  const bool present = AnyEntry(targets, [&](const char* e, std::size_t n) {
    std::size_t used = 0;
    return n == length && SameCharacters(e, n, entry, IsProgramEntry(e, n), used);
  });
  if (present) return true;
  // The last character that is not a blank decides whether a separator is needed.
  char last = 0;
  for (std::size_t i = 0; targets[i] != 0; i += CharLength(targets, i)) {
    if (!IsBlank(targets[i])) last = targets[i];
  }
  std::size_t end = std::strlen(targets);
  const bool separate = last != 0 && last != ';';
  if (end + (separate ? 1 : 0) + length + 1 > static_cast<std::size_t>(size)) return false;
  if (separate) targets[end++] = ';';
  std::memcpy(targets + end, entry, length + 1);
  return true;
}

// ---- held frames ------------------------------------------------------------------------------

bool HeldFrames::Push(const ShapedFrame& frame, std::uint32_t now) {
  const bool full = count_ == kHeldFrameCapacity;
  if (full) PopOldest();
  const int slot = (first_ + count_) % kHeldFrameCapacity;
  frames_[slot] = frame;
  arrived_[slot] = now;
  ++count_;
  return full;
}

void HeldFrames::PopOldest() {
  if (count_ == 0) return;
  first_ = (first_ + 1) % kHeldFrameCapacity;
  --count_;
}

// Times are compared as the unsigned distance now - arrival, which stays right when the clock
// wraps between the two (a frame is held an hour at most; the clock wraps after 49 days).
int HeldFrames::DropExpired(std::uint32_t now, std::uint32_t waitMs) {
  int dropped = 0;
  while (count_ > 0 && now - arrived_[first_] >= waitMs) {
    PopOldest();
    ++dropped;
  }
  return dropped;
}

std::uint32_t HeldFrames::UntilExpiry(std::uint32_t now, std::uint32_t waitMs) const {
  if (count_ == 0) return 0;
  const std::uint32_t held = now - arrived_[first_];
  return held >= waitMs ? 0 : waitMs - held;
}

void HeldFrames::Clear() {
  first_ = 0;
  count_ = 0;
}

// ---- delivery ---------------------------------------------------------------------------------

void TargetGate::Begin(const char* targets, int mode, int waitSeconds) {
  CopyTextCut(targets_, sizeof targets_, targets != nullptr ? targets : "");
  mode_ = mode == kTargetModeWait || mode == kTargetModeFront ? mode : kTargetModeOff;
  const bool waitValid = waitSeconds >= kTargetWaitMin && waitSeconds <= kTargetWaitMax;
  waitMs_ = static_cast<std::uint32_t>(waitValid ? waitSeconds : kTargetWaitDefault) * 1000u;
  active_ = mode_ != kTargetModeOff && HasTargetEntries(targets_);
  End();
}

void TargetGate::End() {
  held_.Clear();
  notice_ = TargetNotice::None;
  keys_.Reset();
}

// Without targets every window takes the frames (the main dialog shows them in its displays).
bool TargetGate::TargetInFront() {
  return !system_.Stopped() && (!Active() || system_.Front(targets_) == Foreground::Target);
}

bool TargetGate::KeysFree(TargetStep& step, std::uint32_t now) {
  const bool down = system_.KeysHeld();
  if (keys_.Look(down, now)) step.keysNotice = true;
  return !down;
}

// The caller saw a target in front and no key held. Typing takes time and the user may switch
// windows or press a key meanwhile, so both are looked at again before each further frame.
bool TargetGate::TypeHeld(TargetStep& step, std::uint32_t now) {
  while (!held_.Empty()) {
    if (system_.Stopped()) return false;
    system_.TypeFrame(held_.Oldest());
    held_.PopOldest();
    ++step.typed;
    if (held_.Empty()) break;
    if (!TargetInFront() || !KeysFree(step, now)) return false;
  }
  keys_.Reset();
  return true;
}

// The notice follows the last thing that befell a held frame; a frame given up is news that a
// frame held in the same step does not hide.
void TargetGate::Settle(const TargetStep& step, bool typedIntoTarget) {
  if (step.discarded > 0) notice_ = TargetNotice::Discarded;
  else if (step.refused) notice_ = TargetNotice::Refused;
  else if (step.held) notice_ = Active() ? TargetNotice::Waiting : TargetNotice::None;
  else if (typedIntoTarget) notice_ = held_.Empty() || !Active() ? TargetNotice::None : TargetNotice::Waiting;
}

TargetStep TargetGate::Deliver(const ShapedFrame& frame, std::uint32_t now) {
  TargetStep step;
  const bool keysFree = KeysFree(step, now);
  if (!Active() && held_.Empty() && keysFree) {
    system_.TypeFrame(frame);
    step.typed = 1;
    return step;
  }
  if (system_.Stopped()) return step;
  if (Active()) step.discarded = held_.DropExpired(now, waitMs_);
  Foreground front = Active() ? system_.Front(targets_) : Foreground::Target;
  // The main dialog in front is no target: the frame waits, and no window is pulled over the
  // dialog the user is working in.
  if (front == Foreground::Other && mode_ == kTargetModeFront) {
    const BringResult brought = system_.BringTargetToFront(targets_);
    if (brought == BringResult::InFront) front = Foreground::Target;
    else step.refused = brought == BringResult::Refused;
  }
  if (front == Foreground::Target && keysFree && TypeHeld(step, now)) {
    system_.TypeFrame(frame);
    ++step.typed;
    Settle(step, true);
    return step;
  }
  if (system_.Stopped()) return step;
  // The oldest frame of a full hold is given up for the new one: it is the one nearest to
  // expiring, and the frame just scanned is the one the user is watching for.
  if (held_.Push(frame, now)) ++step.discarded;
  // A frame that waits only for held keys (a target is in front, or none is needed) is no
  // news yet: the keys are said after kHeldKeyNoticeMs.
  step.held = front != Foreground::Target || keysFree;
  Settle(step, step.typed > 0);
  return step;
}

// No attempt is made here to bring a target forward: that happens when a frame arrives, and
// pulling windows to the front at random moments afterwards would take the user's keyboard
// from under them.
TargetStep TargetGate::Turn(std::uint32_t now) {
  TargetStep step;
  if (held_.Empty() || system_.Stopped()) return step;
  if (Active()) step.discarded = held_.DropExpired(now, waitMs_);
  if (!held_.Empty() && KeysFree(step, now) && TargetInFront()) TypeHeld(step, now);
  if (held_.Empty()) keys_.Reset();
  Settle(step, step.typed > 0);
  return step;
}

std::uint32_t TargetGate::WakeMs(std::uint32_t now) const {
  if (held_.Empty()) return 0;
  if (!Active()) return kHeldKeyPollMs;
  const std::uint32_t untilExpiry = held_.UntilExpiry(now, waitMs_);
  const std::uint32_t wake = untilExpiry < kTargetPollMs ? untilExpiry : kTargetPollMs;
  return wake == 0 ? 1 : wake;
}
