#include "reception/framer.h"

#include "reception/framer_stages.h"

using framing::StageResult;

void FramingStep(FramerState& st, const SettingsRecord& s, FrameOutput& out) {
  bool failed = false;
  if ((st.Candidates & CAND_SHIFT_CODES) == 0 && (IsConfigured(s.RCVSTA) || IsConfigured(s.RCVEND))) {
    const StageResult r = framing::FrameCodeStage(st, s, out);
    if (r == StageResult::Done) return;
    failed = r == StageResult::MatchFailed;
  }
  framing::DataStage(st, s, out, failed);
}

void FrameByte(FramerState& st, const SettingsRecord& s, FrameOutput& out, std::uint8_t b) {
  if (b == 0) return;
  AppendToAccumulator(st, b);
  // Each step either advances ScanPos over a held byte or removes bytes from the front, so
  // the loop ends; ScanPos never passes the terminator.
  while (st.ScanPos >= 0 && st.ScanPos < kAccumulatorSize && st.Accumulator[st.ScanPos] != 0) {
    FramingStep(st, s, out);
  }
  if (st.ScanPos < 0 || st.ScanPos >= kAccumulatorSize) st.ScanPos = 0;
}

void FrameBytes(FramerState& st, const SettingsRecord& s, FrameOutput& out,
                const std::uint8_t* bytes, int n) {
  for (int i = 0; i < n; ++i) FrameByte(st, s, out, bytes[i]);
}
