// The code notation: the text form in which codes and keys are edited ("x1B x24 x42",
// "v11+v43 v0D"), its parser with the display string that shows what a text means, and the
// canonical text written back from stored lists.
//
// Key lists are stored as KeyItems, byte lists as bytes; both are shown by the names of their
// codes (CharCodeNames, VirtualKeyNames), which the output display, the log's spelled-out
// control codes and the key code list use too.
#pragma once
#include <cstddef>
#include <cstdint>

// One element of a key list: bits 0-7 the code, KEYITEM_VKEY marks a virtual-key code (else a
// character byte), KEYITEM_HOLD marks a key held down together with the next item. 0 is an
// empty slot and ends a list.
using KeyItem = std::uint16_t;

inline constexpr KeyItem KEYITEM_VKEY = 0x100;
inline constexpr KeyItem KEYITEM_HOLD = 0x200;

inline constexpr int kMaxKeyItems = 10;  // items of a key list (PRECODE, POSTCODE)
inline constexpr int kMaxCodeBytes = 5;  // bytes of a byte list (RCVSTA, KANJIIN, ...)
inline constexpr int kMaxRequestBytes = 20;  // bytes of the request sent to the device (REQCODE)

// Display names: 256, one per byte value (code page 932 text), and 256, one per virtual-key
// code ("" for a code that has no name).
extern const char* const CharCodeNames[256];
extern const char* const VirtualKeyNames[256];

enum class NotationMode {
  Bytes,  // up to 5 codes, blank-separated, no V tokens
  Keys,   // up to 10 items, blank or "+" separated, V tokens accepted
};

inline constexpr int kNotationDisplaySize = 100;  // 99 characters and the terminator
// Room for the display of a byte list of up to 20 codes: each shows in at most 5 characters
// ("<SOH>") and a blank.
inline constexpr int kByteListDisplaySize = 128;

struct CodeNotation {
  KeyItem items[kMaxKeyItems];  // slot i holds token i, 0 for an error or no token
  char display[kNotationDisplaySize];
};

struct ByteCodes {
  std::uint8_t bytes[kMaxCodeBytes];
  char display[kNotationDisplaySize];
};

// Never fails as a whole: a bad token leaves its slot 0 and shows "Err". In byte mode only
// the first 5 slots can be set.
CodeNotation ParseCodeNotation(const char* text, NotationMode mode);

// Byte mode, with each slot packed into one byte.
ByteCodes ParseByteCodes(const char* text);

// Byte mode for a list of `count` bytes (KANJIIN has 5, the request to the device 20): token i
// goes to bytes[i], 0 for an error or no token; what the text means goes to display (at most
// displaySize - 1 characters).
void ParseByteList(const char* text, std::uint8_t* bytes, int count, char* display, std::size_t displaySize);

// Canonical text of a byte list (reads at most 5 bytes, up to the first 0) or of a key list
// (at most 10 items, up to the first 0). out gets at most size - 1 characters; 100 is always
// enough.
void FormatCodeNotation(const std::uint8_t* bytes, char* out, std::size_t size);
void FormatCodeNotation(const KeyItem* items, char* out, std::size_t size);
// The same for a byte list of at most `count` bytes; 4 characters a byte are enough.
void FormatByteList(const std::uint8_t* bytes, int count, char* out, std::size_t size);
