#!/usr/bin/env bash
# The time from a frame's last byte to its last typed key (the Enter after it), over TCP (the
# program as a client of a device server on 127.0.0.1) beside the same over the COM port (a
# pty), in one run: TCP_FRAMES frames (default 20) of "1234" CR LF, 300 ms apart, each way.
# Prints the median and the largest of each as FIGUREs.
set -uo pipefail
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$HERE/../lib/harness.sh"

COUNT=${TCP_FRAMES:-20}
harness_scenario tcp_latency port Tamblix.exe traydriver.exe keyprobe.exe
DEVICE="$HARNESS_PYTHON $HERE/../lib/tcp_device.py"
mkdir -p "$H_DOCS/Tamblix"

# latency NAME: the latencies (ms) of NAME's frames, sorted, from its send log and probe.
latency() {
  paste <(sed -n 's/^sent \([0-9]*\).*/\1/p' "$H_TMP/$1.log") \
        <(grep '^KEYDOWN vk=0D ' "$H_TMP/$1.raw" | sed -n 's/.* w=\([0-9]*\).*/\1/p') |
    awk 'NF == 2 { print $2 - $1 }' | sort -n
}
# run NAME MODE TARGET KEY=VALUE...: the program with those settings, the frames sent.
run() {
  local name=$1 mode=$2 target=$3; shift 3
  : >"$H_TMP/$name.log"
  harness_stx_etx_settings "$H_DOCS/Tamblix$name.ini" AUTOSTA=1 RCVSTA=0000000000 \
    RCVEND=0D0A000000 "$HARNESS_ENTER_AFTER" SENDDELAY=1 "$@"
  harness_wine_bg app 300 "$H_TMP/$name.out" Tamblix.exe "/F$name"
  harness_wait_state 'main=hidden' 60 || harness_abort "$name: no automatic start"
  harness_probe_start "$name" 200 || harness_abort "$name: the probe is not in front"
  touch "$H_TMP/$name.go"
  wait "$FEED_PID"
  harness_wait_count "$PROBE_RAW" '^KEYDOWN vk=0D ' "$COUNT" 20
  harness_probe_stop
  harness_tray post "$WM_COMMAND" "$IDM_EXIT" 0
  harness_wait_pid "$app" 20
  harness_check "$name: $COUNT frames typed" test "$(latency "$name" | wc -l)" -eq "$COUNT"
  sorted=$(latency "$name")
  echo "FIGURE $name: frame's last byte -> Enter, median $(sed -n "$(( (COUNT + 1) / 2 ))p" <<<"$sorted") ms, largest $(tail -n 1 <<<"$sorted") ms"
}

$DEVICE pty-frames "$H_TMP/device" "$H_TMP/com.log" "$COUNT" "$H_TMP/com.go" &
FEED_PID=$!
run com pty "$H_TMP/device" PORT=4
$DEVICE frames "$H_TMP/tcp.port" "$H_TMP/tcp.log" "$COUNT" "$H_TMP/tcp.go" &
FEED_PID=$!
harness_wait_file "$H_TMP/tcp.port" 10 || harness_abort "the device server did not listen"
run tcp tcp 127.0.0.1 SOURCE=1 TCPHOST=127.0.0.1 "TCPPORT=$(cat "$H_TMP/tcp.port")"
harness_finish
