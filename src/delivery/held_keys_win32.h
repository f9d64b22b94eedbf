// The keys the user holds, read from the system (held_keys.h says why frames wait for them).
#pragma once

// Shift, Ctrl, Alt or either Windows key is physically down now (GetAsyncKeyState). Any
// thread; no window or message queue needed.
bool ModifierKeysHeld();
