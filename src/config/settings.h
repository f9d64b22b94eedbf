// The settings record and its file. The record has one field per key of the settings file; the
// program keeps one process-wide instance, `Settings`, and portable units take a record
// explicitly so that tests can build fresh ones. kSettingFields is the one description of each
// field (its key, its member, the values it accepts); the file and the settings dialogs'
// control tables are derived from it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <variant>

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
inline constexpr int kPortIdSize = 201;             // PORTID: 200 bytes and the terminator

// The request to the device: up to 20 bytes ending at the first 0 byte, then a byte that is
// always 0.
using RequestBytes = std::uint8_t[kMaxRequestBytes + 1];
// A short text: at most 100 bytes of code page 932 and the terminator (FILTER, TARGET,
// OUTPUT).
using ShortText = char[kShortTextSize];
// The identity of the followed serial device (PORTID): at most 200 bytes and the terminator.
using PortIdText = char[kPortIdSize];

// The shortest interval of timed device requests: a shorter REQTIMER (a file can hold 1) would
// flood the line, so the dialog and the schedule both raise it to this.
inline constexpr int kMinRequestTimerMs = 100;

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
  std::uint8_t SENDMODE;   // 0 Alt codes on the keypad, 1 Unicode packets, 2 paste (clipboard)
  // Requests sent to the device while receiving; never typed, never logged.
  RequestBytes REQCODE;
  std::int16_t REQTIMER;    // ms between requests, 0 = none; 1-99 count as kMinRequestTimerMs
  std::uint8_t REQAFTER;    // 1: send the request again after each frame ends
  std::uint16_t REQHOTKEY;  // global hot key: virtual key low byte, HOTKEYF_* high byte; 0 none
  // Whole-frame shaping.
  ShortText FILTER;          // pattern whose capture groups are typed; empty = no pattern
  std::int16_t DUPTIME;      // ms within which a repeated frame is skipped, 0 = never
  // The window that receives the keys.
  ShortText TARGET;          // entries separated by ";"; empty = whatever window is in front
  std::uint8_t TARGETMODE;   // 0 any window, 1 wait until a target is in front, 2 bring it there
  std::int16_t TARGETWAIT;   // seconds a held frame waits for its target, 1..3600
  std::uint8_t IMEOFF;       // 1: an open input method is closed while a frame is typed
  ShortText OUTPUT;          // output template: groups and keys typed per frame; empty = none
  // Where the bytes come from.
  std::uint8_t SOURCE;       // 0 the COM port, 1 TCP client, 2 TCP server, 3 Telnet client
  ShortText TCPHOST;         // client: the device's host; server: the local address to listen on
  std::uint16_t TCPPORT;     // 1..65535
  ShortText TCPALLOW;        // server: the addresses allowed to connect, ";" between; empty = none
  // The serial device followed whatever COM number it has; empty = the COM port of PORT.
  PortIdText PORTID;
};

// A code or key sequence is configured when its first element is not 0.
inline bool IsConfigured(const CodeBytes& code) { return code[0] != 0; }
inline bool IsConfigured(const KeySequence& keys) { return keys[0] != 0; }
inline bool IsConfigured(const RequestBytes& request) { return request[0] != 0; }

// Zero everything, then set the defaults that are not zero.
void SetDefaultSettings(SettingsRecord& s);

// The process-wide record.
extern SettingsRecord Settings;

// ---- the key table -------------------------------------------------------------------------

// The member a key sets. Its type says how the value is held: a number of one element; an
// array of numbers (a code, the request, a key sequence) whose last element is the terminator
// and is never set; or a char array, a text.
using SettingMember =
    std::variant<std::uint8_t SettingsRecord::*, std::int16_t SettingsRecord::*,
                 std::uint16_t SettingsRecord::*, std::int32_t SettingsRecord::*,
                 CodeBytes SettingsRecord::*, RequestBytes SettingsRecord::*,
                 KeySequence SettingsRecord::*, ShortText SettingsRecord::*, PortIdText SettingsRecord::*,
                 char (SettingsRecord::*)[kLogFolderSize], char (SettingsRecord::*)[kLogFileSize]>;

