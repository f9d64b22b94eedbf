#!/usr/bin/env bash
# A burst of 64 KB of random bytes into an STX/ETX configuration: the reader neither crashes nor
# stalls, the typing of what the burst framed comes to an end, and the next good frame is typed
# exactly.
set -uo pipefail
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$HERE/lib/harness.sh"

harness_scenario burst desktop port keyprobe.exe rxhost.exe
FEED="$HARNESS_PYTHON $HERE/lib/serial_feed.py"

SETTINGS=$H_TMP/rx.ini
harness_stx_etx_settings "$SETTINGS" "$HARNESS_ENTER_AFTER"
: >"$H_TMP/commands"
harness_probe_start probe 400 || harness_abort "the probe window did not get the foreground"
harness_wine_bg HOST_PID 390 "$H_TMP/host.log" rxhost.exe "$(harness_winpath "$SETTINGS")" \
  "$(harness_winpath "$H_TMP/commands")" /D0
harness_wait_line "$H_TMP/host.log" '^start' 20
sleep 0.5

t0=$SECONDS
$FEED "$H_TMP/device" --random 65536 --seed "${BURST_SEED:-7}"
# The typing has ended when the probe has seen no key for 3 s (looked at every second).
last=-1 quiet=0
while [ $((SECONDS - t0)) -lt 300 ] && [ "$quiet" -lt 3 ]; do
  now=$(wc -l <"$PROBE_RAW")
  if [ "$now" -eq "$last" ]; then quiet=$((quiet + 1)); else quiet=0; fi
  last=$now; sleep 1
done
harness_note "the burst's frames took $((SECONDS - t0)) s to type ($(grep -c '^KEYDOWN' "$PROBE_RAW") key downs)"
harness_check "the host survives the burst" kill -0 "$HOST_PID"
harness_check "the typing of the burst comes to an end" test $((SECONDS - t0)) -lt 300

cp "$PROBE_TEXT" "$PROBE_TEXT.before"
sleep 0.2
$FEED "$H_TMP/device" "02 34 39 31 32 03"
harness_wait_count "$PROBE_RAW" '^KEYUP vk=0D ' "$(( $(grep -c '^KEYUP vk=0D ' "$PROBE_RAW") + 1 ))" 10
sleep 0.5
harness_expect_eq "the next good frame is typed exactly" "4912{CR}" \
  "$(tail -c +$(( $(stat -c %s "$PROBE_TEXT.before") + 1 )) "$PROBE_TEXT")"

echo quit >>"$H_TMP/commands"
harness_check "the host stops and quits after the burst" harness_wait_pid "$HOST_PID" 10
harness_probe_stop
harness_finish
