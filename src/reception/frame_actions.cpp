#include "reception/frame_actions.h"

#include "common/two_byte_text.h"
#include "reception/frame_codes.h"

namespace {

using framing::CodeLength;

void TypeKeys(const KeySequence& keys, FrameOutput& out) {
  KeyItem list[kMaxKeyItems + 1];
  framing::CopyKeyList(keys, list);
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
  std::uint8_t whole[kMaxCodeBytes + 1];
  framing::CopyCode(code, whole);
  out.LogAppend(whole);
  const int n = CodeLength(code);
  for (int i = 0; i < n;) {
    const int len = IsTwoByteClass(whole[i]) && i + 1 < n ? 2 : 1;
    std::uint8_t ch[3] = {whole[i], len == 2 ? whole[i + 1] : std::uint8_t{0}, 0};
    out.TypeCharacter(ch);
    i += len;
  }
}

}  // namespace

void RunStartCodeActions(FramerState& st, const SettingsRecord& s, FrameOutput& out) {
  if (st.FrameOpen && IsConfigured(s.POSTCODE)) TypeKeys(s.POSTCODE, out);
  st.FrameOpen = true;
  out.LogFlush();
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
  out.LogFlush();
  FrameEndBookkeeping(st, s);
}

void FrameEndBookkeeping(FramerState& st, const SettingsRecord& s) {
  if (IsConfigured(s.RCVSTA)) st.InFrame = false;
  st.FrameOpen = false;
  st.PrecodeTyped = false;
}

void OutputCharacter(FramerState& st, const SettingsRecord& s, FrameOutput& out,
                     const std::uint8_t* ch) {
  TypePrecodeIfOwed(st, s, out);
  out.LogAppend(ch);
  out.TypeCharacter(ch);
}
