#include "framing/block_processing.h"

#include <cstring>

void EchoBlock(ReceptionHost& host, const std::uint8_t* block, int n) {
  if (n <= 0 || !host.MainDialogInFront()) return;
  static constexpr char kHex[] = "0123456789ABCDEF";
  char text[kEchoTextSize];
  for (int at = 0; at < n; at += kEchoPieceBytes) {
    const int end = n - at < kEchoPieceBytes ? n : at + kEchoPieceBytes;
    int length = 0;
    for (int i = at; i < end; ++i) {
      if (i > at) text[length++] = ' ';
      text[length++] = 'x';
      text[length++] = kHex[block[i] >> 4];
      text[length++] = kHex[block[i] & 0x0F];
    }
    text[length] = 0;
    host.Echo(text, length);
  }
}

namespace {

// Converts and frames the first `complete` bytes of piece; they end with no incomplete character.
void FrameConverted(FramerState& st, const SettingsRecord& s, FrameOutput& out,
                    ReceptionHost& host, const std::uint8_t* piece, int complete) {
  std::uint8_t converted[kConvertedPieceSize];
  converted[0] = 0;
  int m = host.Utf8ToShiftJis(piece, complete, converted, kConvertedPieceSize);
  if (m < 0) m = 0;
  if (m > kConvertedPieceSize - 1) m = kConvertedPieceSize - 1;
  FrameBytes(st, s, out, converted, m);
}

// The block is converted in pieces of at most kConvertPieceBytes, each starting with the bytes
// carried from before it. A piece ending inside a character (at the end of the block or at a
// piece boundary) keeps that character's bytes for the next piece or block.
void ConvertAndFrame(FramerState& st, const SettingsRecord& s, FrameOutput& out,
                     ReceptionHost& host, const std::uint8_t* block, int n) {
  std::uint8_t piece[kConvertPieceBytes];
  Utf8Carry& carry = st.Utf8Tail;
  int taken = 0;
  while (taken < n) {
    int length = carry.Count < 0 || carry.Count > kUtf8CarryBytes ? 0 : carry.Count;
    std::memcpy(piece, carry.Bytes, static_cast<std::size_t>(length));
    const int count = n - taken < kConvertPieceBytes - length ? n - taken : kConvertPieceBytes - length;
    std::memcpy(piece + length, block + taken, static_cast<std::size_t>(count));
    taken += count;
    length += count;
    int complete = Utf8CompleteLength(piece, length);
    if (complete < length - kUtf8CarryBytes) complete = length;  // never more than the carry holds
    carry.Count = length - complete;
    std::memcpy(carry.Bytes, piece + complete, static_cast<std::size_t>(carry.Count));
    if (complete > 0) FrameConverted(st, s, out, host, piece, complete);
  }
}

}  // namespace

void ProcessBlock(FramerState& st, const SettingsRecord& s, FrameOutput& out, ReceptionHost& host,
                  const std::uint8_t* block, int n) {
  if (block == nullptr || n <= 0) return;
  const bool capsWasOn = host.CapsLockOn();
  if (capsWasOn) host.ToggleCapsLock();
  EchoBlock(host, block, n);
  if (s.CONVCODE == 1) {
    ConvertAndFrame(st, s, out, host, block, n);
  } else {
    FrameBytes(st, s, out, block, n);
  }
  if (capsWasOn) {
    host.ToggleCapsLock();
    host.Pause(kCapsLockRestorePauseMs);
  }
}

bool CheckDataIntervalTimeout(FramerState& st, const SettingsRecord& s, FrameOutput& out,
                              std::uint32_t now, std::uint32_t& lastReceiveTime) {
  if (lastReceiveTime == 0 || s.DATADELAY <= 0) return false;
  if (now - lastReceiveTime < static_cast<std::uint32_t>(s.DATADELAY)) return false;
  lastReceiveTime = 0;
  CutFrame(st, s, out);
  return true;
}

void CutFrame(FramerState& st, const SettingsRecord& s, FrameOutput& out) {
  st.Utf8Tail.Count = 0;  // the device has stopped inside a character: it is never completed
  DropHeldCharacterStart(st);
  EndFrame(st, s, out);
}
