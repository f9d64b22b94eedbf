#include "source/port_devices_win32.h"

#include <setupapi.h>

#include "common/wide_text_win32.h"

// The GUIDs and the property key are spelled out here: their header definitions need
// INITGUID in exactly one unit, and the uuid library of MinGW lacks some of them.
const GUID kComPortInterface = {0x86E0D1E0, 0x8089, 0x11D0, {0x9C, 0xE4, 0x08, 0x00, 0x3E, 0x30, 0x1F, 0x73}};

namespace {

// GUID_DEVCLASS_PORTS: COM and LPT ports.
const GUID kPortsClass = {0x4D36E978, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
// DEVPKEY_Device_Parent: the instance ID of the device's parent (a string).
const DEVPROPKEY kParentKey = {{0x4340A6C5, 0x93FA, 0x4706, {0x97, 0x2C, 0x7B, 0x64, 0x80, 0x08, 0xA5, 0xA7}}, 8};
constexpr DEVPROPTYPE kStringType = 0x00000012;  // DEVPROP_TYPE_STRING

// Nodes looked at at most (ports of other kinds, LPT ports, are among them).
constexpr DWORD kMaxNodes = 128;
// Units of a text read: the longest instance ID (200) and friendly names fit.
constexpr DWORD kTextUnits = 260;

// A text property of the node (for a list of texts, its first); false when it has none. The
// buffer keeps two units free, so the text is terminated whatever the system wrote.
bool ReadRegistryText(HDEVINFO set, SP_DEVINFO_DATA& info, DWORD property, char* out, int size) {
  wchar_t text[kTextUnits] = {};
  DWORD type = 0;
  if (!SetupDiGetDeviceRegistryPropertyW(set, &info, property, &type, reinterpret_cast<BYTE*>(text),
                                         (kTextUnits - 2) * sizeof(wchar_t), nullptr) ||
      (type != REG_SZ && type != REG_MULTI_SZ))
    return false;
  WideToCp932(text, out, size);
  return true;
}

void ReadParent(HDEVINFO set, SP_DEVINFO_DATA& info, char* out, int size) {
  wchar_t text[kTextUnits] = {};
  DEVPROPTYPE type = 0;
  if (SetupDiGetDevicePropertyW(set, &info, &kParentKey, &type, reinterpret_cast<BYTE*>(text),
                                (kTextUnits - 1) * sizeof(wchar_t), nullptr, 0) &&
      type == kStringType)
    WideToCp932(text, out, size);
}

// The COM number of the node's PortName in its "Device Parameters" key; 0 when it has none.
int ReadComNumber(HDEVINFO set, SP_DEVINFO_DATA& info) {
  HKEY key = SetupDiOpenDevRegKey(set, &info, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
  if (key == INVALID_HANDLE_VALUE) return 0;
  wchar_t name[32] = {};
  DWORD type = 0;
  DWORD bytes = sizeof name - sizeof(wchar_t);
  const LONG rc = RegQueryValueExW(key, L"PortName", nullptr, &type, reinterpret_cast<BYTE*>(name), &bytes);
  RegCloseKey(key);
  if (rc != ERROR_SUCCESS || type != REG_SZ) return 0;
  char text[32];
  WideToCp932(name, text, sizeof text);
  return ComNumberOf(text);
}

}  // namespace

void ReadPortDevices(PortDeviceList& list) {
  list.count = 0;
  HDEVINFO set = SetupDiGetClassDevsW(&kPortsClass, nullptr, nullptr, DIGCF_PRESENT);
  if (set == INVALID_HANDLE_VALUE) return;
  SP_DEVINFO_DATA info{};
  info.cbSize = sizeof info;
  for (DWORD i = 0; i < kMaxNodes && list.count < kMaxPortDevices && SetupDiEnumDeviceInfo(set, i, &info); ++i) {
    PortRecord& port = list.ports[list.count];
    port = PortRecord{};
    wchar_t id[kTextUnits] = {};
    if (!SetupDiGetDeviceInstanceIdW(set, &info, id, kTextUnits - 1, nullptr)) continue;
    port.comNumber = ReadComNumber(set, info);
    if (port.comNumber <= 0) continue;
    WideToCp932(id, port.instanceId, sizeof port.instanceId);
    ReadParent(set, info, port.parentId, sizeof port.parentId);
    ReadRegistryText(set, info, SPDRP_FRIENDLYNAME, port.friendlyName, sizeof port.friendlyName);
    ReadRegistryText(set, info, SPDRP_HARDWAREID, port.hardwareId, sizeof port.hardwareId);
    ReadRegistryText(set, info, SPDRP_LOCATION_INFORMATION, port.location, sizeof port.location);
    ++list.count;
  }
  SetupDiDestroyDeviceInfoList(set);
}
