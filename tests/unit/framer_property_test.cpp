// Properties: how the port happens to cut the data into blocks never changes what is typed and
// logged, and the accumulator never holds more than the longest code; and the shortcuts of
// FrameByte for common bytes frame exactly as the general steps do. Checked over random
// settings and random streams biased towards the configured codes' bytes.
//
// Reproducible: the run's base seed is printed on failure together with the failing case;
// TAMBLIX_PROPERTY_SEED=<n> replays from another base seed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <string>

#include "framing/framer.h"
#include "support/framing_fakes.h"

namespace {

constexpr int kCases = 10000;
constexpr int kMaxStream = 4096;
constexpr std::uint32_t kDefaultSeed = 20261207;

using Rng = std::mt19937;

unsigned Pick(Rng& rng, unsigned n) { return std::uniform_int_distribution<unsigned>(0, n - 1)(rng); }

// Codes drawn from a small alphabet, so that they share bytes and prefixes with each other.
void RandomCode(Rng& rng, CodeBytes& code, const Bytes& alphabet) {
  SetCode(code, {});
  if (Pick(rng, 3) == 0) return;  // not configured
  const int len = 1 + static_cast<int>(Pick(rng, kMaxCodeBytes));
  for (int i = 0; i < len; ++i) code[i] = alphabet[Pick(rng, static_cast<unsigned>(alphabet.size()))];
}

void RandomKeys(Rng& rng, KeySequence& keys) {
  SetKeys(keys, {});
  const int n = static_cast<int>(Pick(rng, 4));
  for (int i = 0; i < n; ++i) {
    keys[i] = static_cast<KeyItem>((1 + Pick(rng, 0xFF)) | (Pick(rng, 2) ? KEYITEM_VKEY : 0) |
                                   (Pick(rng, 4) == 0 ? KEYITEM_HOLD : 0));
  }
}

SettingsRecord RandomSettings(Rng& rng) {
  SettingsRecord s = PlainSettings();
  Bytes alphabet = {0x02, 0x03, 0x0D, 0x0A, 0x1B, 0x24, 0x28, 0x42, 0x0E, 0x0F, 0x41, 0x81, 0xE0};
  alphabet.resize(3 + Pick(rng, static_cast<unsigned>(alphabet.size()) - 2));
  RandomCode(rng, s.RCVSTA, alphabet);
  RandomCode(rng, s.RCVEND, alphabet);
  if (Pick(rng, 2)) {
    RandomCode(rng, s.KANJIIN, alphabet);
    RandomCode(rng, s.KANJIOUT, alphabet);
    RandomCode(rng, s.KANAIN, alphabet);
    RandomCode(rng, s.KANAOUT, alphabet);
  }
  s.RCVSTAOUT = static_cast<std::uint8_t>(Pick(rng, 2));
  s.RCVENDOUT = static_cast<std::uint8_t>(Pick(rng, 2));
  RandomKeys(rng, s.PRECODE);
  RandomKeys(rng, s.POSTCODE);
  return s;
}

// Whole codes, single code bytes, JIS bytes, lead bytes, the odd 0x00 and anything else.
Bytes RandomStream(Rng& rng, const SettingsRecord& s) {
  const CodeBytes* codes[] = {&s.RCVSTA, &s.RCVEND, &s.KANJIIN, &s.KANJIOUT, &s.KANAIN, &s.KANAOUT};
  const unsigned length = Pick(rng, 10) == 0 ? Pick(rng, kMaxStream + 1) : Pick(rng, 257);
  Bytes out;
  out.reserve(length + kMaxCodeBytes);
  while (out.size() < length) {
    const CodeBytes& code = *codes[Pick(rng, 6)];
    switch (Pick(rng, 10)) {
      case 0: case 1:
        for (int i = 0; i < kMaxCodeBytes && code[i] != 0; ++i) out.push_back(code[i]);
        break;
      case 2: case 3:
        if (code[0] != 0) out.push_back(code[Pick(rng, 2) && code[1] != 0 ? 1 : 0]);
        break;
      case 4: case 5: out.push_back(static_cast<std::uint8_t>(0x21 + Pick(rng, 0x5E))); break;
      case 6: out.push_back(static_cast<std::uint8_t>(Pick(rng, 2) ? 0x80 + Pick(rng, 0x20) : 0xE0 + Pick(rng, 0x20))); break;
      case 7: if (Pick(rng, 4) == 0) out.push_back(0x00); break;
      default: out.push_back(static_cast<std::uint8_t>(Pick(rng, 256))); break;
    }
  }
  out.resize(length);
  return out;
}

struct Feed {
  std::string log;
  int maxHeld = 0;  // the most bytes held after a block (after each byte when fed bytewise)
};

// Feeds the stream in blocks whose sizes come from `cut` and returns what was produced.
template <typename Cut>
Feed FeedInBlocks(const SettingsRecord& s, const Bytes& stream, Cut cut) {
  FramingHarness h;
  h.s = s;
  h.Start();
  Feed f;
  std::size_t at = 0;
  while (at < stream.size()) {
    std::size_t n = cut(stream.size() - at);
    if (n == 0) n = 1;
    ProcessBlock(h.st, h.s, h.out, h.host, stream.data() + at, static_cast<int>(n));
    at += n;
    f.maxHeld = std::max(f.maxHeld, AccumulatorLength(h.st));
  }
  f.log = std::move(h.log);
  return f;
}

std::uint32_t BaseSeed() {
  const char* env = std::getenv("TAMBLIX_PROPERTY_SEED");
  return env != nullptr ? static_cast<std::uint32_t>(std::strtoul(env, nullptr, 10)) : kDefaultSeed;
}

TEST(FramerProperty, BlockBoundariesNeverChangeTheOutputAndTheAccumulatorStaysSmall) {
  const std::uint32_t base = BaseSeed();
  int framesSeen = 0;
  for (int c = 0; c < kCases; ++c) {
    Rng rng(base + static_cast<std::uint32_t>(c));
    const SettingsRecord s = RandomSettings(rng);
    const Bytes stream = RandomStream(rng, s);

    const Feed whole = FeedInBlocks(s, stream, [](std::size_t left) { return left; });
    const Feed single = FeedInBlocks(s, stream, [](std::size_t) { return std::size_t{1}; });
    const Feed split = FeedInBlocks(s, stream, [&](std::size_t left) {
      return static_cast<std::size_t>(1 + Pick(rng, static_cast<unsigned>(std::min<std::size_t>(left, 64))));
    });

    if (whole.log.find(" F") != std::string::npos) ++framesSeen;
    ASSERT_EQ(whole.log, single.log) << "base seed " << base << ", case " << c;
    ASSERT_EQ(whole.log, split.log) << "base seed " << base << ", case " << c;
    // At most a partial code is held after a byte, so the byte after it makes at most 5.
    ASSERT_LT(whole.maxHeld, kMaxCodeBytes) << "base seed " << base << ", case " << c;
    ASSERT_LT(single.maxHeld, kMaxCodeBytes) << "base seed " << base << ", case " << c;
    ASSERT_LT(split.maxHeld, kMaxCodeBytes) << "base seed " << base << ", case " << c;
  }
  // The streams must actually exercise frames, or the property says little.
  EXPECT_GT(framesSeen, kCases / 4);
}

// Frames with the general steps only: append each byte and step until every held byte has been
// examined, as FrameByte does when it takes no shortcut.
void FrameStepwise(FramingHarness& h, const Bytes& stream) {
  for (std::uint8_t b : stream) {
    if (b == 0) continue;
    AppendToAccumulator(h.st, b);
    while (h.st.ScanPos >= 0 && h.st.ScanPos < kAccumulatorSize && h.st.Accumulator[h.st.ScanPos] != 0) {
      FramingStep(h.st, h.s, h.out);
    }
  }
}

std::string StateText(const FramerState& st) {
  return "held=" + std::string(reinterpret_cast<const char*>(st.Accumulator)) +
         " scan=" + std::to_string(st.ScanPos) + " shift=" + std::to_string(st.ShiftState) +
         " cand=" + std::to_string(st.Candidates) + " in=" + std::to_string(st.InFrame);
}

// A kanji-heavy case besides the random ones, so that the pair shortcuts surely run.
// The shift-out code either shares its first byte with the shift-in code or has its own.
SettingsRecord JisSettings(Rng& rng) {
  SettingsRecord s = RandomSettings(rng);
  SetCode(s.KANJIIN, {0x1B, 0x24, 0x42});
  if (Pick(rng, 2)) {
    SetCode(s.KANJIOUT, {0x1B, 0x28, 0x42});
  } else {
    SetCode(s.KANJIOUT, {0x0F});
  }
  return s;
}

TEST(FramerProperty, ShortcutsFrameExactlyAsTheGeneralSteps) {
  const std::uint32_t base = BaseSeed();
  for (int c = 0; c < kCases; ++c) {
    Rng rng(base + 7919u * static_cast<std::uint32_t>(c));
    const SettingsRecord s = c % 2 ? JisSettings(rng) : RandomSettings(rng);
    const Bytes stream = RandomStream(rng, s);
    FramingHarness fast, steps;
    fast.s = steps.s = s;
    fast.Start();
    steps.Start();
    FrameBytes(fast.st, fast.s, fast.out, stream.data(), static_cast<int>(stream.size()));
    FrameStepwise(steps, stream);
    ASSERT_EQ(fast.log, steps.log) << "base seed " << base << ", case " << c;
    ASSERT_EQ(StateText(fast.st), StateText(steps.st)) << "base seed " << base << ", case " << c;
  }
}

}  // namespace
