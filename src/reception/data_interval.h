// The data-interval timeout: DATADELAY milliseconds without received data end the frame.
#pragma once
#include <cstdint>

#include "config/settings.h"
#include "reception/frame_output.h"
#include "reception/framer_state.h"

// When data has been received (lastReceiveTime != 0), DATADELAY is positive and at least
// DATADELAY ms have passed since (unsigned 32-bit difference, so a clock wrap still times
// out): flushes the log buffer, sets lastReceiveTime to 0, drops carried UTF-8 bytes, runs the
// frame-end bookkeeping and returns true. POSTCODE is not typed; a partial code or shift mode
// held stays as it is.
bool CheckDataIntervalTimeout(FramerState& st, const SettingsRecord& s, FrameOutput& out,
                              std::uint32_t now, std::uint32_t& lastReceiveTime);
