// The framing state machine: feeds received bytes through the frame codes (RCVSTA, RCVEND),
// the shift codes (KANJIIN, KANJIOUT, KANAIN, KANAOUT) and the two-byte character test, and
// outputs each character as soon as it is complete.
#pragma once
#include <cstdint>

#include "config/settings.h"
#include "reception/frame_output.h"
#include "reception/framer_state.h"

// One framing step on the byte at ScanPos (which must not be the terminator).
void FramingStep(FramerState& st, const SettingsRecord& s, FrameOutput& out);
// Appends one received byte and runs framing steps until every held byte has been examined.
// A 0x00 byte is dropped: it is never typed or logged and can be part of no code.
void FrameByte(FramerState& st, const SettingsRecord& s, FrameOutput& out, std::uint8_t b);
// FrameByte for each of n bytes.
void FrameBytes(FramerState& st, const SettingsRecord& s, FrameOutput& out,
                const std::uint8_t* bytes, int n);
