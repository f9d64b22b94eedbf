#!/usr/bin/env bash
# The device unplugged and plugged back in while the real Tamblix.exe receives on COM5: the pty
# pair is closed in the middle of a frame and made again at the same path 3 s later (or once the
# checks while it is away are done). The dialog's caption shows the device missing and then
# present again, a frame sent after the return is typed with no user action, the cut frame is
# ended as a data-interval timeout ends it (its record written, no POSTCODE), and the program
# stays quiet while the device is away.
set -uo pipefail
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$HERE/lib/harness.sh"

CAPTION='Tamblix( TM ) Ver.2.5.2'
MISSING="$CAPTION - COM5 が見つかりません"

harness_scenario unplug desktop port Tamblix.exe dlgdriver.exe traydriver.exe keyprobe.exe
FEED="$HARNESS_PYTHON $HERE/lib/serial_feed.py"
mkdir -p "$(dirname "$H_DEFAULT_INI")"

LOGS=$H_TMP/logs
mkdir -p "$LOGS"
# The longest data interval (2 s): the removal, noticed within a second, ends the cut frame first.
harness_stx_etx_settings "$H_DEFAULT_INI" "$HARNESS_ENTER_AFTER" DATADELAY=2000 LOGEXEC=1 \
  "LOGFOLDER=$(harness_winpath "$LOGS")" LOGFILE=rx.log

drive() { harness_drive "$@"; }
caption_is() { harness_drive /caption "$1" wait-window "$2" >/dev/null; }

harness_wine_bg APP 120 "$H_TMP/app.out" Tamblix.exe
drive wait-window 60 >/dev/null || harness_abort "the main dialog did not appear"
drive click $IDC_START wait-enabled $IDC_STOP 1 20 >/dev/null || harness_abort "reception did not start"
harness_probe_start probe 100 || harness_abort "the probe did not get the foreground"

$FEED "$H_TMP/device" "02 31 32"
harness_wait_line "$PROBE_TEXT" '12' 10
harness_port_drop
DROPPED=$SECONDS
harness_check "the caption shows the device missing" caption_is "$MISSING" 5

CPU_PCT=$(harness_prefix_cpu_percent 2)
echo "FIGURE unplugged-cpu-percent $CPU_PCT"
# An idle prefix (wineserver, explorer, the probe) takes a few per cent on a loaded machine; a
# reader that spins on the dead port, or Wine polling a wait left pending on it, takes far more.
harness_check "quiet while the device is missing (${CPU_PCT}% of one core, this prefix)" test "$CPU_PCT" -le 10

sleep $(( 3 - (SECONDS - DROPPED) > 0 ? 3 - (SECONDS - DROPPED) : 0 ))
harness_port_restore
harness_check "the caption shows the device present again" caption_is "$CAPTION" 5
$FEED "$H_TMP/device" "02 37 37 03"
harness_check "a frame sent after the return is typed with no user action" \
  harness_wait_line "$PROBE_TEXT" '77\{CR\}' 10
sleep 0.5
harness_expect_eq "nothing lost or doubled; the cut frame got no POSTCODE" "1277{CR}" "$(cat "$PROBE_TEXT")"
harness_expect_eq "the cut frame's record and the next frame's are written" "$(printf '12\r\n77\r\n')" \
  "$(cat "$LOGS/rx.log" 2>/dev/null)"

harness_probe_stop
harness_tray post 273 151 0
harness_check "終了 ends the program" harness_wait_pid "$APP" 10
harness_finish