// How numbers are written: decimal ("%d"), or hexadecimal of two digits per byte of an element
// ("%02X" for bytes, "%04X" for wider elements; the file carries at most 16 bits of one).
enum class Notation : std::uint8_t { Decimal, Hex };

struct SettingField {
  const char* key;        // the key followed by "="
  SettingMember member;
  long min = 0;           // the range of each number element; unused for a text
  long max = 0;
  Notation notation = Notation::Decimal;
};

// One row per line of the settings file, in file order.
inline constexpr SettingField kSettingFields[] = {
    {"PORT=", &SettingsRecord::PORT, 0, 255},
    {"BAUD=", &SettingsRecord::BAUD, 0, 6},
    {"BITS=", &SettingsRecord::BITS, 0, 1},
    {"PARITY=", &SettingsRecord::PARITY, 0, 2},
    {"STOPBIT=", &SettingsRecord::STOPBIT, 0, 2},
    {"RTSC=", &SettingsRecord::RTSC, 0, 3},
    {"CTSC=", &SettingsRecord::CTSC, 0, 1},
    {"XFLOWC=", &SettingsRecord::XFLOWC, 0, 1},
    {"AUTOSTA=", &SettingsRecord::AUTOSTA, 0, 1},
    {"DATADELAY=", &SettingsRecord::DATADELAY, 0, 2000},
    {"CONVCODE=", &SettingsRecord::CONVCODE, 0, 1},
    {"DATAWAIT=", &SettingsRecord::DATAWAIT, 0, 2000},
    {"SENDDELAY=", &SettingsRecord::SENDDELAY, 0, 2000},
    {"KANJIIN=", &SettingsRecord::KANJIIN, 0, 255, Notation::Hex},
    {"KANJIOUT=", &SettingsRecord::KANJIOUT, 0, 255, Notation::Hex},
    {"KANAIN=", &SettingsRecord::KANAIN, 0, 255, Notation::Hex},
    {"KANAOUT=", &SettingsRecord::KANAOUT, 0, 255, Notation::Hex},
    {"RCVSTA=", &SettingsRecord::RCVSTA, 0, 255, Notation::Hex},
    {"RCVEND=", &SettingsRecord::RCVEND, 0, 255, Notation::Hex},
    {"RCVSTAOUT=", &SettingsRecord::RCVSTAOUT, 0, 1},
    {"RCVENDOUT=", &SettingsRecord::RCVENDOUT, 0, 1},
    {"PRECODE=", &SettingsRecord::PRECODE, 0, 65535, Notation::Hex},
    {"POSTCODE=", &SettingsRecord::POSTCODE, 0, 65535, Notation::Hex},
    {"LOGEXEC=", &SettingsRecord::LOGEXEC, 0, 1},
    {"LOGNOSEND=", &SettingsRecord::LOGNOSEND, 0, 1},
    {"LOGOPENMD=", &SettingsRecord::LOGOPENMD, 0, 1},
    {"LOGFLSIZE=", &SettingsRecord::LOGFLSIZE, 0, 2000, Notation::Hex},
    {"LOGDSPMSG=", &SettingsRecord::LOGDSPMSG, 0, 1},
    {"LOGABORT=", &SettingsRecord::LOGABORT, 0, 1},
    {"LOGFOLDER=", &SettingsRecord::LOGFOLDER},
    {"LOGFILE=", &SettingsRecord::LOGFILE},
    {"LOGNAME=", &SettingsRecord::LOGNAME, 0, 1},
    {"LOGADDENT=", &SettingsRecord::LOGADDENT, 0, 1},
    {"LOGWDATE=", &SettingsRecord::LOGWDATE, 0, 1},
    {"LOGWTIME=", &SettingsRecord::LOGWTIME, 0, 1},
    // Added after the last of the original keys, so that older programs, which ignore lines
    // of keys they do not know, still read the file; a file without it loads with 0.
    {"SENDMODE=", &SettingsRecord::SENDMODE, 0, 2},
    // Added after SENDMODE in the same way; a file without them loads with the defaults.
    {"REQCODE=", &SettingsRecord::REQCODE, 0, 255, Notation::Hex},
    {"REQTIMER=", &SettingsRecord::REQTIMER, 0, 30000},
    {"REQAFTER=", &SettingsRecord::REQAFTER, 0, 1},
    {"REQHOTKEY=", &SettingsRecord::REQHOTKEY, 0, 65535, Notation::Hex},
    {"FILTER=", &SettingsRecord::FILTER},
    {"DUPTIME=", &SettingsRecord::DUPTIME, 0, 30000},
    {"TARGET=", &SettingsRecord::TARGET},
    {"TARGETMODE=", &SettingsRecord::TARGETMODE, 0, 2},
    {"TARGETWAIT=", &SettingsRecord::TARGETWAIT, 1, 3600},
    {"IMEOFF=", &SettingsRecord::IMEOFF, 0, 1},
    {"OUTPUT=", &SettingsRecord::OUTPUT},
    {"SOURCE=", &SettingsRecord::SOURCE, 0, 3},
    {"TCPHOST=", &SettingsRecord::TCPHOST},
    {"TCPPORT=", &SettingsRecord::TCPPORT, 1, 65535},
    {"TCPALLOW=", &SettingsRecord::TCPALLOW},
    {"PORTID=", &SettingsRecord::PORTID},
};

