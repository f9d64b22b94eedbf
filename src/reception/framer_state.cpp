#include "reception/framer_state.h"

#include <cstring>

#include "config/settings.h"

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
