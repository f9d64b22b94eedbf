// What the reader thread does with the framing state between and with its reads: one block
// read from the port (Caps Lock off around it, the echo of the received codes, the optional
// UTF-8 conversion and the framing of every byte), the data-interval timeout that ends a frame
// when no data comes, and the reset that the GUI thread asks for.
#pragma once
#include <atomic>
#include <cstdint>

#include "config/settings.h"
#include "framing/frame_output.h"
#include "framing/framer.h"

// What block processing needs of the platform besides the frame output.
class ReceptionHost {
 public:
  virtual ~ReceptionHost() = default;
  virtual bool CapsLockOn() = 0;         // Caps Lock's toggle state
  virtual void ToggleCapsLock() = 0;     // one synthetic Caps Lock press and release
  virtual void Pause(std::uint32_t ms) = 0;
  virtual bool MainDialogInFront() = 0;  // the main dialog is the foreground window
  // The echo of received bytes (`length` characters, zero-terminated), for the input code
  // display, which puts a blank before it when it already holds text.
  virtual void Echo(const char* text, int length) = 0;
  // See Utf8ToShiftJis in shift_jis_conversion.h (same contract).
  virtual int Utf8ToShiftJis(const std::uint8_t* src, int srcLength, std::uint8_t* dst,
                             int dstCapacity) = 0;
};

// Bytes converted from UTF-8 in one piece: the bytes carried from the last block and then as
// much of the block as fits (a block of 2047 bytes after a carry takes two pieces).
inline constexpr int kConvertPieceBytes = 2048;
// Shift_JIS takes at most two bytes per UTF-16 unit, so a converted piece always fits.
inline constexpr int kConvertedPieceSize = 2 * kConvertPieceBytes + 1;
// Pause after Caps Lock has been switched back on.
inline constexpr std::uint32_t kCapsLockRestorePauseMs = 10;

// Processes the n bytes of block (n <= 0: nothing happens). Every byte is echoed, 0x00
// included; 0x00 bytes are not framed but the bytes after them are. With CONVCODE 1 an
// incomplete UTF-8 character at the end of the block is kept in st and converted with the
// next block.
void ProcessBlock(FramerState& st, const SettingsRecord& s, FrameOutput& out, ReceptionHost& host,
                  const std::uint8_t* block, int n);
// Bytes whose echo goes to the host in one piece: a whole block read from the port (2047 bytes
// at most) is one piece.
inline constexpr int kEchoPieceBytes = 2048;
// "x%02X" per byte, blank-separated, with the terminator.
inline constexpr int kEchoTextSize = 4 * kEchoPieceBytes;
// The echo alone: "x%02X" per byte, blank-separated, handed to the host in pieces of at most
// kEchoPieceBytes bytes; only when the main dialog is in front.
void EchoBlock(ReceptionHost& host, const std::uint8_t* block, int n);

// The data-interval timeout: DATADELAY milliseconds without received data end the frame.
// When data has been received (lastReceiveTime != 0), DATADELAY is positive and at least
// DATADELAY ms have passed since (unsigned 32-bit difference, so a clock wrap still times
// out): sets lastReceiveTime to 0 and ends the frame without its end code
// (CutFrame); returns true.
bool CheckDataIntervalTimeout(FramerState& st, const SettingsRecord& s, FrameOutput& out,
                              std::uint32_t now, std::uint32_t& lastReceiveTime);
// The frame ends by the data interval or because the device went away: carried UTF-8 bytes
// and a character's first byte still waiting for its partner are dropped with it (they would
// garble the next frame's first character), then EndFrame. POSTCODE is not typed; a partial
// code or shift mode held stays as it is.
void CutFrame(FramerState& st, const SettingsRecord& s, FrameOutput& out);

// A reset of the framing state asked for by the GUI thread ("クリア", or the dialog's refill)
// and carried out by the reader thread before its next block, so that the state is only
// ever written by one thread.
class FramingResetRequest {
 public:
  // Any thread.
  void RequestReset() { pending_.store(true, std::memory_order_release); }
  // The thread that owns the state: ResetFraming if a reset was asked for; true when done.
  bool ApplyPendingReset(FramerState& st) {
    if (!pending_.exchange(false, std::memory_order_acq_rel)) return false;
    ResetFraming(st);
    return true;
  }

 private:
  std::atomic<bool> pending_{false};
};
