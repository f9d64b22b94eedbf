// Following the serial device named by PORTID: the ports present now are read (SetupAPI), the
// identity resolved among them (device_identity), and the answer given to the main dialog,
// which opens that port and stores its number in PORT. Also the identity the check box
// "このデバイスを追跡" stores for a port, the port list's entries, and the registration for the
// COM port interface's arrivals and removals. GUI thread only.
#pragma once
#include <windows.h>

#include <cstddef>

#include "source/device_identity.h"
#include "source/port_devices_win32.h"

// The main dialog's timer that gathers a burst of WM_DEVICECHANGE into one look at the ports.
inline constexpr UINT_PTR kDeviceChangeTimer = 523;
inline constexpr UINT kDeviceChangeSettleMs = 500;

// PORTID names a device and the bytes come from the COM port.
bool FollowingDevice();

// The port of PORTID now; storedCom decides between two matches. For Ambiguous, comA and comB
// are the COM numbers of the two ports that match.
struct FollowedPort {
  PortResolution::Kind kind;
  int com;
  int comA, comB;
};
FollowedPort ResolveFollowedPort(int storedCom);

// The identity of the device on COM port com into out (at most size - 1 bytes); false when no
// present device has that port (a port without a device node, as Wine's mapped ports).
bool IdentityOfPort(int com, char* out, std::size_t size);

// The ports read by the last ResolveFollowedPort, IdentityOfPort or ReadPortList.
const PortDeviceList& ReadPortList();

// The COM port interface's arrivals and removals come to window as WM_DEVICECHANGE; nullptr
// when the system refuses (the ports' own broadcasts still come).
HDEVNOTIFY RegisterPortNotifications(HWND window);
