// Following a serial device by its identity: which identity a port gives, which port an
// identity resolves to, and the port list's entries.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "source/device_identity.h"

namespace {

PortRecord Port(const char* id, const char* parent, int com, const char* name = "USB Serial Port") {
  PortRecord p{};
  std::snprintf(p.instanceId, sizeof p.instanceId, "%s", id);
  std::snprintf(p.parentId, sizeof p.parentId, "%s", parent);
  std::snprintf(p.friendlyName, sizeof p.friendlyName, "%s", name);
  p.comNumber = com;
  return p;
}

const PortRecord kFtdi = Port("FTDIBUS\\VID_0403+PID_6001+A12345A\\0000", "USB\\VID_0403&PID_6001\\A12345", 7);
const PortRecord kCdc = Port("USB\\VID_2341&PID_0043\\85736323838351F0A1E1", "USB\\ROOT_HUB30\\4&1", 4);
const PortRecord kComposite =
    Port("USB\\VID_1A86&PID_55D4&MI_00\\6&2A8E&0&0000", "USB\\VID_1A86&PID_55D4\\5434012345", 9);
const PortRecord kBluetooth =
    Port("BTHENUM\\{00001101-0000-1000-8000-00805F9B34FB}_LOCALMFG&0002\\7&1&0&001122334455_C00000000",
         "BTH\\MS_BTHBRB\\6&1", 12, "Standard Serial over Bluetooth link");
const PortRecord kNoSerialA = Port("USB\\VID_067B&PID_2303\\5&1A2B&0&1", "USB\\ROOT_HUB20\\4&1", 3);
const PortRecord kNoSerialB = Port("USB\\VID_067B&PID_2303\\5&1A2B&0&2", "USB\\ROOT_HUB20\\4&1", 5);

TEST(DeviceIdentity, TheNodeThatCarriesTheSerialNumberIsTheIdentity) {
  EXPECT_STREQ(DeviceIdentity(kFtdi), "USB\\VID_0403&PID_6001\\A12345");
  EXPECT_STREQ(DeviceIdentity(kCdc), kCdc.instanceId);
  EXPECT_STREQ(DeviceIdentity(kComposite), "USB\\VID_1A86&PID_55D4\\5434012345");
  EXPECT_STREQ(DeviceIdentity(kBluetooth), kBluetooth.instanceId);
}

TEST(DeviceIdentity, ResolvesToThePortTheDeviceHasNowNeverGuessing) {
  const std::vector<PortRecord> ports = {kCdc, kFtdi, kNoSerialA, kNoSerialB, kBluetooth};
  struct Row {
    const char* what;
    const char* identity;
    int stored;
    PortResolution::Kind kind;
    int com;
  } rows[] = {
      {"by the parent", "USB\\VID_0403&PID_6001\\A12345", 2, PortResolution::Kind::Found, 7},
      {"case ignored", "usb\\vid_0403&pid_6001\\a12345", 2, PortResolution::Kind::Found, 7},
      {"by its own id", kCdc.instanceId, 1, PortResolution::Kind::Found, 4},
      {"Bluetooth", kBluetooth.instanceId, 1, PortResolution::Kind::Found, 12},
      {"unplugged", "USB\\VID_0403&PID_6001\\B99999", 7, PortResolution::Kind::Absent, 0},
      {"a prefix is no match", "USB\\VID_0403&PID_6001\\A1234", 7, PortResolution::Kind::Absent, 0},
      {"empty identity matches nothing", "", 3, PortResolution::Kind::Absent, 0},
      {"two matches, the stored one among them", "USB\\ROOT_HUB20\\4&1", 5, PortResolution::Kind::Found, 5},
      {"two matches, the stored one not", "USB\\ROOT_HUB20\\4&1", 7, PortResolution::Kind::Ambiguous, 0},
  };
  for (const Row& r : rows) {
    const PortResolution got = ResolvePortIdentity(ports, r.identity, r.stored);
    EXPECT_EQ(got.kind, r.kind) << r.what;
    EXPECT_EQ(got.comNumber, r.com) << r.what;
  }
  const PortResolution both = ResolvePortIdentity(ports, "USB\\ROOT_HUB20\\4&1", 7);
  EXPECT_EQ(both.first, 2);
  EXPECT_EQ(both.second, 3);
}

TEST(DeviceIdentity, PortListEntriesShowTheSerialNumberWhereThereIsOne) {
  char text[256];
  FormatPortEntry(kFtdi, text, sizeof text);
  EXPECT_STREQ(text, "COM7 USB Serial Port (A12345)");
  FormatPortEntry(kNoSerialA, text, sizeof text);
  EXPECT_STREQ(text, "COM3 USB Serial Port");
  FormatPortEntry(Port("ACPI\\PNP0501\\1", "", 1, ""), text, sizeof text);
  EXPECT_STREQ(text, "COM1");
  FormatPortEntry(kFtdi, text, 10);
  EXPECT_STREQ(text, "COM7 USB ");
}

}  // namespace
