// Frame-code stage: matches RCVSTA or RCVEND from position 0 of the accumulator.
#include "reception/frame_actions.h"
#include "reception/frame_codes.h"
#include "reception/framer_stages.h"

namespace framing {

namespace {

// At a fresh position only one frame code is looked for: outside a frame the start code;
// inside one the end code, or the start code when no end code is configured.
std::uint32_t SeedFrameCandidate(const FramerState& st, const SettingsRecord& s, std::uint8_t b) {
  if (st.InFrame && IsConfigured(s.RCVEND)) return b == s.RCVEND[0] ? CAND_RCVEND : 0;
  return IsConfigured(s.RCVSTA) && b == s.RCVSTA[0] ? CAND_RCVSTA : 0;
}

}  // namespace

StageResult FrameCodeStage(FramerState& st, const SettingsRecord& s, FrameOutput& out) {
  const int p = st.ScanPos;
  const std::uint8_t b = st.Accumulator[p];
  if (p == 0) {
    st.Candidates = SeedFrameCandidate(st, s, b);
    if (st.Candidates == 0) return StageResult::NoMatch;
  } else {
    if (st.Candidates == 0) return StageResult::NoMatch;  // a held byte, no code in progress
    if (CodeByte(s.RCVSTA, p) != b) st.Candidates &= ~CAND_RCVSTA;
    if (CodeByte(s.RCVEND, p) != b) st.Candidates &= ~CAND_RCVEND;
    if (st.Candidates == 0) return StageResult::MatchFailed;
  }

  const bool start = (st.Candidates & CAND_RCVSTA) != 0 && CodeEndsAt(s.RCVSTA, p);
  const bool end = !start && (st.Candidates & CAND_RCVEND) != 0 && CodeEndsAt(s.RCVEND, p);
  if (!start && !end) {
    ++st.ScanPos;
    return StageResult::Done;
  }
  st.Candidates = start ? CAND_RCVSTA : CAND_RCVEND;
  st.ShiftState = SHIFT_NONE;
  if (start) {
    RunStartCodeActions(st, s, out);
  } else {
    RunEndCodeActions(st, s, out);
  }
  st.Candidates = 0;
  DropFront(st, p + 1);
  return StageResult::Done;
}

}  // namespace framing
