// The time one frame pattern match takes: patterns that are catastrophic for a backtracking
// engine on 2000-unit frames (the largest frame), and a preset on a usual balance line. The
// counters give the program's size and the instructions visited, against the bound.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "shaping/frame_pattern.h"

namespace {

void Match(benchmark::State& state, const char16_t* pattern, std::u16string text) {
  auto compiled = std::make_unique<FramePattern>();
  auto work = std::make_unique<FramePatternWork>();
  const char* error = nullptr;
  const std::u16string p = pattern;
  if (!CompileFramePattern(p.data(), static_cast<int>(p.size()), *compiled, &error)) {
    state.SkipWithError("pattern refused");
    return;
  }
  const int n = static_cast<int>(text.size());
  FramePatternMatch m;
  for (auto _ : state) benchmark::DoNotOptimize(MatchFramePattern(*compiled, text.data(), n, *work, m));
  state.counters["units"] = n;
  state.counters["instructions"] = compiled->size;
  state.counters["steps"] = static_cast<double>(work->steps);
  state.counters["bound"] = static_cast<double>(FramePatternStepBound(*compiled, n));
}

const std::u16string kAs(2000, u'a');

}  // namespace

BENCHMARK_CAPTURE(Match, nested_star, u"(a*)*b", kAs)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Match, overlapping_alternatives, u"(a|aa)+$", kAs.substr(1) + u"b")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Match, nine_dot_stars, u".*.*.*.*.*.*.*.*.*=", kAs)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Match, counted_in_counted, u"(?:a{0,10}){0,10}b", kAs)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Match, largest_program, u"(?:a?){0,60}c", kAs)->Unit(benchmark::kMillisecond);
// The dearest pattern found under the bound of steps per unit (kFramePatternStepsPerUnit).
BENCHMARK_CAPTURE(Match, worst_under_the_step_bound, u"(?:\\w+\\s?){0,70}$", kAs.substr(1) + u"!")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Match, nested_empty_loops, u"(?:(?:(?:(?:a?)*)*)*)*c", kAs)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Match, words_to_end, u"^(\\w+\\s?)*$", kAs.substr(1) + u"!")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Match, stable_reading_line, u"^ST,\\s*(-?)\\+?0*(\\d+(?:\\.\\d+)?)",
                  u"ST,+00012.34  g")->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
