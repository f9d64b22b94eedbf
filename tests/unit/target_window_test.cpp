// Target windows: which windows the TARGET entries name, the hold of frames in arrival order
// with expiry on a wrapping millisecond clock, and what delivery does at each step, against a
// fake system whose window in front the test sets.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "delivery/target_window.h"

namespace {

struct MatchRow {
  const char* targets;
  const char* image;
  const char* title;
  bool target;
};

// アプリ: ア is 83 41, whose second byte is the byte of "A"; 表 is 95 5C, whose second byte is
// the byte of "\"; ヂ is 83 61, the second byte "a".
const MatchRow kMatchRows[] = {
    {"EXCEL.EXE;受付", "excel.exe", "Book1", true},            // program name, any ASCII case
    {"EXCEL.EXE;受付", "notepad.exe", "受付一覧 - メモ帳", true},  // part of the title
    {"EXCEL.EXE;受付", "notepad.exe", "無題 - メモ帳", false},
    {"Notepad.Exe", "NOTEPAD.EXE", "", true},
    {"EXCEL.EXE", "MYEXCEL.EXE", "Book1", false},              // the whole file name, not a part
    {"EXCEL.EXE", "EXCEL.EXE.tmp", "Book1", false},
    {"EXCEL.EXE", "notepad.exe", "EXCEL.EXE - readme", false},  // a program entry is no title part
    {"EXCEL.EXE", "", "Book1", false},                         // the program could not be read
    {"EXCEL", "EXCEL.EXE", "Book1", false},                    // no ".exe": a title part
    {"EXCEL", "other.exe", "Microsoft EXCEL", true},
    {"Book", "excel.exe", "BOOK1", false},                     // titles compare byte for byte
    {" EXCEL.EXE ; 受付 ", "EXCEL.EXE", "", true},              // blanks around entries
    {" EXCEL.EXE ; 受付 ", "x.exe", "受付", true},
    {";;受付;", "x.exe", "受付", true},
    {"", "EXCEL.EXE", "Book1", false},
    {" ; ", "EXCEL.EXE", "Book1", false},
    {"A", "x.exe", "アプリ", false},        // never from the middle of a two-byte character
    {"\\", "x.exe", "表計算", false},
    {"\\", "x.exe", "C:\\data", true},
    {"\x83", "x.exe", "アプリ", false},     // a cut entry does not end inside a character
    {"ア.exe", "\x83\x61.exe", "", false},  // ア and ヂ differ only by the case of a second byte
    {"ア.exe", "ア.EXE", "", true},
    {"\x81;abc", "x.exe", "abc", false},    // a ";" after a first byte belongs to its character
};

TEST(TargetEntries, NameTheWindowsOfTheTable) {
  for (const MatchRow& row : kMatchRows) {
    EXPECT_EQ(IsTargetWindow(row.targets, row.image, row.title), row.target)
        << "targets \"" << row.targets << "\" image \"" << row.image << "\" title \"" << row.title
        << "\"";
  }
}

TEST(TargetEntries, ATextOfSeparatorsAndBlanksNamesNoWindow) {
  EXPECT_FALSE(HasTargetEntries(""));
  EXPECT_FALSE(HasTargetEntries(" ;\t; "));
  EXPECT_TRUE(HasTargetEntries(" ; x"));
}

struct AppendRow {
  const char* targets;
  const char* entry;
  const char* after;  // the text afterwards
  bool holds;
};

const AppendRow kAppendRows[] = {
    {"", "EXCEL.EXE", "EXCEL.EXE", true},
    {"受付", "EXCEL.EXE", "受付;EXCEL.EXE", true},
    {"受付;", "EXCEL.EXE", "受付;EXCEL.EXE", true},
    {"受付 ; ", "EXCEL.EXE", "受付 ; EXCEL.EXE", true},
    {"  ", "EXCEL.EXE", "  EXCEL.EXE", true},
    {"受付;excel.exe", "EXCEL.EXE", "受付;excel.exe", true},  // there already, in another case
    {"EXCEL", "EXCEL.EXE", "EXCEL;EXCEL.EXE", true},
    {"受付", "", "受付", false},
};

TEST(TargetEntries, AChosenEntryIsAddedOnceAfterASeparator) {
  for (const AppendRow& row : kAppendRows) {
    char text[kTargetTextSize] = {};
    std::strcpy(text, row.targets);
    EXPECT_EQ(AppendTargetEntry(text, kTargetTextSize, row.entry), row.holds) << row.targets;
    EXPECT_STREQ(text, row.after) << row.targets;
  }
}

TEST(TargetEntries, AnEntryThatDoesNotFitWholeIsNotAdded) {
  char text[kTargetTextSize] = {};
  std::memset(text, 'x', 90);
  EXPECT_FALSE(AppendTargetEntry(text, kTargetTextSize, "ABCDEF.EXE"));  // 102 bytes with NUL
  EXPECT_EQ(std::strlen(text), 90u);
  EXPECT_TRUE(AppendTargetEntry(text, kTargetTextSize, "ABCDE.EXE"));  // 90 + ";" + 9 + NUL
  EXPECT_EQ(std::strlen(text), 100u);
}

ShapedFrame Frame(const char* text) {
  ShapedFrame f{};
  f.length = static_cast<int>(std::strlen(text));
  std::memcpy(f.text, text, static_cast<std::size_t>(f.length) + 1);
  return f;
}

std::string TextOf(const ShapedFrame& f) { return reinterpret_cast<const char*>(f.text); }

TEST(HeldFramesQueue, GivesFramesBackInArrivalOrder) {
  auto held = std::make_unique<HeldFrames>();
  held->Push(Frame("1"), 10);
  held->Push(Frame("2"), 20);
  held->Push(Frame("3"), 30);
  std::string order;
  while (!held->Empty()) {
    order += TextOf(held->Oldest());
    held->PopOldest();
  }
  EXPECT_EQ(order, "123");
}

TEST(HeldFramesQueue, ExpiresAfterTheWaitAcrossTheClockWrap) {
  auto held = std::make_unique<HeldFrames>();
  const std::uint32_t t0 = 0xFFFFFF00u;  // 256 ms before the clock wraps
  held->Push(Frame("a"), t0);
  held->Push(Frame("b"), t0 + 500);
  EXPECT_EQ(held->UntilExpiry(t0 + 999, 1000), 1u);
  EXPECT_EQ(held->DropExpired(t0 + 999, 1000), 0);
  EXPECT_EQ(held->DropExpired(t0 + 1000, 1000), 1);
  EXPECT_EQ(TextOf(held->Oldest()), "b");
  EXPECT_EQ(held->UntilExpiry(t0 + 1000, 1000), 500u);
  EXPECT_EQ(held->DropExpired(t0 + 1500, 1000), 1);
  EXPECT_TRUE(held->Empty());
}

TEST(HeldFramesQueue, AFullHoldGivesUpItsOldestForTheNewFrame) {
  auto held = std::make_unique<HeldFrames>();
  char text[8];
  for (int i = 0; i < kHeldFrameCapacity; ++i) {
    std::snprintf(text, sizeof text, "%d", i);
    EXPECT_FALSE(held->Push(Frame(text), 0));
  }
  EXPECT_TRUE(held->Push(Frame("new"), 1));
  EXPECT_EQ(held->Count(), kHeldFrameCapacity);
  EXPECT_EQ(TextOf(held->Oldest()), "1");
  for (int i = 1; i < kHeldFrameCapacity; ++i) held->PopOldest();
  EXPECT_EQ(TextOf(held->Oldest()), "new");
}

// The window in front is what the test sets; typed frames are written to `typed` as their
// text and a "|"; a refused bring or a mode that should not bring one is seen in `brings`.
class FakeSystem final : public TargetSystem {
 public:
  Foreground front = Foreground::Other;
  bool bringWorks = false;
  bool stopped = false;
  int brings = 0;
  int switchAwayAfter = -1;  // the user switches away once this many frames are typed
  int pressKeysAfter = -1;   // the user presses a modifier once this many frames are typed
  bool keysHeld = false;
  std::string typed;

