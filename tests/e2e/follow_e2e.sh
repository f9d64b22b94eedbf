#!/usr/bin/env bash
# Following a serial device by its identity through the real Tamblix.exe: a Ports-class device
# node written into the prefix's registry (an FTDI port whose parent is the USB device that
# carries the serial number A12345) names the port the device has; PORT says COM5 and PORTID the
# device. At the start the program opens the port of the node (COM6) and types what arrives
# there; the node moved to COM5 plus a WM_DEVICECHANGE makes it follow; two nodes of the device
# on ports neither of which is open are never guessed; a device that is absent at the start is
# waited for and opened when it arrives; after 中止 a change opens nothing.
set -uo pipefail
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$HERE/lib/harness.sh"

CAPTION='Tamblix( TM ) Ver.2.5.2'
IDC_PORT=$(harness__res_id IDC_PORT)
IDC_PORTID=$(harness__res_id IDC_PORTID)
IDENTITY='USB\VID_0403&PID_6001\A12345'
NODE='HKEY_LOCAL_MACHINE\System\CurrentControlSet\Enum\FTDIBUS\VID_0403+PID_6001+A12345A'

harness_scenario follow desktop port Tamblix.exe dlgdriver.exe traydriver.exe keyprobe.exe
harness_second_port
FEED="$HARNESS_PYTHON $HERE/lib/serial_feed.py"
mkdir -p "$(dirname "$H_DEFAULT_INI")"

# utf16_hex TEXT: TEXT and its terminator as the UTF-16LE bytes of a .reg hex value.
utf16_hex() { printf '%s\0' "$1" | iconv -f UTF-8 -t UTF-16LE | od -An -tx1 | tr -s ' \n' ',' | sed 's/^,//; s/,$//'; }
# fixture PORTNAME...: the device's nodes 0000, 0001, ... with these port names, in place of
# the ones before (one import: the old nodes are deleted first); none removes the device.
fixture() {
  local reg=$H_TMP/fixture.reg i=0 name
  {
    printf 'REGEDIT4\n\n[-%s]\n' "$NODE"
    for name in "$@"; do
      local key="$NODE\\000$i"
      printf '\n[%s]\n"ClassGUID"="{4D36E978-E325-11CE-BFC1-08002BE10318}"\n"Class"="Ports"\n' "$key"
      printf '"FriendlyName"="USB Serial Port (%s)"\n"LocationInformation"="Port_#000%d.Hub_#0001"\n' "$name" "$((i + 1))"
      printf '"HardwareID"=hex(7):%s,00,00\n' "$(utf16_hex 'FTDIBUS\COMPORT&VID_0403&PID_6001')"
      printf '\n[%s\\Device Parameters]\n"PortName"="%s"\n' "$key" "$name"
      printf '\n[%s\\Properties\\{4340a6c5-93fa-4706-972c-7b648008a5a7}\\0008]\n@=hex(ffff0012):%s\n' \
        "$key" "$(utf16_hex "$IDENTITY")"
      i=$((i + 1))
    done
  } >"$reg"
  timeout 30 "$WINE64" reg import "$(harness_winpath "$reg")" >/dev/null 2>&1
}
drive() { harness_drive "$@"; }
caption_is() { harness_drive /caption "$1" wait-window "$2" >/dev/null; }
# device_change: what Windows broadcasts when a port arrives or leaves (Wine sends none).
device_change() { harness_tray post 537 7 0 >/dev/null; }
typed() { harness_wait_line "$PROBE_TEXT" "$1" 10; }

fixture COM6
harness_stx_etx_settings "$H_DEFAULT_INI" "$HARNESS_ENTER_AFTER" "PORTID=$IDENTITY"
harness_wine_bg APP 120 "$H_TMP/app.out" Tamblix.exe
drive wait-window 60 >/dev/null || harness_abort "the main dialog did not appear"
SHOWN=$(drive checked "$IDC_PORTID" items "$IDC_PORT")
harness_check "the check box shows the device followed" grep -qx "checked $IDC_PORTID 1" <<<"$SHOWN"
harness_check "the port list names the device with its maker and serial number" \
  grep -qx "item $IDC_PORT COM6 USB Serial Port (COM6) (FTDI A12345)" <<<"$SHOWN"
drive click $IDC_START wait-enabled $IDC_STOP 1 20 >/dev/null || harness_abort "reception did not start"
harness_probe_start probe 100 || harness_abort "the probe did not get the foreground"
harness_check "PORT says COM5, the device is on COM6: COM6 is shown" drive wait-text "$IDC_PORT" COM6 5
$FEED "$H_TMP/device6" "02 36 36 03"
harness_check "what arrives on the device's port is typed" typed '66\{CR\}'
harness_check "the port the device has is stored in PORT" grep -q $'^PORT=5\r$' "$H_DEFAULT_INI"

fixture COM5
device_change
harness_check "moved to COM5 and announced: the program follows it" drive wait-text "$IDC_PORT" COM5 10
sleep 0.5
$FEED "$H_TMP/device" "02 35 35 03"
harness_check "what arrives on its new port is typed" typed '55\{CR\}'

fixture COM6 COM7
device_change
harness_check "two ports of the device, neither open: never guessed, both named" \
  caption_is "$CAPTION - 追跡するデバイスが 2 つあります (COM6, COM7)" 10
drive /caption "$CAPTION - 追跡するデバイスが 2 つあります (COM6, COM7)" click $IDC_STOP \
  wait-enabled $IDC_START 1 20 >/dev/null

fixture
drive click $IDC_START wait-enabled $IDC_STOP 1 20 >/dev/null
harness_check "the device absent at the start: the caption says so" \
  caption_is "$CAPTION - デバイスが接続されていません" 10
fixture COM6
device_change
harness_check "it arrives: the start opens its port" caption_is "$CAPTION" 10
harness_check "and shows it" drive wait-text "$IDC_PORT" COM6 5
sleep 0.5
$FEED "$H_TMP/device6" "02 37 37 03"
harness_check "what arrives there is typed" typed '77\{CR\}'

drive click $IDC_STOP wait-enabled $IDC_START 1 20 >/dev/null
fixture COM5
device_change
sleep 1.5
harness_expect_eq "after 中止 a change opens nothing" "enabled $IDC_STOP 0|text $IDC_PORT COM6" \
  "$(drive enabled $IDC_STOP gettext $IDC_PORT | paste -sd '|')"

fixture COM7 COM8
harness_expect_eq "a start with two ports of the device, neither PORT, names both and opens none" \
  "box 追跡するデバイスが 2 つあります (COM7, COM8)|enabled $IDC_STOP 0" \
  "$(drive click $IDC_START wait-box 10 close-box wait-enabled $IDC_START 1 10 enabled $IDC_STOP |
    grep -v '^window' | paste -sd '|')"

harness_probe_stop
harness_tray post 273 151 0
harness_check "終了 ends the program" harness_wait_pid "$APP" 10
harness_finish
