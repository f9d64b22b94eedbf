// Paste mode executed with the clipboard (paste_text.h says what and when): the user's
// clipboard saved, our text offered with delayed rendering and the formats that keep it out of
// clipboard history and the cloud clipboard, Ctrl+V sent, the user's clipboard given back.
#pragma once
#include <windows.h>

#include <cstdint>

#include "keyout/keystrokes.h"

// Pastes `count` UTF-16 units (CR LF line ends) into the window in front: saves the clipboard,
// puts the text on it, sends Ctrl+V through `keys` (the layout's scan codes) and `keyboard`,
// then waits, dispatching the calling thread's messages, until the target has read the text
// or kPasteRestoreBoundMs has passed (or `stop` is set), and gives the user's clipboard back
// when it is still ours. False when the clipboard could not be had: nothing was pasted.
// One thread only (the reader's): its hidden window owns the clipboard while a paste lasts.
bool PasteUnits(const std::uint16_t* units, int count, KeyOutput& keys, Keyboard& keyboard,
                HANDLE stop);
