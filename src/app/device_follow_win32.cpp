#include "app/device_follow_win32.h"

#include <dbt.h>

#include <cstdio>

#include "common/two_byte_text.h"
#include "config/settings.h"
#include "source/network_source.h"

static_assert(kDeviceIdSize == kPortIdSize, "an identity fits PORTID and PORTID an identity");

namespace {

// Large: kept off the stack.
PortDeviceList Ports;

}  // namespace

bool FollowingDevice() { return Settings.PORTID[0] != 0 && !IsNetworkSource(Settings); }

FollowedPort ResolveFollowedPort(int storedCom) {
  ReadPortDevices(Ports);
  const std::span<const PortRecord> ports(Ports.ports, static_cast<std::size_t>(Ports.count));
  const PortResolution r = ResolvePortIdentity(ports, Settings.PORTID, storedCom);
  FollowedPort followed{r.kind, r.comNumber, 0, 0};
  if (r.first >= 0) followed.comA = ports[static_cast<std::size_t>(r.first)].comNumber;
  if (r.second >= 0) followed.comB = ports[static_cast<std::size_t>(r.second)].comNumber;
  return followed;
}

bool IdentityOfPort(int com, char* out, std::size_t size) {
  ReadPortDevices(Ports);
  for (int i = 0; i < Ports.count; ++i) {
    if (Ports.ports[i].comNumber != com) continue;
    CopyTextCut(out, size, DeviceIdentity(Ports.ports[i]));
    return true;
  }
  return false;
}

const PortDeviceList& ReadPortList() {
  ReadPortDevices(Ports);
  return Ports;
}

HDEVNOTIFY RegisterPortNotifications(HWND window) {
  DEV_BROADCAST_DEVICEINTERFACE_W filter{};
  filter.dbcc_size = sizeof filter;
  filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
  filter.dbcc_classguid = kComPortInterface;
  return RegisterDeviceNotificationW(window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
}
