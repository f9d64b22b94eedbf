// What reception needs to know of a network source, free of any socket: the kinds of source
// (SOURCE), the peers a server lets in (TCPALLOW), the pauses between reconnects, and the names
// the dialog shows for the source. Portable.
#pragma once
#include <cstddef>
#include <cstdint>

#include "config/settings.h"

enum class SourceKind : std::uint8_t { Port = 0, TcpClient = 1, TcpServer = 2, TelnetClient = 3 };

inline SourceKind SourceOf(const SettingsRecord& s) {
  return s.SOURCE <= 3 ? static_cast<SourceKind>(s.SOURCE) : SourceKind::Port;
}
inline bool IsNetworkSource(const SettingsRecord& s) { return SourceOf(s) != SourceKind::Port; }

// A dotted IPv4 address ("127.0.0.1": four numbers 0..255, nothing else but spaces around) as
// a number, the first byte highest; false for anything else.
bool ParseIpv4(const char* text, std::size_t length, std::uint32_t& address);

// The entries of an allowed-peers list (";" between them) that are IPv4 addresses; other
// entries let nobody in.
int AllowedPeerCount(const char* allowList);
// True when address is one of the list's addresses.
bool PeerAllowed(const char* allowList, std::uint32_t address);

// The pause before each attempt to connect again: 1 s after the first failure or close,
// doubled after each further one, at most 30 s; back to 1 s once a connection was made.
class ReconnectBackoff {
 public:
  static constexpr std::uint32_t kFirstMs = 1000;
  static constexpr std::uint32_t kLongestMs = 30000;
  std::uint32_t NextDelayMs() {
    const std::uint32_t delay = next_;
    next_ = next_ >= kLongestMs / 2 ? kLongestMs : next_ * 2;
    return delay;
  }
  void Connected() { next_ = kFirstMs; }

 private:
  std::uint32_t next_ = kFirstMs;
};

// "host:port" of the source (TCPHOST, TCPPORT), cut to size.
void FormatHostPort(const SettingsRecord& s, char* out, std::size_t size);
