// The serial ports the system lists now, read through SetupAPI: the present devices of the
// Ports class, each as a PortRecord (its instance ID, its parent's, friendly name, first
// hardware ID, location and the COM number of its PortName). The reading is all this file
// does; which port a followed device has is decided by device_identity. Runs at a start and
// when a device arrives or leaves, never per byte; fixed storage, bounded counts.
#pragma once
#include <windows.h>

#include "source/device_identity.h"

// Ports kept at most; a system with more lists the first ones SetupAPI gives.
inline constexpr int kMaxPortDevices = 32;

struct PortDeviceList {
  PortRecord ports[kMaxPortDevices];
  int count;
};

// Fills list with the present ports that have a COM port name (LPT ports of the class are left
// out); count is 0 when SetupAPI lists none.
void ReadPortDevices(PortDeviceList& list);

// The interface class of COM ports (GUID_DEVINTERFACE_COMPORT), for RegisterDeviceNotification.
extern const GUID kComPortInterface;
