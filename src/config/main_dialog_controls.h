// The main dialog's controls and the settings they show: one row per control that holds a
// setting or that reception disables. The Win32 dialog fills its controls, stores their
// changes and enables them from this table alone. The extended settings dialog describes its
// controls with the same rows (ext_dialog_controls.h).
#pragma once
#include <cstdint>
#include <span>

#include "config/main_dialog_values.h"
#include "config/settings_record.h"

enum class ControlKind {
  Port,       // combo box with an edit field: PORT as "COMn", its list from the registry
  List,       // drop-down list: the field is the index of the selected entry
  Check,      // check box: the field is 0 or 1
  Number,     // edit: an interval in ms, held to kIntervalMin..kIntervalMax
  ByteCodes,  // edit: a code (5 bytes) or the request (20) in code notation, shown readably
  Keys,       // edit: a key sequence in code notation, shown readably
  Text,       // edit: a short code page 932 text, cut to its field at a character boundary
  HotKey,     // hot key control: the field is its value (virtual key, modifier flags above)
  Button,     // push button, group box or list that fills an edit: only enabled or disabled
};

struct ControlBinding {
  int id;
  ControlKind kind;
  std::uint8_t SettingsRecord::*byte = nullptr;     // Port, List, Check
  std::int16_t SettingsRecord::*number = nullptr;   // Number
  CodeBytes SettingsRecord::*code = nullptr;        // ByteCodes of 5 bytes
  RequestBytes SettingsRecord::*request = nullptr;  // ByteCodes of 20 bytes
  KeySequence SettingsRecord::*keys = nullptr;      // Keys
  ShortText SettingsRecord::*text = nullptr;        // Text
  std::uint16_t SettingsRecord::*word = nullptr;    // HotKey
  std::span<const char* const> entries = {};        // List: the entries, in index order
  int textLimit = 0;                                // Number, ByteCodes, Keys, Text: characters
  int display = 0;                                  // ByteCodes, Keys: the readable form's control
  const char* label = nullptr;  // Number: its name in the message that refuses a value
  // Number: the values accepted. A value from 1 to below raiseTo is raised to it (a request
  // every few milliseconds would flood the device); 0 raises nothing.
  std::int16_t min = kIntervalMin;
  std::int16_t max = kIntervalMax;
  std::int16_t raiseTo = 0;
  // The stop button is enabled only while reception runs; every other row only while it
  // does not, which keeps Settings stable for the reader thread.
  bool enabledWhileReceiving = false;
};

// The bytes of a ByteCodes row's field without its terminator: 5, or 20 for the request.
std::span<std::uint8_t> CodeField(const ControlBinding& row, SettingsRecord& s);
std::span<const std::uint8_t> CodeField(const ControlBinding& row, const SettingsRecord& s);

// Every row, in the order of the dialog's groups.
std::span<const ControlBinding> MainDialogControls();
// The row of control id, or nullptr.
const ControlBinding* FindMainDialogControl(int id);
