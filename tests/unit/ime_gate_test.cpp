// The input method out of the way: a fake input method whose open status the test sets and
// whose calls are recorded, against ImeGate's decisions.
#include <gtest/gtest.h>

#include <string>

#include "delivery/ime_gate.h"

namespace {

// One input method window per test (its id `window`, 0 none); closing it makes it closed, as a
// real one. Calls are written to `events`; rounds are answered while `answers`.
class FakeInputMethod final : public InputMethodSystem {
 public:
  ImeWindow window = 7;
  ImeStatus status = ImeStatus::Open;
  bool answers = true;
  int rounds = 0;
  std::string events;

  ImeStatus Look(ImeWindow& w) override {
    w = status == ImeStatus::None ? 0 : window;
    return status;
  }
  void SetOpen(ImeWindow w, bool open) override {
    events += (open ? "open " : "close ") + std::to_string(w) + "|";
    if (w == window) status = open ? ImeStatus::Open : ImeStatus::Closed;
  }
  bool Round() override {
    ++rounds;
    return answers;
  }
};

struct ImeHarness {
  FakeInputMethod ime;
  ImeGate gate{ime};
  explicit ImeHarness(bool enabled = true) { gate.Begin(enabled); }
};

TEST(InputMethodGate, AnOpenInputMethodIsClosedForTheFrameAndOpenedOnlyAfterItsKeys) {
  ImeHarness h;
  h.gate.BeforeFrame();
  EXPECT_EQ(h.ime.events, "close 7|");
  h.gate.Turn(5000);
  EXPECT_EQ(h.ime.events, "close 7|") << "never while the frame is typed";
  h.gate.AfterFrame(100, 6);
  EXPECT_EQ(h.gate.WakeMs(100), kImeSettleMs);
  h.gate.Turn(100 + kImeSettleMs - 1);
  EXPECT_EQ(h.ime.rounds, 6) << "one round of the target's loop per message queued";
  EXPECT_EQ(h.ime.events, "close 7|") << "not before the settle time";
  h.gate.Turn(100 + kImeSettleMs);
  EXPECT_EQ(h.ime.events, "close 7|open 7|");
  EXPECT_FALSE(h.gate.Closed());
  EXPECT_EQ(h.gate.WakeMs(200), 0u);
}

TEST(InputMethodGate, AClosedOrMissingInputMethodOrTheSettingOffIsLeftAlone) {
  for (const ImeStatus status : {ImeStatus::Closed, ImeStatus::None}) {
    ImeHarness h;
    h.ime.status = status;
    h.gate.BeforeFrame();
    h.gate.AfterFrame(0, 4);
    h.gate.Turn(5000);
    h.gate.End();
    EXPECT_EQ(h.ime.events, "");
    EXPECT_EQ(h.ime.rounds, 0);
  }
  ImeHarness off(false);
  off.gate.BeforeFrame();
  off.gate.AfterFrame(0, 4);
  off.gate.Turn(5000);
  EXPECT_EQ(off.ime.events, "");
  EXPECT_EQ(off.ime.status, ImeStatus::Open);
}

TEST(InputMethodGate, AFrameArrivingDuringTheRestoreKeepsItClosedUntilAfterItsOwnKeys) {
  ImeHarness h;
  h.gate.BeforeFrame();
  h.gate.AfterFrame(0, 2);
  h.gate.Turn(10);
  h.gate.BeforeFrame();  // the next frame, before the reopening was due
  h.gate.Turn(kImeSettleMs);
  EXPECT_EQ(h.ime.events, "close 7|") << "not closed twice, not opened between the frames";
  h.gate.AfterFrame(100, 2);
  h.gate.Turn(100 + kImeSettleMs - 1);
  EXPECT_EQ(h.ime.events, "close 7|");
  h.gate.Turn(100 + kImeSettleMs);
  EXPECT_EQ(h.ime.events, "close 7|open 7|");
}

TEST(InputMethodGate, ATargetThatDoesNotAnswerGetsItBackAtTheBoundAndAnotherWindowAtOnce) {
  ImeHarness h;
  h.ime.answers = false;
  h.gate.BeforeFrame();
  h.gate.AfterFrame(0, 2);
  h.gate.Turn(kImeBoundMs - 1);
  EXPECT_EQ(h.ime.events, "close 7|");
  h.gate.Turn(kImeBoundMs);
  EXPECT_EQ(h.ime.events, "close 7|open 7|");

  ImeHarness moved;
  moved.gate.BeforeFrame();
  moved.gate.AfterFrame(0, 2);
  moved.ime.window = 9;  // the user is in another window now, its input method open
  moved.ime.status = ImeStatus::Open;
  moved.gate.BeforeFrame();
  EXPECT_EQ(moved.ime.events, "close 7|open 7|close 9|");
  moved.gate.End();
  EXPECT_EQ(moved.ime.events, "close 7|open 7|close 9|open 9|") << "a stop gives it back";
}

}  // namespace
