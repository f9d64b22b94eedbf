// The sockets of a network source and the reader that waits on them (network_source_win32.h).
// Winsock's calls: WSAEventSelect makes each socket non-blocking and records its events in an
// event object the reader waits on; WSAEnumNetworkEvents takes the records and resets it; recv
// re-records FD_READ while bytes remain (Microsoft Learn, WSAEventSelect).
#include "source/network_source_win32.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <mstcpip.h>
#include <mmsystem.h>

#include <atomic>
#include <cstdio>
#include <cstring>

#include "common/ui_win32.h"
#include "config/settings.h"
#include "source/device_request_win32.h"
#include "source/network_source.h"
#include "source/serial_port_win32.h"
#include "source/telnet_filter.h"

namespace {

enum class Link : int { Up, Connecting, Failed };

constexpr int kMaxRead = static_cast<int>(kReceiveBufferSize) - 1;
// Connections accepted in one turn at most; the rest wait for the next.
constexpr int kAcceptsPerTurn = 8;
constexpr ULONG kKeepAliveIdleMs = 30000;
constexpr ULONG kKeepAliveIntervalMs = 5000;

std::atomic<int> LinkState{static_cast<int>(Link::Up)};
char FailedText[160];  // written before the reader starts, read while it runs

bool WinsockUp = false;
WSAEVENT PeerEvent = WSA_INVALID_EVENT;
WSAEVENT ListenEvent = WSA_INVALID_EVENT;
// The listening socket, made by the GUI thread at the start and owned by the reader from then.
SOCKET Listener = INVALID_SOCKET;
// The connection: the reader thread's only.
SOCKET Peer = INVALID_SOCKET;
TelnetFilter Telnet;
unsigned char Block[kReceiveBufferSize];
unsigned char Answers[kReceiveBufferSize];

void SetLink(Link state) {
  if (LinkState.exchange(static_cast<int>(state)) == static_cast<int>(state)) return;
  if (MainDialogWindow != nullptr) PostMessageA(MainDialogWindow, kPortStateMessage, 0, 0);
}

void CloseSocket(SOCKET& s) {
  if (s == INVALID_SOCKET) return;
  closesocket(s);
  s = INVALID_SOCKET;
}

// The IPv4 address of host (an address, or a name the resolver knows) with port.
bool Resolve(const char* host, unsigned port, sockaddr_in& out) {
  if (host[0] == 0) return false;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_protocol = IPPROTO_TCP;
  addrinfo* list = nullptr;
  if (getaddrinfo(host, nullptr, &hints, &list) != 0 || list == nullptr) return false;
  std::memcpy(&out, list->ai_addr, sizeof out);
  freeaddrinfo(list);
  out.sin_port = htons(static_cast<u_short>(port));
  return true;
}

// The system looks at an idle connection after 30 s and then every 5 s, so a device that
// went away without a word is noticed (SIO_KEEPALIVE_VALS, Microsoft Learn).
void KeepAlive(SOCKET s) {
  BOOL on = TRUE;
  setsockopt(s, SOL_SOCKET, SO_KEEPALIVE, reinterpret_cast<const char*>(&on), sizeof on);
  tcp_keepalive values{1, kKeepAliveIdleMs, kKeepAliveIntervalMs};
  DWORD returned = 0;
  WSAIoctl(s, SIO_KEEPALIVE_VALS, &values, sizeof values, nullptr, 0, &returned, nullptr, nullptr);
}

// A connection closed with a reset at once: nothing it sent is read.
void Refuse(SOCKET s) {
  linger now{1, 0};
  setsockopt(s, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&now), sizeof now);
  closesocket(s);
}

// The reader's state on the current connection.
struct Connection {
  const ReaderSteps& steps;
  DWORD lastReceiveTime = 0;  // 0: no data since the last frame ended
  bool more = false;          // bytes may be waiting: read without waiting first
  bool closing = false;       // the peer closed: read what is left, then end
};

void Adopt(Connection& c, SOCKET s) {
  KeepAlive(s);
  Peer = s;
  Telnet.Reset();
  c.more = true;
  c.closing = false;
}

// The connection has ended: the frame it cut ends as a data-interval timeout ends it.
void EndConnection(Connection& c) {
  CloseSocket(Peer);
  if (c.lastReceiveTime != 0) c.steps.cutFrame();
  c.lastReceiveTime = 0;
  c.more = false;
  c.closing = false;
}

