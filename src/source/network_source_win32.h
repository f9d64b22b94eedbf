// Reception from the network (SOURCE 1 TCP client, 2 TCP server, 3 Telnet client): the sockets,
// and the reader that waits on them as PortReader waits on the port. The reader waits on the
// socket's event (WSAEventSelect) beside the stop event and the request event, bounded by the
// data interval as the port's wait is, and hands each block to the same steps; the rest of
// reception does not know which source it reads. Every socket call is non-blocking or bounded.
//
// Client: connects with a time-out of kConnectTimeoutMs, keeps the connection checked
// (SIO_KEEPALIVE_VALS: 30 s idle, then every 5 s) so that a device that rebooted while the line
// was idle is noticed, and connects again after a close or a failure with the pauses of
// ReconnectBackoff. Server: listens on TCPHOST only; one peer at a time, a new allowed peer
// replaces the old one; a peer whose address is not in TCPALLOW is closed as it is accepted,
// before anything it sent is read. A stop closes the sockets at once.
#pragma once
#include <windows.h>

#include "source/reader_steps_win32.h"

inline constexpr DWORD kConnectTimeoutMs = 5000;
// StartReception: the server's address cannot be listened on (not an address of this PC, or
// the port in use); a server without an allowed peer.
inline constexpr int kListenFailed = -110;
inline constexpr int kNoAllowedPeer = -111;

// GUI thread, before the reader starts: Winsock, the stop event and for a server the listening
// socket. 1, kListenFailed, kNoAllowedPeer, kPortHeldByDriver or 0 (an event could not be made).
int OpenNetworkSource();
// Reader thread: receives until reception is stopped; closes every socket before it returns.
void ReceiveFromNetwork(const ReaderSteps& steps);
// Reader thread: writes the request to the connected device; nothing without a connection.
void WriteToNetwork(const unsigned char* bytes, int n);
// While a client is not connected: "接続しています" or "接続できません (host:port)"; else nullptr.
// Any thread; a change posts kPortStateMessage to the main dialog.
const char* NetworkStateText();
