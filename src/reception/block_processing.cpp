#include "reception/block_processing.h"

#include "reception/framer.h"

void EchoBlock(ReceptionHost& host, const std::uint8_t* block, int n) {
  if (n <= 0 || !host.MainDialogInFront()) return;
  static constexpr char kHex[] = "0123456789ABCDEF";
  // The display gets text with the first byte, so only that one can go without a blank.
  bool blank = host.EchoDisplayHasText();
  for (int i = 0; i < n; ++i) {
    if (blank) host.EchoChar(' ');
    host.EchoChar('x');
    host.EchoChar(kHex[block[i] >> 4]);
    host.EchoChar(kHex[block[i] & 0x0F]);
    blank = true;
  }
}

namespace {

void ConvertAndFrame(FramerState& st, const SettingsRecord& s, FrameOutput& out,
                     ReceptionHost& host, const std::uint8_t* block, int n) {
  std::uint8_t converted[kConvertedPieceSize];
  for (int offset = 0; offset < n; offset += kConvertPieceBytes) {
    const int piece = n - offset < kConvertPieceBytes ? n - offset : kConvertPieceBytes;
    converted[0] = 0;
    int m = host.Utf8ToShiftJis(block + offset, piece, converted, kConvertedPieceSize);
    if (m < 0) m = 0;
    if (m > kConvertedPieceSize - 1) m = kConvertedPieceSize - 1;
    FrameBytes(st, s, out, converted, m);
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
