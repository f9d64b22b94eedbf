// Which COM port a followed device has now, free of SetupAPI: the ports the system lists come
// in as records, the identity to follow (PORTID) and the stored port number, and out comes the
// port to open, "absent" or "ambiguous" (two ports match and the stored one is neither).
//
// A device's identity is the instance ID of the USB device that carries its serial number (for
// FTDI-style buses and composite devices the port's parent, e.g. USB\VID_0403&PID_6001\A12345;
// the port itself where it is that node); on other buses the port's own instance ID (Bluetooth
// BTHENUM\..., which holds the remote address). A port follows an identity when its own or its
// parent's instance ID equals it, compared without regard to case. Portable.
#pragma once
#include <cstddef>
#include <span>

inline constexpr int kDeviceIdSize = 201;  // 200 bytes and the terminator

struct PortRecord {
  char instanceId[kDeviceIdSize];
  char parentId[kDeviceIdSize];   // empty when unknown
  char friendlyName[128];
  int comNumber;                  // n of the node's PortName "COMn"; 0 when it has none
};

struct PortResolution {
  enum class Kind { Found, Absent, Ambiguous } kind;
  int comNumber;       // Found: the port to open
  int first, second;   // Ambiguous: the indices of two matching records
};

// The identity to store for "follow this device" of a port.
const char* DeviceIdentity(const PortRecord& port);
// The port of identity among ports; storedCom (the COM number of PORT) decides between two.
PortResolution ResolvePortIdentity(std::span<const PortRecord> ports, const char* identity,
                                   int storedCom);
// The serial number in a USB identity ("A12345" of USB\VID_0403&PID_6001\A12345): the last
// part when the system did not make it up (made-up parts hold "&"); empty otherwise.
void SerialNumberOf(const char* identity, char* out, std::size_t size);
// The port list's entry: "COM5 USB Serial Port (A12345)", the serial number where there is one.
void FormatPortEntry(const PortRecord& port, char* out, std::size_t size);