// The bounded connect of a client; true with Peer connected.
bool Connect(Connection& c) {
  sockaddr_in address{};
  if (!Resolve(Settings.TCPHOST, Settings.TCPPORT, address)) return false;
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) return false;
  WSAResetEvent(PeerEvent);
  if (WSAEventSelect(s, PeerEvent, FD_CONNECT | FD_READ | FD_CLOSE) != 0 ||
      (connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 &&
       WSAGetLastError() != WSAEWOULDBLOCK)) {
    closesocket(s);
    return false;
  }
  const HANDLE events[2] = {ReceivePort.StopEvent, PeerEvent};
  WSANETWORKEVENTS happened{};
  if (WaitForMultipleObjects(2, events, FALSE, kConnectTimeoutMs) != WAIT_OBJECT_0 + 1 ||
      WSAEnumNetworkEvents(s, PeerEvent, &happened) != 0 || (happened.lNetworkEvents & FD_CONNECT) == 0 ||
      happened.iErrorCode[FD_CONNECT_BIT] != 0) {
    closesocket(s);
    return false;
  }
  Adopt(c, s);
  c.closing = (happened.lNetworkEvents & FD_CLOSE) != 0;
  return true;
}

// Takes the connections waiting on the listener: a peer not allowed is closed unread; an
// allowed one replaces the current one.
void AcceptPeers(Connection& c) {
  WSANETWORKEVENTS happened{};
  WSAEnumNetworkEvents(Listener, ListenEvent, &happened);
  for (int i = 0; i < kAcceptsPerTurn; ++i) {
    sockaddr_in from{};
    int length = sizeof from;
    SOCKET s = accept(Listener, reinterpret_cast<sockaddr*>(&from), &length);
    if (s == INVALID_SOCKET) return;
    if (from.sin_family != AF_INET || !PeerAllowed(Settings.TCPALLOW, ntohl(from.sin_addr.s_addr))) {
      Refuse(s);
      continue;
    }
    if (Peer != INVALID_SOCKET) EndConnection(c);
    // The accepted socket took the listener's event selection: it gets its own.
    WSAEventSelect(s, PeerEvent, FD_READ | FD_CLOSE);
    Adopt(c, s);
  }
}

// One receive on the connection; false when it has ended.
bool ReadPeer(Connection& c, bool signalled) {
  if (signalled) {
    WSANETWORKEVENTS happened{};
    if (WSAEnumNetworkEvents(Peer, PeerEvent, &happened) != 0) return false;
    if ((happened.lNetworkEvents & FD_CLOSE) != 0) c.closing = true;
    if (!c.closing && Settings.DATAWAIT > 0 &&
        ReceivePort.WaitForStop(static_cast<DWORD>(Settings.DATAWAIT)))
      return true;
  }
  const int n = recv(Peer, reinterpret_cast<char*>(Block), kMaxRead, 0);
  if (n == 0) return false;
  if (n < 0) {
    c.more = false;
    return WSAGetLastError() == WSAEWOULDBLOCK && !c.closing;
  }
  c.more = true;
  int data = n;
  if (SourceOf(Settings) == SourceKind::TelnetClient) {
    const TelnetFilter::Counts counts = Telnet.Filter(Block, n, Block, Answers, sizeof Answers);
    if (counts.reply > 0) send(Peer, reinterpret_cast<const char*>(Answers), counts.reply, 0);
    data = counts.data;
  }
  if (data == 0 || !RunningFlag) return true;
  Block[data] = 0;
  c.steps.block(Block, data);
  const DWORD now = timeGetTime();
  c.lastReceiveTime = now == 0 ? 1 : now;
  return true;
}

enum class Woke { Stop, Peer, Listener, Other };

Woke WaitSockets(DWORD limitMs) {
  HANDLE events[4] = {ReceivePort.StopEvent};
  DWORD count = 1;
  DWORD peer = MAXDWORD, listener = MAXDWORD;
  if (Peer != INVALID_SOCKET) events[peer = count++] = PeerEvent;
  if (Listener != INVALID_SOCKET) events[listener = count++] = ListenEvent;
  if (DeviceRequestEvent() != nullptr) events[count++] = DeviceRequestEvent();
  const DWORD r = WaitForMultipleObjects(count, events, FALSE, limitMs);
  if (r == WAIT_OBJECT_0) return Woke::Stop;
  if (r == WAIT_OBJECT_0 + peer) return Woke::Peer;
  if (r == WAIT_OBJECT_0 + listener) return Woke::Listener;
  if (r == WAIT_FAILED) ReceivePort.WaitForStop(20);  // not a spin
  return Woke::Other;
}

