// Display names of byte codes and virtual-key codes, used by the notation's display string,
// the output display, the log's spelled-out control codes and the key code list dialog.
#pragma once

// 256 names, one per byte value (code page 932 text).
extern const char* const CharCodeNames[256];
// 256 names, one per virtual-key code; "" for a code that has no name.
extern const char* const VirtualKeyNames[256];
