#include "source/device_identity.h"

#include <cstdio>
#include <cstring>

namespace {

bool SameId(const char* a, const char* b) {
  if (a[0] == 0 || b[0] == 0) return false;
  for (; *a != 0 && *b != 0; ++a, ++b) {
    const char ca = *a >= 'a' && *a <= 'z' ? static_cast<char>(*a - 32) : *a;
    const char cb = *b >= 'a' && *b <= 'z' ? static_cast<char>(*b - 32) : *b;
    if (ca != cb) return false;
  }
  return *a == *b;
}

bool StartsWith(const char* text, const char* prefix) {
  return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

bool Follows(const PortRecord& port, const char* identity) {
  return SameId(port.instanceId, identity) || SameId(port.parentId, identity);
}

}  // namespace

const char* DeviceIdentity(const PortRecord& port) {
  // A USB node of its own (not one interface "&MI_" of a composite device) carries the serial.
  if (StartsWith(port.instanceId, "USB\\") && std::strstr(port.instanceId, "&MI_") == nullptr)
    return port.instanceId;
  if (StartsWith(port.parentId, "USB\\")) return port.parentId;
  return port.instanceId;
}

PortResolution ResolvePortIdentity(std::span<const PortRecord> ports, const char* identity,
                                   int storedCom) {
  int matches = 0, first = -1, second = -1;
  bool storedMatches = false;
  for (std::size_t i = 0; i < ports.size(); ++i) {
    if (!Follows(ports[i], identity) || ports[i].comNumber <= 0) continue;
    if (ports[i].comNumber == storedCom) storedMatches = true;
    if (matches == 0) first = static_cast<int>(i);
    else if (matches == 1) second = static_cast<int>(i);
    ++matches;
  }
  if (matches == 0) return {PortResolution::Kind::Absent, 0, -1, -1};
  if (matches == 1) return {PortResolution::Kind::Found, ports[static_cast<std::size_t>(first)].comNumber, first, -1};
  // Identical adapters without serial numbers: never guessed.
  if (storedMatches) return {PortResolution::Kind::Found, storedCom, first, second};
  return {PortResolution::Kind::Ambiguous, 0, first, second};
}

void SerialNumberOf(const char* identity, char* out, std::size_t size) {
  if (size == 0) return;
  out[0] = 0;
  const char* last = std::strrchr(identity, '\\');
  if (!StartsWith(identity, "USB\\") || last == nullptr || last[1] == 0 ||
      std::strchr(last, '&') != nullptr)
    return;
  std::snprintf(out, size, "%s", last + 1);
}

void FormatPortEntry(const PortRecord& port, char* out, std::size_t size) {
  char serial[kDeviceIdSize];
  SerialNumberOf(DeviceIdentity(port), serial, sizeof serial);
  if (serial[0] != 0) {
    std::snprintf(out, size, "COM%d %s (%s)", port.comNumber, port.friendlyName, serial);
  } else if (port.friendlyName[0] != 0) {
    std::snprintf(out, size, "COM%d %s", port.comNumber, port.friendlyName);
  } else {
    std::snprintf(out, size, "COM%d", port.comNumber);
  }
}
