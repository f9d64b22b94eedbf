// The two stages of one framing step (used by framer.cpp only).
#pragma once
#include "config/settings.h"
#include "reception/frame_output.h"
#include "reception/framer_state.h"

namespace framing {

enum class StageResult {
  Done,       // the step has ended
  NoMatch,    // no code is being matched at this byte: the byte is data
  MatchFailed // a partial code failed: its first byte is data, the rest is examined afresh
};

// Matching of RCVSTA / RCVEND; runs the start and end-code actions when one completes.
StageResult FrameCodeStage(FramerState& st, const SettingsRecord& s, FrameOutput& out);
// Discarding outside a frame, shift codes, shift handling and character output. After a
// failed frame code (failedMatch) the first held byte goes straight to the shift handling.
void DataStage(FramerState& st, const SettingsRecord& s, FrameOutput& out, bool failedMatch);

}  // namespace framing
