#include "source/network_source.h"

#include <cstdio>
#include <cstring>

bool ParseIpv4(const char* text, std::size_t length, std::uint32_t& address) {
  std::size_t i = 0;
  while (i < length && text[i] == ' ') ++i;
  while (length > i && text[length - 1] == ' ') --length;
  std::uint32_t value = 0;
  for (int part = 0; part < 4; ++part) {
    if (part > 0) {
      if (i >= length || text[i] != '.') return false;
      ++i;
    }
    int digits = 0;
    unsigned number = 0;
    while (i < length && text[i] >= '0' && text[i] <= '9' && digits < 4) {
      number = number * 10 + static_cast<unsigned>(text[i] - '0');
      ++i;
      ++digits;
    }
    if (digits == 0 || digits > 3 || number > 255) return false;
    value = (value << 8) | number;
  }
  if (i != length) return false;
  address = value;
  return true;
}

namespace {

// Calls visit(address) for each entry of the list that is an address.
template <class Visit>
void ForEachAllowed(const char* list, Visit visit) {
  const char* p = list;
  for (;;) {
    const char* end = std::strchr(p, ';');
    const std::size_t length = end != nullptr ? static_cast<std::size_t>(end - p) : std::strlen(p);
    std::uint32_t address = 0;
    if (ParseIpv4(p, length, address) && visit(address)) return;
    if (end == nullptr) return;
    p = end + 1;
  }
}

}  // namespace

int AllowedPeerCount(const char* allowList) {
  int count = 0;
  ForEachAllowed(allowList, [&](std::uint32_t) {
    ++count;
    return false;
  });
  return count;
}

bool PeerAllowed(const char* allowList, std::uint32_t address) {
  bool allowed = false;
  ForEachAllowed(allowList, [&](std::uint32_t entry) { return allowed = entry == address; });
  return allowed;
}

void FormatHostPort(const SettingsRecord& s, char* out, std::size_t size) {
  std::snprintf(out, size, "%.*s:%u", static_cast<int>(sizeof s.TCPHOST), s.TCPHOST,
                static_cast<unsigned>(s.TCPPORT));
}