  Foreground Front(const char*) override { return front; }
  bool noWindow = false;  // no target window is open at all
  BringResult BringTargetToFront(const char*) override {
    ++brings;
    if (noWindow) return BringResult::NoWindow;
    if (bringWorks) front = Foreground::Target;
    return bringWorks ? BringResult::InFront : BringResult::Refused;
  }
  void TypeFrame(const ShapedFrame& frame) override {
    typed += TextOf(frame) + "|";
    if (--switchAwayAfter == 0) front = Foreground::Other;
    if (--pressKeysAfter == 0) keysHeld = true;
  }
  bool Stopped() override { return stopped; }
  bool KeysHeld() override { return keysHeld; }
};

struct GateHarness {
  FakeSystem system;
  std::unique_ptr<TargetGate> gate = std::make_unique<TargetGate>(system);
  explicit GateHarness(int mode, const char* targets = "EXCEL.EXE", int waitSeconds = 30) {
    gate->Begin(targets, mode, waitSeconds);
  }
  TargetStep Deliver(const char* text, std::uint32_t now) { return gate->Deliver(Frame(text), now); }
};

TEST(TargetDelivery, WithoutModeOrEntriesEveryFrameIsTypedAtOnce) {
  for (const auto& [mode, targets] : {std::pair{0, "EXCEL.EXE"}, std::pair{1, ""},
                                      std::pair{2, " ; "}, std::pair{7, "EXCEL.EXE"}}) {
    GateHarness h(mode, targets);
    EXPECT_FALSE(h.gate->Active());
    EXPECT_EQ(h.Deliver("a", 0).typed, 1);
    EXPECT_EQ(h.system.typed, "a|");
    EXPECT_EQ(h.system.brings, 0);
    EXPECT_EQ(h.gate->WakeMs(0), 0u);
    EXPECT_EQ(h.gate->Notice(), TargetNotice::None);
  }
}

TEST(TargetDelivery, HeldFramesAreTypedInOrderOnceATargetIsInFront) {
  GateHarness h(kTargetModeWait);
  for (const char* text : {"1", "2", "3"}) {
    const TargetStep step = h.Deliver(text, 0);
    EXPECT_TRUE(step.held);
    EXPECT_EQ(step.typed, 0);
  }
  EXPECT_EQ(h.gate->Notice(), TargetNotice::Waiting);
  EXPECT_EQ(h.gate->Turn(50).typed, 0);
  EXPECT_EQ(h.system.brings, 0) << "mode 1 never brings a window forward";
  h.system.front = Foreground::Target;
  EXPECT_EQ(h.gate->Turn(100).typed, 3);
  EXPECT_EQ(h.system.typed, "1|2|3|");
  EXPECT_EQ(h.gate->Notice(), TargetNotice::None);
  EXPECT_EQ(h.gate->Turn(150).typed, 0);
}

TEST(TargetDelivery, ANewFrameFollowsTheHeldOnesIntoTheTarget) {
  GateHarness h(kTargetModeWait);
  h.Deliver("1", 0);
  h.system.front = Foreground::Target;
  EXPECT_EQ(h.Deliver("2", 10).typed, 2);
  EXPECT_EQ(h.system.typed, "1|2|");
}

TEST(TargetDelivery, TheMainDialogInFrontIsNoTargetInEitherMode) {
  for (const int mode : {kTargetModeWait, kTargetModeFront}) {
    GateHarness h(mode);
    h.system.front = Foreground::MainDialog;
    h.system.bringWorks = true;
    const TargetStep step = h.Deliver("1", 0);
    EXPECT_TRUE(step.held) << mode;
    EXPECT_EQ(h.system.brings, 0) << "no window is pulled over the dialog";
    EXPECT_EQ(h.gate->Turn(20).typed, 0);
    EXPECT_EQ(h.system.typed, "");
    h.system.front = Foreground::Target;
    EXPECT_EQ(h.gate->Turn(40).typed, 1);
    EXPECT_EQ(h.system.typed, "1|");
  }
}

TEST(TargetDelivery, SwitchingAwayWhileTypingKeepsTheRestHeldInOrder) {
  GateHarness h(kTargetModeWait);
  for (const char* text : {"1", "2", "3"}) h.Deliver(text, 0);
  h.system.front = Foreground::Target;
  h.system.switchAwayAfter = 1;
  EXPECT_EQ(h.Deliver("4", 10).typed, 1);
  EXPECT_EQ(h.system.typed, "1|");
  EXPECT_EQ(h.gate->Notice(), TargetNotice::Waiting);
  h.system.front = Foreground::Target;
  h.gate->Turn(20);
  EXPECT_EQ(h.system.typed, "1|2|3|4|");
}

TEST(TargetDelivery, AFrameHeldForTheWaitIsNeverTyped) {
  GateHarness h(kTargetModeWait, "EXCEL.EXE", 2);
  h.Deliver("old", 0);
  h.Deliver("new", 1500);
  EXPECT_EQ(h.gate->WakeMs(1950), 50u) << "the reader wakes when the oldest frame expires";
  EXPECT_EQ(h.gate->Turn(1999).discarded, 0);
  h.system.front = Foreground::Target;
  const TargetStep step = h.gate->Turn(2000);
  EXPECT_EQ(step.discarded, 1);
  EXPECT_EQ(h.system.typed, "new|");
  EXPECT_EQ(h.gate->Notice(), TargetNotice::Discarded) << "a loss stays said after the rest is typed";
  h.Deliver("next", 2100);
  EXPECT_EQ(h.gate->Notice(), TargetNotice::None);
}

TEST(TargetDelivery, ExpiryAndOverflowAreSaidAndBeepWorthy) {
  GateHarness h(kTargetModeWait, "EXCEL.EXE", 1);
  h.Deliver("a", 0);
  EXPECT_EQ(h.gate->Turn(1000).discarded, 1);
  EXPECT_EQ(h.gate->Notice(), TargetNotice::Discarded);
  EXPECT_EQ(h.gate->WakeMs(1000), 0u);
  for (int i = 0; i < kHeldFrameCapacity; ++i) EXPECT_EQ(h.Deliver("x", 1100).discarded, 0);
  EXPECT_EQ(h.gate->Notice(), TargetNotice::Waiting);
  const TargetStep full = h.Deliver("y", 1100);
  EXPECT_TRUE(full.held);
  EXPECT_EQ(full.discarded, 1);
  EXPECT_EQ(h.gate->Notice(), TargetNotice::Discarded);
}

TEST(TargetDelivery, ModeTwoBringsATargetForwardOrHoldsWhenRefused) {
  GateHarness h(kTargetModeFront);
  h.system.noWindow = true;  // no target window open: it waits, no refusal is said
  const TargetStep none = h.Deliver("0", 0);
  EXPECT_TRUE(none.held);
  EXPECT_FALSE(none.refused);
  EXPECT_EQ(h.gate->Notice(), TargetNotice::Waiting);
  h.system.noWindow = false;
  h.system.brings = 0;
  const TargetStep refused = h.Deliver("1", 0);
  EXPECT_TRUE(refused.held);
  EXPECT_EQ(h.system.brings, 1);
  EXPECT_EQ(h.gate->Turn(50).typed, 0);
  EXPECT_EQ(h.system.brings, 1) << "no window is pulled forward between frames";
  EXPECT_TRUE(refused.refused);
  EXPECT_EQ(h.gate->Notice(), TargetNotice::Refused);
  h.system.bringWorks = true;
  EXPECT_EQ(h.Deliver("2", 100).typed, 3);
  EXPECT_EQ(h.system.typed, "0|1|2|");
  EXPECT_EQ(h.gate->Notice(), TargetNotice::None);
}

TEST(TargetDelivery, StopTypesNothingAndEndGivesTheHeldFramesUp) {
  GateHarness h(kTargetModeWait);
  h.Deliver("1", 0);
  h.system.front = Foreground::Target;
  h.system.stopped = true;
  EXPECT_EQ(h.gate->Turn(10).typed, 0);
  EXPECT_EQ(h.gate->Turn(60000).discarded, 0) << "no beep after the stop";
  const TargetStep late = h.Deliver("2", 60000);
  EXPECT_EQ(late.typed + late.discarded, 0);
  EXPECT_FALSE(late.held);
  h.gate->End();
  EXPECT_EQ(h.gate->HeldCount(), 0);
  EXPECT_EQ(h.gate->Notice(), TargetNotice::None);
  EXPECT_EQ(h.system.typed, "");
}

TEST(TargetDelivery, TheReaderLooksAgainSoonOnlyWhileFramesAreHeld) {
  GateHarness h(kTargetModeWait, "EXCEL.EXE", 30);
  EXPECT_EQ(h.gate->WakeMs(0), 0u);
  h.Deliver("1", 0);
  EXPECT_EQ(h.gate->WakeMs(0), kTargetPollMs);
  EXPECT_EQ(h.gate->WakeMs(30000), 1u) << "expired but not yet given up: look at once";
}

// Keys the user holds: every frame waits, in order, with no beep at once; the reader looks
// often; the keys are said once after 3 s, and the frames are typed after the release.
TEST(HeldKeys, FramesWaitInOrderWhileAKeyIsHeldWithOrWithoutTargets) {
  for (const auto& [mode, front] : {std::pair{kTargetModeOff, Foreground::Other},
                                    std::pair{kTargetModeWait, Foreground::Target}}) {
    GateHarness h(mode);
    h.system.front = front;
    h.system.keysHeld = true;
    for (const char* text : {"1", "2"}) {
      const TargetStep step = h.Deliver(text, 0);
      EXPECT_EQ(step.typed, 0) << mode;
      EXPECT_FALSE(step.held) << "no beep for a frame that only waits for keys";
    }
    EXPECT_EQ(h.gate->WakeMs(0), mode == 0 ? kHeldKeyPollMs : kTargetPollMs);
    EXPECT_EQ(h.gate->Turn(100).typed, 0);
    h.system.keysHeld = false;
    EXPECT_EQ(h.gate->Turn(120).typed, 2);
    EXPECT_EQ(h.Deliver("3", 130).typed, 1);
    EXPECT_EQ(h.system.typed, "1|2|3|");
    EXPECT_EQ(h.gate->Notice(), TargetNotice::None);
    EXPECT_EQ(h.gate->WakeMs(130), 0u);
  }
}

TEST(HeldKeys, ANewFrameJoinsTheHeldOnesAfterTheReleaseAndAKeyPressedStopsTheRest) {
  GateHarness h(kTargetModeOff);
  h.system.keysHeld = true;
  h.Deliver("1", 0);
  h.Deliver("2", 0);
  h.system.keysHeld = false;
  h.system.pressKeysAfter = 1;
  EXPECT_EQ(h.Deliver("3", 10).typed, 1) << "the keys are looked at before each frame";
  EXPECT_EQ(h.system.typed, "1|");
  h.system.keysHeld = false;
  h.gate->Turn(20);
  EXPECT_EQ(h.system.typed, "1|2|3|");
}

TEST(HeldKeys, AreSaidOnceAfterThreeSecondsUntilReleasedAcrossTheClockWrap) {
  const std::uint32_t t0 = 0xFFFFF000u;  // the clock wraps 4096 ms later
  GateHarness h(kTargetModeOff);
  h.system.keysHeld = true;
  h.Deliver("1", t0);
  EXPECT_FALSE(h.gate->Turn(t0 + kHeldKeyNoticeMs - 1).keysNotice);
  EXPECT_EQ(h.gate->Notice(), TargetNotice::None);
  EXPECT_TRUE(h.gate->Turn(t0 + kHeldKeyNoticeMs).keysNotice);
  EXPECT_EQ(h.gate->Notice(), TargetNotice::KeysHeld);
  EXPECT_FALSE(h.gate->Turn(t0 + 5000).keysNotice) << "one beep per holding";
  EXPECT_EQ(h.gate->Notice(), TargetNotice::KeysHeld);
  h.system.keysHeld = false;
  EXPECT_EQ(h.gate->Turn(t0 + 5100).typed, 1);
  EXPECT_EQ(h.gate->Notice(), TargetNotice::None);
  EXPECT_EQ(h.system.typed, "1|");
}

TEST(HeldKeys, StopAndEndGiveTheWaitingFramesUpUntyped) {
  GateHarness h(kTargetModeOff);
  h.system.keysHeld = true;
  h.Deliver("1", 0);
  h.gate->Turn(kHeldKeyNoticeMs);
  h.gate->End();
  EXPECT_EQ(h.gate->HeldCount(), 0);
  EXPECT_EQ(h.gate->Notice(), TargetNotice::None);
  h.system.keysHeld = false;
  h.gate->Turn(kHeldKeyNoticeMs + 10);
  EXPECT_EQ(h.system.typed, "");
}

}  // namespace
