// Throughput of framing on 1 MB streams with an output sink that does nothing.
#include <benchmark/benchmark.h>

#include <vector>

#include "config/settings.h"
#include "framing/framer.h"

namespace {

class NullOutput : public FrameOutput {
 public:
  void TypeCharacter(const std::uint8_t*) override {}
  void TypeKeyItems(const KeyItem*) override {}
  void LogAppend(const std::uint8_t*) override {}
  void FrameEnded() override {}
  int LogFlush() override { return 0; }
};

constexpr std::size_t kStreamBytes = 1 << 20;
constexpr int kBlockBytes = 2047;  // the largest block one read delivers

std::vector<std::uint8_t> Repeat(const std::vector<std::uint8_t>& unit) {
  std::vector<std::uint8_t> v;
  v.reserve(kStreamBytes);
  while (v.size() < kStreamBytes) v.push_back(unit[v.size() % unit.size()]);
  return v;
}

void FrameStream(benchmark::State& state, const SettingsRecord& s, const std::vector<std::uint8_t>& data) {
  NullOutput out;
  FramerState st;
  InitFrameFlags(st, s);
  for (auto _ : state) {
    for (std::size_t at = 0; at < data.size(); at += kBlockBytes) {
      const std::size_t n = data.size() - at < kBlockBytes ? data.size() - at : kBlockBytes;
      FrameBytes(st, s, out, data.data() + at, static_cast<int>(n));
    }
    benchmark::DoNotOptimize(st.Accumulator);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(data.size()));
}

void BM_PlainData(benchmark::State& state) {
  SettingsRecord s;
  SetDefaultSettings(s);
  FrameStream(state, s, Repeat({'0', '1', '2', '3', '4', '5', '6', '7', '8', '9', 'A', 'B', 'C'}));
}

void BM_StxEtxFrames(benchmark::State& state) {
  SettingsRecord s;
  SetDefaultSettings(s);
  s.RCVSTA[0] = 0x02;
  s.RCVEND[0] = 0x03;
  s.RCVSTAOUT = s.RCVENDOUT = 1;
  s.POSTCODE[0] = KEYITEM_VKEY | 0x0D;
  FrameStream(state, s, Repeat({0x02, '4', '9', '1', '2', '3', '4', '5', '6', '7', '8', '9', '0', 0x03, 0x0D}));
}

void BM_JisKanji(benchmark::State& state) {
  SettingsRecord s;
  SetDefaultSettings(s);
  const std::uint8_t in[] = {0x1B, 0x24, 0x42}, out[] = {0x1B, 0x28, 0x42};
  for (int i = 0; i < 3; ++i) {
    s.KANJIIN[i] = in[i];
    s.KANJIOUT[i] = out[i];
  }
  s.KANAIN[0] = 0x0E;
  s.KANAOUT[0] = 0x0F;
  FrameStream(state, s, Repeat({0x1B, 0x24, 0x42, 0x30, 0x21, 0x30, 0x22, 0x34, 0x41, 0x46, 0x7C, 0x4B,
                                0x5C, 0x1B, 0x28, 0x42, 0x41, 0x42}));
}

}  // namespace

BENCHMARK(BM_PlainData);
BENCHMARK(BM_StxEtxFrames);
BENCHMARK(BM_JisKanji);
BENCHMARK_MAIN();
