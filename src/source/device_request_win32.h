// The device request of the program: asked for from the GUI thread (hot key, tray menu, the
// extended settings' button), scheduled and written to the port by the reader thread, so the
// port is only ever used by its owner and a request never cuts into the typing of a block.
#pragma once
#include <windows.h>

// ---- any thread
// Asks the reader for one request; wakes it. Nothing happens when reception is not running or
// no request bytes are set.
void AskDeviceRequest();
// The event the reader's waits watch beside the port (manual reset; reset by the reader).
HANDLE DeviceRequestEvent();

// The last request did not leave whole (its write failed, was cut short by its time-out or
// had to be cancelled): the caption and tray tip say "要求コードを送信できません" until one
// does. Posts kPortStateMessage to the main dialog when this changes; cleared at each start.
bool DeviceRequestRefused();

// ---- reader thread
void DeviceRequestsStart();
// A frame of data has ended.
void DeviceRequestFrameEnded();
// How long the reader may wait before the next timed request (INFINITE: no limit).
DWORD DeviceRequestWakeMs();
// When a request is due (its timer, a frame's end, the user): its length in bytes of REQCODE,
// which the caller writes to its source; else 0.
int TakeDueDeviceRequest();
// Writes the request to the port when one is due. 0 when nothing failed, else the error of the
// write (the reader handles a removed device as for a failed read).
DWORD SendDueDeviceRequest();

// ---- GUI thread
// Registers REQHOTKEY for window while reception runs; false when another program holds the
// key (reported by the caller). No request bytes or no hot key: nothing registered, true.
bool RegisterRequestHotKey(HWND window);
void UnregisterRequestHotKey(HWND window);
// The WM_HOTKEY id of the request's hot key.
inline constexpr int kRequestHotKeyId = 0x5251;
// Posted to MainWindow by the extended settings dialog's "今すぐ送信" (send now), wparam and
// lparam 0, only while reception runs (the button is enabled only then); MainWindow asks for a
// request (AskDeviceRequest).
inline constexpr UINT kRequestNowMessage = WM_APP + 20;
