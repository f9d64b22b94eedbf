// The message by which the extended settings dialog's "今すぐ送信" (send now) asks for the
// request to the device (REQCODE) to be sent to the open port at once.
#pragma once
#include <windows.h>

// Posted to MainWindow, wparam and lparam 0, only while reception runs (the button is enabled
// only then). MainWindow hands it to the sender of device requests, which writes REQCODE to the
// port the reader has open; an empty REQCODE sends nothing. The sender is built apart from the
// dialog: until it is, MainWindow leaves the message to DefWindowProc and nothing is sent.
inline constexpr UINT kRequestNowMessage = WM_APP + 20;
