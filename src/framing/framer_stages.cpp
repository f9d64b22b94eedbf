// The stages of one framing step and what happens at the frame's boundaries: the frame-code
// stage (RCVSTA, RCVEND from position 0 of the accumulator), the data stage (discarding outside
// a frame, shift codes, shift handling, character output), and the start and end-code actions.
#include "common/two_byte_text.h"
#include "framing/framer.h"

namespace framing {

namespace {

// ---- codes and key lists of the settings record, read within their bounds ------------------

int CodeLength(const CodeBytes& code) {
  int n = 0;
  while (n < kMaxCodeBytes && code[n] != 0) ++n;
  return n;
}

void CopyKeyList(const KeySequence& keys, KeyItem* out) {
  int n = 0;
  while (n < kMaxKeyItems && keys[n] != 0) {
    out[n] = keys[n];
    ++n;
  }
  out[n] = 0;
}

// ---- frame actions ---------------------------------------------------------------------------

void TypeKeys(const KeySequence& keys, FrameOutput& out) {
  KeyItem list[kMaxKeyItems + 1];
  CopyKeyList(keys, list);
  out.TypeKeyItems(list);
}

// Without a start code nothing marks the beginning of a frame, so PRECODE goes before the
// first thing the frame types.
void TypePrecodeIfOwed(FramerState& st, const SettingsRecord& s, FrameOutput& out) {
  if (IsConfigured(s.RCVSTA) || st.PrecodeTyped) return;
  st.PrecodeTyped = true;
  if (IsConfigured(s.PRECODE)) TypeKeys(s.PRECODE, out);
}

// A kept code is logged whole and typed whole, one character at a time.
void OutputCode(const CodeBytes& code, FrameOutput& out) {
  std::uint8_t whole[kMaxCodeBytes + 1] = {};  // the code and its terminator
  const int n = CodeLength(code);
  for (int i = 0; i < n; ++i) whole[i] = code[i];
  out.LogAppend(whole);
  TypeCharacters(whole, n, out);
}

// Where a frame ends: the output ends the frame's typing, then writes its record.
void NotifyFrameEnded(FrameOutput& out) {
  out.FrameEnded();
  out.LogFlush();
}

// With RCVSTA configured data leaves the frame; no POSTCODE is owed any more.
void LeaveFrame(FramerState& st, const SettingsRecord& s) {
  if (IsConfigured(s.RCVSTA)) st.InFrame = false;
  st.FrameOpen = false;
  st.PrecodeTyped = false;
}

void RunStartCodeActions(FramerState& st, const SettingsRecord& s, FrameOutput& out) {
  if (st.FrameOpen && IsConfigured(s.POSTCODE)) TypeKeys(s.POSTCODE, out);
  st.FrameOpen = true;
  NotifyFrameEnded(out);  // the frame before ends here
  if (IsConfigured(s.PRECODE)) TypeKeys(s.PRECODE, out);
  if (s.RCVSTAOUT == 0) OutputCode(s.RCVSTA, out);
  st.InFrame = true;
}

void RunEndCodeActions(FramerState& st, const SettingsRecord& s, FrameOutput& out) {
  if (s.RCVENDOUT == 0) {
    TypePrecodeIfOwed(st, s, out);
    OutputCode(s.RCVEND, out);
  }
  if (IsConfigured(s.POSTCODE)) TypeKeys(s.POSTCODE, out);
  ::EndFrame(st, s, out);
}

// ---- frame-code stage --------------------------------------------------------------------------

// At a fresh position only one frame code is looked for: outside a frame the start code;
// inside one the end code, or the start code when no end code is configured.
std::uint32_t SeedFrameCandidate(const FramerState& st, const SettingsRecord& s, std::uint8_t b) {
  if (st.InFrame && IsConfigured(s.RCVEND)) return b == s.RCVEND[0] ? CAND_RCVEND : 0;
  return IsConfigured(s.RCVSTA) && b == s.RCVSTA[0] ? CAND_RCVSTA : 0;
}

// ---- data stage ------------------------------------------------------------------------------

struct ShiftCode {
  const CodeBytes SettingsRecord::*code;
  std::uint32_t bit;
  std::uint32_t nextState;
};

// In the order in which completion is tested.
constexpr ShiftCode kShiftCodes[] = {
    {&SettingsRecord::KANJIIN, CAND_KANJIIN, SHIFT_KANJI_FIRST},
    {&SettingsRecord::KANAIN, CAND_KANAIN, SHIFT_KANA},
    {&SettingsRecord::KANJIOUT, CAND_KANJIOUT, SHIFT_NONE},
    {&SettingsRecord::KANAOUT, CAND_KANAOUT, SHIFT_NONE},
};

// The shift codes the current mode allows to begin.
std::uint32_t AllowedShiftCodes(std::uint32_t shift) {
  const bool kana = shift == SHIFT_KANA;
  const bool kanji = shift == SHIFT_KANJI_FIRST || shift == SHIFT_KANJI_SECOND;
  std::uint32_t allowed = 0;
  if (shift == SHIFT_NONE || kana) allowed |= CAND_KANJIIN;
  if (!kana) allowed |= CAND_KANAIN;
  if (kanji) allowed |= CAND_KANJIOUT;
  if (kana) allowed |= CAND_KANAOUT;
  return allowed;
}

StageResult ShiftCodeStage(FramerState& st, const SettingsRecord& s) {
  const int p = st.ScanPos;
  const std::uint8_t b = st.Accumulator[p];
  if (p == 0) {
    const std::uint32_t allowed = AllowedShiftCodes(st.ShiftState);
    st.Candidates = 0;
    for (const ShiftCode& c : kShiftCodes) {
      if ((allowed & c.bit) != 0 && IsConfigured(s.*c.code) && (s.*c.code)[0] == b) {
        st.Candidates |= c.bit;
      }
    }
    if (st.Candidates == 0) return StageResult::NoMatch;
  } else {
    if (st.Candidates == 0) return StageResult::NoMatch;  // a held byte, no code in progress
    for (const ShiftCode& c : kShiftCodes) {
      if (CodeByte(s.*c.code, p) != b) st.Candidates &= ~c.bit;
    }
    if (st.Candidates == 0) return StageResult::MatchFailed;
  }

  for (const ShiftCode& c : kShiftCodes) {
    if ((st.Candidates & c.bit) != 0 && CodeEndsAt(s.*c.code, p)) {
      st.ShiftState = c.nextState;
      st.Candidates = 0;
      DropFront(st, p + 1);  // shift codes are never typed or logged
      return StageResult::Done;
    }
  }
  ++st.ScanPos;
  return StageResult::Done;
}

// Removes the byte at index i; the bytes after it move up and are examined afresh.
void RemoveAt(FramerState& st, int i) {
  const int length = AccumulatorLength(st);
  for (int j = i + 1; j <= length; ++j) st.Accumulator[j - 1] = st.Accumulator[j];
  st.ScanPos = 0;
}

// Removes the two bytes at p-1 and p (a JIS pair with no Shift_JIS equivalent).
void RemovePair(FramerState& st, int p) {
  const int length = AccumulatorLength(st);
  for (int i = p + 1; i <= length; ++i) st.Accumulator[i - 2] = st.Accumulator[i];
  st.ScanPos = 0;
}

// Shift handling of the byte at ScanPos; false when the step has ended without output.
bool ApplyShift(FramerState& st) {
  const int p = st.ScanPos;
  std::uint8_t& b = st.Accumulator[p];
  switch (st.ShiftState) {
    case SHIFT_KANJI_SECOND:
      if (p > 0 && !IsJisByte(b)) {
        // No pair: the held first byte is dropped and this byte is examined afresh, so a
        // frame or shift code that begins with it is still found.
        RemoveAt(st, p - 1);
        st.ShiftState = SHIFT_KANJI_FIRST;
        return false;
      }
      if (p > 0) {
        const std::uint16_t sj = JisToShiftJis(st.Accumulator[p - 1] & 0x7F, b & 0x7F);
        st.ShiftState = SHIFT_KANJI_FIRST;
        if (sj == 0) {
          RemovePair(st, p);  // nothing to output: the pair disappears
          return false;
        }
        st.Accumulator[p - 1] = static_cast<std::uint8_t>(sj >> 8);
        b = static_cast<std::uint8_t>(sj & 0xFF);
        st.ScanPos = p - 1;
        return true;
      }
      [[fallthrough]];  // no first byte is held: this byte is the first of a pair
    case SHIFT_KANJI_FIRST:
      if (!IsJisByte(b)) {
        RemoveAt(st, p);  // begins no pair: no character, neither typed nor logged
        return false;
      }
      ++st.ScanPos;  // the byte waits for its partner
      st.ShiftState = SHIFT_KANJI_SECOND;
      return false;
    case SHIFT_KANA:
      if (b >= 0x21 && b <= 0x5F) b |= 0x80;
      return true;
    default:
      return true;
  }
}

// Outputs the character at the front of the accumulator, or holds a lead byte whose trail
// byte has not arrived yet (also across blocks).
void OutputFront(FramerState& st, const SettingsRecord& s, FrameOutput& out) {
  std::uint8_t ch[3] = {st.Accumulator[0], 0, 0};
  if (IsTwoByteClass(ch[0])) {
    if (st.Accumulator[1] == 0) {
      ++st.ScanPos;
      return;
    }
    if (!IsTrailByte(st.Accumulator[1])) {
      // No character: the lead byte is dropped (neither typed nor logged) and the byte after
      // it is examined afresh, so an end code after a stray high byte still ends the frame.
      DropFront(st, 1);
      return;
    }
    ch[1] = st.Accumulator[1];
  }
  DropFront(st, ch[1] != 0 ? 2 : 1);
  OutputCharacter(st, s, out, ch);
}

}  // namespace

void OutputCharacter(FramerState& st, const SettingsRecord& s, FrameOutput& out,
                     const std::uint8_t* ch) {
  TypePrecodeIfOwed(st, s, out);
  out.LogAppend(ch);
  out.TypeCharacter(ch);
}

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

void DataStage(FramerState& st, const SettingsRecord& s, FrameOutput& out, bool failedMatch) {
  if (!st.InFrame) {
    // Outside a frame the byte is discarded. A shift code partly matched when a timeout
    // closed the frame is forgotten too, or the frame-code stage would never run again.
    DropFront(st, 1);
    st.Candidates = 0;
    return;
  }
  if (IsConfigured(s.KANJIIN) || IsConfigured(s.KANAIN)) {
    if (!failedMatch) {
      const StageResult r = ShiftCodeStage(st, s);
      if (r == StageResult::Done) return;
      failedMatch = r == StageResult::MatchFailed;
    }
    // A failed partial code gives up its first byte as data; the shift mode applies to that
    // byte, and the bytes after it are examined afresh.
    if (failedMatch) st.ScanPos = 0;
    if (!ApplyShift(st)) return;
  }
  OutputFront(st, s, out);
}

}  // namespace framing

void EndFrame(FramerState& st, const SettingsRecord& s, FrameOutput& out) {
  framing::NotifyFrameEnded(out);
  framing::LeaveFrame(st, s);
}
