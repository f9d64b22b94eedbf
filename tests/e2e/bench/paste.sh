#!/usr/bin/env bash
# The three send modes side by side, one run on one probe kind (a Unicode keyprobe window that
# pastes on Ctrl+V) under Wine: for frames of 20, 200 and 1000 two-byte characters (亜) typed by
# the real Tamblix.exe in mode 0 (Alt codes, SENDDELAY 1), mode 1 (Unicode packets) and mode 2
# (paste), the time from the frame's last byte written to the port to the frame's Enter key
# reaching the probe. Prints each time as a FIGURE; fails only when a frame arrives wrong. Times
# under Wine are no promise for Windows; nothing is judged by them.
set -uo pipefail
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$HERE/../lib/harness.sh"

SIZES=${PASTE_BENCH_SIZES:-"20 200 1000"}
harness_scenario paste_bench port Tamblix.exe traydriver.exe keyprobe.exe
mkdir -p "$H_DOCS/Tamblix"

# latency NAME MODE: each size once, in LATENCY ("size:ms ...").
latency() {
  local name=$1 mode=$2 size frame expected times=$H_TMP/$1.times n=0 last enter
  harness_stx_etx_settings "$H_DOCS/Tamblix$name.ini" AUTOSTA=1 SENDMODE="$mode" DATADELAY=2000 \
    SENDDELAY=1 "$HARNESS_ENTER_AFTER"
  harness_wine_bg app 300 "$H_TMP/$name.out" Tamblix.exe "/F$name" /D0
  harness_wait_state 'main=hidden about=0 splash=0' 60 || harness_abort "$name: no automatic start"
  harness_probe_start "$name" 200 unicode paste || harness_abort "$name: the probe is not in front"
  LATENCY=
  expected=
  for size in $SIZES; do
    frame="02 $(for ((i = 0; i < size; i++)); do printf '88 9F '; done)03"
    expected+="$(for ((i = 0; i < size; i++)); do printf '亜'; done){CR}"
    python3 "$HERE/../lib/serial_feed.py" "$H_TMP/device" "$frame" --times "$times"
    n=$((n + 1))
    harness_wait_count "$PROBE_RAW" '^KEYDOWN vk=0D ' "$n" 60
    last=$(tail -n 1 "$times" | cut -d. -f1)
    enter=$(grep '^KEYDOWN vk=0D ' "$PROBE_RAW" | sed -n "${n}p" | sed 's/.* w=\([0-9]*\).*/\1/')
    LATENCY+="$size:$((enter - last)) "
    sleep 0.5
  done
  harness_probe_stop
  harness_tray post "$WM_COMMAND" "$IDM_EXIT" 0
  harness_wait_pid "$app" 20
  harness_stop_pid "$app"
  harness_expect_eq "mode $mode: every frame arrived exactly" "$expected" \
    "$(iconv -f CP932 -t UTF-8 "$H_TMP/$name.txt" 2>/dev/null)"
}

for m in "altcode 0" "unicode 1" "paste 2"; do
  set -- $m
  latency "$1" "$2"
  for pair in $LATENCY; do
    echo "FIGURE $1 ${pair%%:*} characters: ${pair#*:} ms from the last byte to the Enter"
  done
done
harness_finish