// The row of a key, found while compiling (a key not in the table does not compile).
consteval const SettingField& SettingKey(std::string_view key) {
  std::size_t i = 0;
  while (key != kSettingFields[i].key) ++i;
  return kSettingFields[i];
}

// ---- the settings file ---------------------------------------------------------------------
// A header line and one "KEY=value" line per row of the key table, CR LF, code page 932 text.

// The product-and-version string; the header line of the file is "[" + it + "]".
inline constexpr char kProductVersion[] = "Tamblix( TM ) Ver.2.5.2";

// Room for a settings file path: 1023 characters and the terminator.
inline constexpr int kSettingsPathSize = 1024;

// Characters of a key with its "=" at most (settings.cpp checks the table against it).
inline constexpr int kSettingsKeyMax = 16;
// A line is read whole up to this many characters: the longest key, a LOGFOLDER of 1024
// characters and the line end. The rest of a longer line is skipped, so it never sets a key.
inline constexpr int kSettingsLineMax = kSettingsKeyMax + (kLogFolderSize - 1) + 2;

// line has no line end. A line that begins with a key of the key table sets that field; any
// other line is ignored.
void ApplySettingsLine(SettingsRecord& s, const char* line);

// Sets the defaults, then applies every line of the file at path. A missing or unreadable file
// leaves the defaults; bad lines and bad values are skipped silently.
void ReadSettingsFile(SettingsRecord& s, const char* path);

// Writes the whole record to path through a temporary file beside it, which replaces the
// target only once it is complete. Returns false when nothing was replaced; the old file is
// then untouched. Callers report nothing.
bool WriteSettingsFile(const SettingsRecord& s, const char* path);

// The same on streams the caller opened and closes (the file calls stay with the functions
// above; in-memory streams let tests and fuzzing go without the disk). Reading sets the
// defaults first; writing gives true when the whole text reached the stream.
void ReadSettingsStream(SettingsRecord& s, std::FILE* f);
bool WriteSettingsStream(const SettingsRecord& s, std::FILE* f);

// The text of the file for s (at most kSettingsTextSize bytes including the terminator).
inline constexpr int kSettingsTextSize = 4096;
int FormatSettingsText(const SettingsRecord& s, char* out, int size);

// ---- the platform's file calls (settings_win32.cpp, settings_posix.cpp) ----------------------

// Replaces target by source in one step (the source name disappears). False on failure, in
// which case target is untouched.
bool ReplaceFileWith(const char* source, const char* target);

// Creates the folder path (its parent must exist). False when it could not be created,
// including when it exists already.
bool MakeDirectory(const char* path);
