// The framing state and the byte loop: the accumulator's operations, the frame flags at a start
// and a reset, one framing step, and the shortcuts that frame the common bytes without it.
#include "framing/framer.h"

#include <cstring>

#include "common/two_byte_text.h"

int AccumulatorLength(const FramerState& st) {
  int n = 0;
  while (n < kAccumulatorSize - 1 && st.Accumulator[n] != 0) ++n;
  return n;
}

void AppendToAccumulator(FramerState& st, std::uint8_t b) {
  // After a completed framing loop the byte at ScanPos is the terminator, so the length is
  // known without a scan.
  int n = st.ScanPos;
  if (n < 0 || n >= kAccumulatorSize || st.Accumulator[n] != 0) n = AccumulatorLength(st);
  if (n >= kAccumulatorSize - 1) {
    DropFront(st, 1);
    n = AccumulatorLength(st);
  }
  st.Accumulator[n] = b;
  st.Accumulator[n + 1] = 0;
}

void DropFront(FramerState& st, int n) {
  st.ScanPos = 0;
  if (n <= 0) return;
  int held = 0;  // held bytes up to n
  while (held < n && held < kAccumulatorSize - 1 && st.Accumulator[held] != 0) ++held;
  if (held < n) {  // more than is held: nothing is left
    st.Accumulator[0] = 0;
    return;
  }
  int end = n;
  while (end < kAccumulatorSize - 1 && st.Accumulator[end] != 0) ++end;
  // The bytes after the removed ones and the terminator move to the front.
  for (int i = n; i < end; ++i) st.Accumulator[i - n] = st.Accumulator[i];
  st.Accumulator[end - n] = 0;
}

void ResetFraming(FramerState& st) {
  std::memset(st.Accumulator, 0, sizeof st.Accumulator);
  st.ScanPos = 0;
  st.Candidates = 0;
  st.ShiftState = SHIFT_NONE;
  st.Utf8Tail.Count = 0;
}

void InitFrameFlags(FramerState& st, const SettingsRecord& settings) {
  st.InFrame = !IsConfigured(settings.RCVSTA);
  st.FrameOpen = false;
  st.PrecodeTyped = false;
  st.Utf8Tail.Count = 0;
}

void DropHeldCharacterStart(FramerState& st) {
  if (st.Candidates != 0 || st.Accumulator[0] == 0) return;
  DropFront(st, AccumulatorLength(st));
  if (st.ShiftState == SHIFT_KANJI_SECOND) st.ShiftState = SHIFT_KANJI_FIRST;
}

using framing::OutputCharacter;
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
         st.ShiftState == SHIFT_NONE && !IsTwoByteClass(b) && b != s.RCVSTA[0] &&
         b != s.RCVEND[0] && b != s.KANJIIN[0] && b != s.KANJIOUT[0] && b != s.KANAIN[0] &&
         b != s.KANAOUT[0];
}

// Shift handling runs only while a shift-in code is configured.
bool ShiftCodesConfigured(const SettingsRecord& s) {
  return IsConfigured(s.KANJIIN) || IsConfigured(s.KANAIN);
}

// The two bytes of a JIS kanji pair, decided without the general steps; each shortcut leaves
// exactly the state and output the steps would.
//
// First byte: nothing is held, and the byte can begin neither a frame code nor a shift code,
// so the steps would only hold it as the first of a pair.
bool TakeKanjiFirstByte(FramerState& st, const SettingsRecord& s, std::uint8_t b) {
  if (st.ShiftState != SHIFT_KANJI_FIRST || st.Accumulator[0] != 0 || !st.InFrame ||
      !ShiftCodesConfigured(s) || !framing::IsJisByte(b) ||
      st.Candidates != 0 || b == s.RCVSTA[0] || b == s.RCVEND[0] || b == s.KANJIIN[0] ||
      b == s.KANJIOUT[0] || b == s.KANAIN[0] || b == s.KANAOUT[0]) {
    return false;
  }
  st.Accumulator[0] = b;
  st.Accumulator[1] = 0;
  st.ScanPos = 1;
  st.ShiftState = SHIFT_KANJI_SECOND;
  return true;
}

// Second byte: exactly the first byte of the pair is held and no code is in progress. No code
// can begin at the second position, so the steps would convert the pair and output it, or
// drop a pair that has no Shift_JIS character.
bool TakeKanjiSecondByte(FramerState& st, const SettingsRecord& s, FrameOutput& out, std::uint8_t b) {
  if (st.ShiftState != SHIFT_KANJI_SECOND || st.ScanPos != 1 || st.Accumulator[0] == 0 ||
      st.Accumulator[1] != 0 || !st.InFrame || st.Candidates != 0 || !ShiftCodesConfigured(s) ||
      !framing::IsJisByte(b)) {
    return false;
  }
  const std::uint16_t sj = JisToShiftJis(st.Accumulator[0] & 0x7F, b & 0x7F);
  st.Accumulator[0] = 0;
  st.ScanPos = 0;
  st.ShiftState = SHIFT_KANJI_FIRST;
  if (sj != 0) {
    const std::uint8_t ch[3] = {static_cast<std::uint8_t>(sj >> 8), static_cast<std::uint8_t>(sj & 0xFF), 0};
    OutputCharacter(st, s, out, ch);
  }
  return true;
}

}  // namespace

void FrameByte(FramerState& st, const SettingsRecord& s, FrameOutput& out, std::uint8_t b) {
  if (b == 0) return;
  if (IsPlainCharacter(st, s, b)) {
    const std::uint8_t ch[2] = {b, 0};
    st.ScanPos = 0;
    OutputCharacter(st, s, out, ch);
    return;
  }
  if (TakeKanjiFirstByte(st, s, b) || TakeKanjiSecondByte(st, s, out, b)) return;
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
