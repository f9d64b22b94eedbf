// The main dialog's controls and the settings they show: one row per control that holds a
// setting or that reception disables. The Win32 dialog fills its controls, stores their
// changes and enables them from this table alone.
#pragma once
#include <cstdint>
#include <span>

#include "config/settings_record.h"

enum class ControlKind {
  Port,       // combo box with an edit field: PORT as "COMn", its list from the registry
  List,       // drop-down list: the field is the index of the selected entry
  Check,      // check box: the field is 0 or 1
  Number,     // edit: an interval in ms, held to kIntervalMin..kIntervalMax
  ByteCodes,  // edit: a code in code notation; its readable form goes to the control id + 8
  Keys,       // edit: a key sequence in code notation; its readable form goes to id + 8
  Button,     // push button or group box: no setting, only enabled or disabled
};

struct ControlBinding {
  int id;
  ControlKind kind;
  std::uint8_t SettingsRecord::*byte = nullptr;     // Port, List, Check
  std::int16_t SettingsRecord::*number = nullptr;   // Number
  CodeBytes SettingsRecord::*code = nullptr;        // ByteCodes
  KeySequence SettingsRecord::*keys = nullptr;      // Keys
  std::span<const char* const> entries = {};        // List: the entries, in index order
  int textLimit = 0;                                // Number, ByteCodes, Keys: characters
  // The stop button is enabled only while reception runs; every other row only while it
  // does not, which keeps Settings stable for the reader thread.
  bool enabledWhileReceiving = false;
};

// Every row, in the order of the dialog's groups.
std::span<const ControlBinding> MainDialogControls();
// The row of control id, or nullptr.
const ControlBinding* FindMainDialogControl(int id);
