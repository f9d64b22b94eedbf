// The settings record: one field per key of the settings file, in record order. The program
// keeps one process-wide instance, `Settings`; portable units take a record explicitly so that
// tests can build fresh ones.
#pragma once
#include <cstdint>

#include "keyout/code_notation.h"

// A code: up to 5 bytes ending at the first 0 byte, followed by a byte that is always 0.
using CodeBytes = std::uint8_t[kMaxCodeBytes + 1];
// A key sequence: up to 10 items ending at the first 0 item, followed by an item that is always 0.
using KeySequence = KeyItem[kMaxKeyItems + 1];

inline constexpr int kLogFolderSize = 1025;  // 1024 characters and the terminator
inline constexpr int kLogFileSize = 51;      // 50 characters and the terminator
inline constexpr int kShortTextSize = 101;          // 100 bytes and the terminator
inline constexpr int kFilterSize = kShortTextSize;  // the frame pattern
inline constexpr int kTargetSize = kShortTextSize;  // the names of the target windows

// The request to the device: up to 20 bytes ending at the first 0 byte, then a byte that is
// always 0.
using RequestBytes = std::uint8_t[kMaxRequestBytes + 1];
// A short text: at most 100 bytes of code page 932 and the terminator (FILTER, TARGET).
using ShortText = char[kShortTextSize];

struct SettingsRecord {
  std::uint8_t PORT;       // port number minus one: 0 is COM1
  std::uint8_t BAUD;       // 0 = 115200 ... 6 = 2400
  std::uint8_t BITS;       // 0 = 7 data bits, 1 = 8
  std::uint8_t PARITY;     // 0 None, 1 Even, 2 Odd
  std::uint8_t STOPBIT;    // 0 = 1, 1 = 1.5, 2 = 2
  std::uint8_t RTSC;       // 0 Disable, 1 Enable, 2 HandShake, 3 Toggle
  std::uint8_t CTSC;       // CTS output flow control
  std::uint8_t XFLOWC;     // XON/XOFF flow control
  std::uint8_t CONVCODE;   // UTF-8 to Shift_JIS conversion of received data
  std::int16_t DATADELAY;  // ms without data that end a frame; 0 = never
  std::int16_t DATAWAIT;   // ms pause after the port signals data, before reading
  std::int16_t SENDDELAY;  // ms pause after Alt goes down for an Alt code
  std::uint8_t AUTOSTA;    // start reception when the main dialog first shows
  CodeBytes KANJIIN;
  CodeBytes KANJIOUT;
  CodeBytes KANAIN;
  CodeBytes KANAOUT;
  CodeBytes RCVSTA;
  CodeBytes RCVEND;
  std::uint8_t RCVSTAOUT;  // 1: the start code is removed from the output
  std::uint8_t RCVENDOUT;  // 1: the end code is removed from the output
  KeySequence PRECODE;
  KeySequence POSTCODE;
  std::uint8_t LOGEXEC;
  std::uint8_t LOGNOSEND;
  std::uint8_t LOGOPENMD;  // 0 new file, 1 append
  std::int32_t LOGFLSIZE;  // size limit in MB, 0..2000
  std::uint8_t LOGDSPMSG;
  std::uint8_t LOGABORT;
  char LOGFOLDER[kLogFolderSize];
  char LOGFILE[kLogFileSize];
  std::uint8_t LOGNAME;
  std::uint8_t LOGWDATE;
  std::uint8_t LOGWTIME;
  std::uint8_t LOGADDENT;
  std::uint8_t SENDMODE;   // 0 Alt codes on the keypad, 1 Unicode packets
  // Requests sent to the device while receiving; never typed, never logged.
  RequestBytes REQCODE;
  std::int16_t REQTIMER;    // ms between requests, 0 = none
  std::uint8_t REQAFTER;    // 1: send the request again after each frame ends
  std::uint16_t REQHOTKEY;  // global hot key: virtual key low byte, HOTKEYF_* high byte; 0 none
  // Whole-frame shaping.
  ShortText FILTER;          // pattern whose capture groups are typed; empty = no pattern
  std::int16_t DUPTIME;      // ms within which a repeated frame is skipped, 0 = never
  // The window that receives the keys.
  ShortText TARGET;          // entries separated by ";"; empty = whatever window is in front
  std::uint8_t TARGETMODE;   // 0 any window, 1 wait until a target is in front, 2 bring it there
  std::int16_t TARGETWAIT;   // seconds a held frame waits for its target, 1..3600
};

// A code or key sequence is configured when its first element is not 0.
inline bool IsConfigured(const CodeBytes& code) { return code[0] != 0; }
inline bool IsConfigured(const KeySequence& keys) { return keys[0] != 0; }
inline bool IsConfigured(const RequestBytes& request) { return request[0] != 0; }

// Zero everything, then set the defaults that are not zero.
void SetDefaultSettings(SettingsRecord& s);

// The process-wide record.
extern SettingsRecord Settings;
