// The framing state machine of reception: feeds received bytes through the frame codes
// (RCVSTA, RCVEND), the shift codes (KANJIIN, KANJIOUT, KANAIN, KANAOUT) and the two-byte
// character test, and outputs each character as soon as it is complete. The state is the
// received bytes not yet resolved, the partial match in progress, the shift mode, the frame
// flags and the start of a UTF-8 character that the last read ended inside of. The program
// keeps one state for its reader thread; tests build fresh ones. Nothing here allocates.
//
// framer.cpp holds the state and the byte loop with its shortcuts, framer_stages.cpp the
// stages of one step and what happens at the frame's boundaries.
#pragma once
#include <cstdint>

#include "config/settings.h"
#include "framing/frame_output.h"
#include "framing/shift_jis_conversion.h"

// ---- the state ----------------------------------------------------------------------------

// Capacity of the accumulator, terminator included. In operation it holds at most the longest
// code (5 bytes), so the capacity is never approached.
inline constexpr int kAccumulatorSize = 20;

// Codes that the bytes from position 0 up to ScanPos still match.
inline constexpr std::uint32_t CAND_KANJIIN = 0x01;
inline constexpr std::uint32_t CAND_KANJIOUT = 0x02;
inline constexpr std::uint32_t CAND_KANAIN = 0x04;
inline constexpr std::uint32_t CAND_KANAOUT = 0x08;
inline constexpr std::uint32_t CAND_RCVSTA = 0x10;
inline constexpr std::uint32_t CAND_RCVEND = 0x20;
inline constexpr std::uint32_t CAND_SHIFT_CODES = 0x0F;

// Shift modes.
inline constexpr std::uint32_t SHIFT_NONE = 0;          // single-byte data
inline constexpr std::uint32_t SHIFT_KANJI_FIRST = 1;   // JIS mode, next byte starts a pair
inline constexpr std::uint32_t SHIFT_KANJI_SECOND = 2;  // JIS mode, first byte of a pair held
inline constexpr std::uint32_t SHIFT_KANA = 8;          // half-width kana mode

struct FramerState {
  std::uint8_t Accumulator[kAccumulatorSize] = {};  // NUL-terminated
  std::int32_t ScanPos = 0;                         // index of the byte the next step examines
  std::uint32_t Candidates = 0;                     // CAND_* bits
  std::uint32_t ShiftState = SHIFT_NONE;            // SHIFT_* value
  bool InFrame = false;    // data is output; outside a frame it is discarded
  bool FrameOpen = false;  // a start code opened the frame and POSTCODE is owed
  // With no RCVSTA configured: PRECODE has been typed for the current frame.
  bool PrecodeTyped = false;
  // With UTF-8 conversion: the incomplete character at the end of the last block, converted
  // with the next block; dropped when the data interval ends, at a reset and at a start.
  Utf8Carry Utf8Tail;
};

// Number of bytes held (up to the terminator, at most kAccumulatorSize - 1).
int AccumulatorLength(const FramerState& st);
// Appends one byte after the held ones. The capacity is never reached in operation; should it
// be, the oldest byte is given up rather than writing past the buffer.
void AppendToAccumulator(FramerState& st, std::uint8_t b);
// Removes the first n bytes, moves the rest (and the terminator) to the front, ScanPos = 0.
void DropFront(FramerState& st, int n);
// What the main dialog's fill and "クリア" do: empties the accumulator, forgets any partial
// match and any carried UTF-8 bytes, and returns to single-byte mode. The frame flags are left
// as they are.
void ResetFraming(FramerState& st);
// Frame flags at the start of reception: with RCVSTA configured data waits for a start code;
// without it all data is in the frame from the outset. UTF-8 bytes carried from before a stop
// are dropped.
void InitFrameFlags(FramerState& st, const SettingsRecord& settings);

// ---- framing ------------------------------------------------------------------------------

// One framing step on the byte at ScanPos (which must not be the terminator).
void FramingStep(FramerState& st, const SettingsRecord& s, FrameOutput& out);
// Appends one received byte and runs framing steps until every held byte has been examined.
// A 0x00 byte is dropped: it is never typed or logged and can be part of no code.
void FrameByte(FramerState& st, const SettingsRecord& s, FrameOutput& out, std::uint8_t b);
// FrameByte for each of n bytes.
void FrameBytes(FramerState& st, const SettingsRecord& s, FrameOutput& out,
                const std::uint8_t* bytes, int n);
// The frame ends without an end code (a data-interval timeout, the device gone): the output is
// told (FrameEnded, then LogFlush), with RCVSTA configured data leaves the frame, and no
// POSTCODE is owed any more.
void EndFrame(FramerState& st, const SettingsRecord& s, FrameOutput& out);

// The frame ends without its end code (the data interval, the device gone): a character's
// first byte still waiting for its partner (a Shift_JIS lead byte, the first byte of a JIS
// pair) is dropped with the frame; a frame code or shift code partly matched stays held.
void DropHeldCharacterStart(FramerState& st);

// ---- between framer.cpp and framer_stages.cpp ---------------------------------------------

namespace framing {

// A byte that can be either byte of a JIS X 0208 pair (taken on its low 7 bits).
inline bool IsJisByte(std::uint8_t b) { return (b & 0x7F) >= 0x21 && (b & 0x7F) <= 0x7E; }

// Byte p of a code; 0 past its end and outside 0..kMaxCodeBytes-1. A code ends at its first 0
// byte and never has more than kMaxCodeBytes bytes, whatever the record holds after them.
inline std::uint8_t CodeByte(const CodeBytes& code, int p) {
  return p >= 0 && p < kMaxCodeBytes ? code[p] : 0;
}
// The code has no byte after p.
inline bool CodeEndsAt(const CodeBytes& code, int p) { return CodeByte(code, p + 1) == 0; }

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
// Logs and types one zero-terminated character of the frame. With no RCVSTA configured the
// first character of each frame is preceded by PRECODE.
void OutputCharacter(FramerState& st, const SettingsRecord& s, FrameOutput& out,
                     const std::uint8_t* ch);

}  // namespace framing
