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
# PASTE_BENCH_MODES: NAME:SENDMODE pairs to run, e.g. "paste:2"; all three by default.
harness_scenario paste_bench port Tamblix.exe traydriver.exe keyprobe.exe

# latency NAME MODE: each size once, in LATENCY ("size:ms ...").
latency() {
  local name=$1 mode=$2 size frame expected times=$H_TMP/$1.times last enter
  harness_typist_start "$name" "unicode paste" SENDMODE="$mode" SENDDELAY=1
  LATENCY=
  expected=
  for size in $SIZES; do
    frame="02 $(for ((i = 0; i < size; i++)); do printf '88 9F '; done)03"
    expected+="$(for ((i = 0; i < size; i++)); do printf '亜'; done){CR}"
    harness_typist_feed "$frame" 60 --times "$times"
    last=$(tail -n 1 "$times" | cut -d. -f1)
    enter=$(grep '^KEYDOWN vk=0D ' "$PROBE_RAW" | sed -n "${TYPIST_FRAMES}p" | sed 's/.* w=\([0-9]*\).*/\1/')
    LATENCY+="$size:$((enter - last)) "
  done
  harness_typist_end
  harness_expect_eq "mode $mode: every frame arrived exactly" "$expected" \
    "$(iconv -f CP932 -t UTF-8 "$H_TMP/$name.txt" 2>/dev/null)"
}

for m in ${PASTE_BENCH_MODES:-altcode:0 unicode:1 paste:2}; do
  set -- "${m%%:*}" "${m#*:}"
  latency "$1" "$2"
  for pair in $LATENCY; do
    echo "FIGURE $1 ${pair%%:*} characters: ${pair#*:} ms from the last byte to the Enter"
  done
done
harness_finish
