// The settings dialogs' controls and the settings they show, free of any window. The main
// dialog's and the extended settings dialog's ("拡張設定") tables have one row per control that
// holds a setting or that reception disables; the Win32 dialogs fill their controls, store
// their changes and enable them from these tables alone. A row's field, and for the extended
// dialog's number edits the values accepted, come from the key table (kSettingFields). The
// rules by which the port text and the number edits become settings and back come first.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>

#include "config/settings.h"

// The range of the number edits (DATADELAY, DATAWAIT, SENDDELAY), in milliseconds.
inline constexpr std::int16_t kIntervalMin = 1;
inline constexpr std::int16_t kIntervalMax = 2000;

// PORT from a port text: the number after the first "COM", low 8 bits, minus one (0 for 0).
// False when the text holds no "COM" (PORT then stays as it was).
bool PortFromText(const char* text, std::uint8_t* port);

// The port text shown for PORT: "COM" and PORT + 1. out gets at most size - 1 characters.
void FormatPortText(std::uint8_t port, char* out, std::size_t size);

// What a number edit stores for its text: the number at its start ("%d" as atoi reads it,
// 0 for none) held to kIntervalMin..kIntervalMax. `replace` is set when the value was held,
// so that the edit shows the stored value instead of its text.
struct HeldNumber {
  std::int16_t value;
  bool replace;
};
HeldNumber HoldIntervalText(const char* text);

// What a number edit of the extended settings dialog stores for its text, checked when the
// dialog is confirmed: an empty text is 0; a text of anything but digits, or a number outside
// min..max, is refused; a number from 1 to below raiseTo becomes raiseTo (0 raises nothing).
struct CheckedNumber {
  bool accepted;
  std::int32_t value;
};
CheckedNumber CheckNumberText(const char* text, std::int32_t min, std::int32_t max, std::int32_t raiseTo);

enum class ControlKind {
  Port,       // combo box with an edit field: PORT as "COMn", its list from the registry
  List,       // drop-down list: the field is the index of the selected entry
  Check,      // check box: the field is 0 or 1
  Number,     // edit: an interval in ms, held to kIntervalMin..kIntervalMax
  ByteCodes,  // edit: a code (5 bytes) or the request (20) in code notation, shown readably
  Keys,       // edit: a key sequence in code notation, shown readably
  Text,       // edit: a short code page 932 text, cut to its field at a character boundary
  HotKey,     // hot key control: the field is its value (virtual key, modifier flags above)
  Follow,     // check box: checked while the field (PORTID) names a device; the dialog fills it
  Button,     // push button, group box or list that fills an edit: only enabled or disabled
};

struct ControlBinding {
  int id;
  ControlKind kind;
  std::uint8_t SettingsRecord::*byte = nullptr;     // Port, List, Check
  std::int16_t SettingsRecord::*number = nullptr;   // Number (or word: a Number of 16 bits)
  CodeBytes SettingsRecord::*code = nullptr;        // ByteCodes of 5 bytes
  RequestBytes SettingsRecord::*request = nullptr;  // ByteCodes of 20 bytes
  KeySequence SettingsRecord::*keys = nullptr;      // Keys
  ShortText SettingsRecord::*text = nullptr;        // Text
  std::uint16_t SettingsRecord::*word = nullptr;    // HotKey, Number without `number`
  PortIdText SettingsRecord::*portId = nullptr;     // Follow
  std::span<const char* const> entries = {};        // List: the entries, in index order
  int textLimit = 0;                                // Number, ByteCodes, Keys, Text: characters
  int display = 0;                                  // ByteCodes, Keys: the readable form's control
  const char* label = nullptr;  // Number: its name in the message that refuses a value
  // Number: the values accepted. A value from 1 to below raiseTo is raised to it (a request
  // every few milliseconds would flood the device); 0 raises nothing.
  std::int32_t min = kIntervalMin;
  std::int32_t max = kIntervalMax;
  std::int32_t raiseTo = 0;
  // The stop button is enabled only while reception runs; every other row only while it
  // does not, which keeps Settings stable for the reader thread.
  bool enabledWhileReceiving = false;
};

// The bytes of a ByteCodes row's field without its terminator: 5, or 20 for the request.
std::span<std::uint8_t> CodeField(const ControlBinding& row, SettingsRecord& s);
std::span<const std::uint8_t> CodeField(const ControlBinding& row, const SettingsRecord& s);

// The main dialog's rows, in the order of its groups.
std::span<const ControlBinding> MainDialogControls();
// The row of control id, or nullptr.
const ControlBinding* FindMainDialogControl(int id);

// The extended settings dialog's rows: the request to the device, the frame pattern, the
// target window, the connection, in the order of the dialog's groups.
std::span<const ControlBinding> ExtDialogControls();
// The row of control id, or nullptr.
const ControlBinding* FindExtDialogControl(int id);
