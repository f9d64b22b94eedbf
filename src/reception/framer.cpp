#include "reception/framer.h"

#include "reception/frame_actions.h"
#include "reception/frame_codes.h"
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

namespace {

// The common case, decided without entering the accumulator: nothing is held, the byte is
// inside a frame, in single-byte mode, is no lead byte and can begin no code. Framing it
// would output it at once as a character of its own.
bool IsPlainCharacter(const FramerState& st, const SettingsRecord& s, std::uint8_t b) {
  return st.Accumulator[0] == 0 && st.InFrame && st.Candidates == 0 &&
         st.ShiftState == SHIFT_NONE && !framing::IsLeadByte(b) && b != s.RCVSTA[0] &&
         b != s.RCVEND[0] && b != s.KANJIIN[0] && b != s.KANJIOUT[0] && b != s.KANAIN[0] &&
         b != s.KANAOUT[0];
}

}  // namespace

void FrameByte(FramerState& st, const SettingsRecord& s, FrameOutput& out, std::uint8_t b) {
  if (b == 0) return;
  if (IsPlainCharacter(st, s, b)) {
    const std::uint8_t ch[2] = {b, 0};
    st.ScanPos = 0;
    if (st.PeakLength < 1) st.PeakLength = 1;
    OutputCharacter(st, s, out, ch);
    return;
  }
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
