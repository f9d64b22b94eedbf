// The echo's way from the reader to the dialog: slots are taken in turn, a slot is not written
// again before the dialog has given it back, and what the dialog reads is whole and in order.
#include <gtest/gtest.h>

#include <atomic>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

#include "framing/echo_ring.h"

namespace {

TEST(EchoRing, SlotsGoInTurnAndAFilledOneIsNotWrittenAgain) {
  static EchoRing ring;  // 64 KB: not on the stack
  for (int i = 0; i < kEchoSlots; ++i) {
    const std::string text = "x3" + std::to_string(i);
    EXPECT_EQ(ring.Put(text.c_str(), static_cast<int>(text.size())), i);
  }
  EXPECT_EQ(ring.Put("x41", 3), -1) << "the dialog has not taken slot 0 yet";
  EXPECT_STREQ(ring.Text(0), "x30");
  ring.Release(0);
  EXPECT_EQ(ring.Text(0), nullptr);
  EXPECT_EQ(ring.Put("x41 x42", 7), 0);
  EXPECT_STREQ(ring.Text(0), "x41 x42");
  EXPECT_STREQ(ring.Text(1), "x31") << "the other slots keep their texts";
  EXPECT_EQ(ring.Text(kEchoSlots), nullptr);
  EXPECT_EQ(ring.Text(-1), nullptr);
  for (int i = 0; i < kEchoSlots; ++i) ring.Release(i);
  // Too long a text is cut to the slot, terminated.
  const std::string longText(kEchoTextSize + 10, 'x');
  const int slot = ring.Put(longText.c_str(), static_cast<int>(longText.size()));
  ASSERT_GE(slot, 0);
  EXPECT_EQ(std::string(ring.Text(slot)).size(), static_cast<std::size_t>(kEchoTextSize - 1));
}

// The reader puts numbered texts of varying length as fast as it can while a slower dialog
// takes them from its message queue: every text taken is whole and they come in order; the
// ones that found no free slot are the only ones missing.
TEST(EchoRing, ATextTakenIsWholeAndInOrderWhileTheReaderRunsAhead) {
  static EchoRing ring;
  constexpr int kTexts = 20000;
  std::mutex queueLock;
  std::deque<int> queue;  // the posted slot indexes
  std::atomic<bool> done{false};
  int dropped = 0;
  std::thread reader([&] {
    for (int n = 0; n < kTexts; ++n) {
      // "n:", then as many blanks as n % 300, then "n" again: a torn text shows.
      const std::string number = std::to_string(n);
      const std::string text = number + ":" + std::string(static_cast<std::size_t>(n % 300), ' ') + number;
      const int slot = ring.Put(text.c_str(), static_cast<int>(text.size()));
      if (slot < 0) {
        ++dropped;
        continue;
      }
      std::lock_guard<std::mutex> guard(queueLock);
      queue.push_back(slot);
    }
    done = true;
  });
  int taken = 0, last = -1;
  bool whole = true, ordered = true;
  for (;;) {
    int slot = -1;
    {
      std::lock_guard<std::mutex> guard(queueLock);
      if (!queue.empty()) {
        slot = queue.front();
        queue.pop_front();
      }
    }
    if (slot < 0) {
      if (done) {
        std::lock_guard<std::mutex> guard(queueLock);
        if (queue.empty()) break;
      }
      std::this_thread::yield();
      continue;
    }
    const char* text = ring.Text(slot);
    ASSERT_NE(text, nullptr);
    const std::string s(text);
    const int n = std::stoi(s);
    const std::string number = std::to_string(n);
    ordered = ordered && n > last;
    whole = whole && s == number + ":" + std::string(static_cast<std::size_t>(n % 300), ' ') + number;
    last = n;
    ++taken;
    ring.Release(slot);
  }
  reader.join();
  EXPECT_TRUE(whole);
  EXPECT_TRUE(ordered);
  EXPECT_EQ(taken + dropped, kTexts);
  EXPECT_GT(taken, kEchoSlots);
}

}  // namespace
