// What happens at frame boundaries, and the output of one character inside a frame.
#pragma once
#include <cstdint>

#include "config/settings.h"
#include "reception/frame_output.h"
#include "reception/framer_state.h"

// A start code has completed: POSTCODE owed by the previous frame, log flush, PRECODE, the
// start code itself unless removed (RCVSTAOUT 0: logged whole and typed character by
// character), and the frame opens.
void RunStartCodeActions(FramerState& st, const SettingsRecord& s, FrameOutput& out);
// An end code has completed: the end code unless removed, POSTCODE, log flush, frame end.
void RunEndCodeActions(FramerState& st, const SettingsRecord& s, FrameOutput& out);
// After an end code and at a data-interval timeout: with RCVSTA configured data leaves the
// frame; no POSTCODE is owed any more.
void FrameEndBookkeeping(FramerState& st, const SettingsRecord& s);
// Logs and types one zero-terminated character of the frame. With no RCVSTA configured the
// first character of each frame is preceded by PRECODE.
void OutputCharacter(FramerState& st, const SettingsRecord& s, FrameOutput& out,
                     const std::uint8_t* ch);
