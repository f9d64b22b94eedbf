// The extended settings dialog's controls ("拡張設定") and the settings they show, in the rows
// of the main dialog's table: the request to the device, the frame pattern, the target window.
// The Win32 dialog fills its controls from a settings record, reads them back on OK and
// enables them from this table alone.
#pragma once
#include <span>

#include "config/main_dialog_controls.h"

// Every row, in the order of the dialog's groups.
std::span<const ControlBinding> ExtDialogControls();
// The row of control id, or nullptr.
const ControlBinding* FindExtDialogControl(int id);