// One turn: the data interval, a due request, one wait, then what woke it. False when the
// connection ended.
bool Turn(Connection& c) {
  if (c.steps.checkInterval(timeGetTime(), c.lastReceiveTime)) c.lastReceiveTime = 0;
  const int request = TakeDueDeviceRequest();
  if (request > 0) WriteToNetwork(Settings.REQCODE, request);
  if (!RunningFlag) return true;
  const Woke woke = WaitSockets(c.more ? 0 : ReaderWaitLimit(c.lastReceiveTime));
  if (woke == Woke::Stop || !RunningFlag) return true;
  if (woke == Woke::Listener) {
    AcceptPeers(c);
    return true;
  }
  if (Peer == INVALID_SOCKET) return true;
  if (woke == Woke::Peer || c.more || c.closing) return ReadPeer(c, woke == Woke::Peer);
  return true;
}

void RunClient(Connection& c) {
  ReconnectBackoff backoff;
  while (RunningFlag) {
    if (Connect(c)) {
      backoff.Connected();
      SetLink(Link::Up);
      while (RunningFlag && Turn(c)) {
      }
      EndConnection(c);
      if (!RunningFlag) return;
      SetLink(Link::Connecting);
    } else if (RunningFlag) {
      SetLink(Link::Failed);
    }
    if (ReceivePort.WaitForStop(backoff.NextDelayMs())) return;
  }
}

void RunServer(Connection& c) {
  while (RunningFlag) {
    if (!Turn(c)) EndConnection(c);
  }
}

}  // namespace

int OpenNetworkSource() {
  const int rc = ReceivePort.OpenWithoutPort();
  if (rc != 1) return rc;
  if (!WinsockUp) {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return 0;
    WinsockUp = true;
  }
  if (PeerEvent == WSA_INVALID_EVENT) PeerEvent = WSACreateEvent();
  if (ListenEvent == WSA_INVALID_EVENT) ListenEvent = WSACreateEvent();
  if (PeerEvent == WSA_INVALID_EVENT || ListenEvent == WSA_INVALID_EVENT) return 0;
  char hostPort[128];
  FormatHostPort(Settings, hostPort, sizeof hostPort);
  std::snprintf(FailedText, sizeof FailedText, "接続できません (%s)", hostPort);
  // A listener left by a start whose reader never ran.
  CloseSocket(Listener);
  if (SourceOf(Settings) != SourceKind::TcpServer) {
    LinkState = static_cast<int>(Link::Connecting);
    return 1;
  }
  LinkState = static_cast<int>(Link::Up);
  if (AllowedPeerCount(Settings.TCPALLOW) == 0) return kNoAllowedPeer;
  sockaddr_in address{};
  if (!Resolve(Settings.TCPHOST, Settings.TCPPORT, address)) return kListenFailed;
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) return kListenFailed;
  // No other program may take over the port while it is ours.
  BOOL exclusive = TRUE;
  setsockopt(s, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive),
             sizeof exclusive);
  WSAResetEvent(ListenEvent);
  if (bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
      listen(s, SOMAXCONN) != 0 || WSAEventSelect(s, ListenEvent, FD_ACCEPT) != 0) {
    closesocket(s);
    return kListenFailed;
  }
  Listener = s;
  return 1;
}

void ReceiveFromNetwork(const ReaderSteps& steps) {
  Connection c{steps};
  if (SourceOf(Settings) == SourceKind::TcpServer) {
    RunServer(c);
  } else {
    RunClient(c);
  }
  // A stop closes the connection and the listener at once.
  CloseSocket(Peer);
  CloseSocket(Listener);
  SetLink(Link::Up);
}

void WriteToNetwork(const unsigned char* bytes, int n) {
  if (Peer == INVALID_SOCKET || n <= 0) return;
  // A request that does not fit the socket's buffer now is dropped, not queued: the next one
  // is due soon, and a device that reads nothing must not hold the reader.
  send(Peer, reinterpret_cast<const char*>(bytes), n, 0);
}

const char* NetworkStateText() {
  switch (static_cast<Link>(LinkState.load())) {
    case Link::Connecting: return "接続しています";
    case Link::Failed: return FailedText;
    case Link::Up: break;
  }
  return nullptr;
}
