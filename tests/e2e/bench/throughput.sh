#!/usr/bin/env bash
# Throughput and loss: STX/ETX frames of 20 digits are written to the virtual port at the line
# rate (115200 baud; THROUGHPUT_BAUD for another) for THROUGHPUT_SECONDS (default 10; the full
# benchmark is 60) with SENDDELAY 0 and "/D0". Every frame must reach the probe, in order, none
# lost or duplicated. Prints frames sent and typed, the typing rate, and the median and
# 95th-percentile latency from the last byte written to the probe's Enter. A benchmark scenario:
# it fails only on loss.
set -uo pipefail
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$HERE/../lib/harness.sh"

SECONDS_OF_DATA=${THROUGHPUT_SECONDS:-10}
BAUD=${THROUGHPUT_BAUD:-115200}                # a lower rate shows the latency without backlog
FRAMES=$(( SECONDS_OF_DATA * BAUD / 10 / 22 ))  # 22 bytes a frame, 10 bits a byte

harness_scenario throughput port keyprobe.exe rxhost.exe

SETTINGS=$H_TMP/rx.ini
harness_stx_etx_settings "$SETTINGS" "$HARNESS_ENTER_AFTER"
: >"$H_TMP/commands"

LIMIT=$(( SECONDS_OF_DATA * 20 + 120 ))
harness_probe_start probe "$LIMIT" || harness_abort "the probe window did not get the foreground"
# rxhost stands in for the dialog; the key pause of "/D0" is the KeyPause it starts with.
harness_wine_bg HOST_PID "$LIMIT" "$H_TMP/host.log" rxhost.exe "$(harness_winpath "$SETTINGS")" \
  "$(harness_winpath "$H_TMP/commands")" /D0
harness_wait_line "$H_TMP/host.log" '^start' 20
sleep 0.5

$HARNESS_PYTHON "$HERE/../lib/serial_feed.py" "$H_TMP/device" --frames "$FRAMES" --digits 20 --baud "$BAUD" \
  --times "$H_TMP/sent.times"
# Wait until the typing has caught up: no new Enter for 3 s.
last=-1
for _ in $(seq $(( LIMIT ))); do
  now=$(grep -c '^KEYDOWN vk=0D ' "$PROBE_RAW")
  [ "$now" -ge "$FRAMES" ] && break
  [ "$now" -eq "$last" ] && sleep 2 && [ "$(grep -c '^KEYDOWN vk=0D ' "$PROBE_RAW")" -eq "$now" ] && break
  last=$now; sleep 1
done
echo quit >>"$H_TMP/commands"
harness_wait_pid "$HOST_PID" 10
harness_probe_stop

# Frames as typed: the decoded text is "<20 digits>{CR}" per frame.
$HARNESS_PYTHON - "$PROBE_TEXT" "$PROBE_RAW" "$H_TMP/sent.times" "$FRAMES" <<'PY'
import re, statistics, sys
text = open(sys.argv[1], "rb").read().decode("cp932", "replace")
raw = open(sys.argv[2]).read().splitlines()
sent = [float(x) for x in open(sys.argv[3]).read().split()]
frames = int(sys.argv[4])
typed = [t for t in text.split("{CR}") if t]
expected = [str(i).zfill(20) for i in range(frames)]
enters = [int(m.group(1)) for l in raw if l.startswith("KEYDOWN vk=0D ")
          for m in [re.search(r" w=(\d+)", l)] if m]
lat = sorted(e - s for e, s in zip(enters, sent))
print("FIGURE frames sent %d, frames typed %d" % (frames, len(typed)))
if len(enters) > 1:
    print("FIGURE typing rate %.0f frames/s" % ((len(enters) - 1) * 1000.0 / (enters[-1] - enters[0])))
if lat:
    p95 = lat[min(len(lat) - 1, int(len(lat) * 0.95))]
    print("FIGURE latency last byte -> Enter: median %.0f ms, 95th percentile %.0f ms" %
          (statistics.median(lat), p95))
ok = typed == expected
print(("PASS" if ok else "FAIL") + " every frame typed once, in order, nothing lost")
if not ok:
    missing = sorted(set(expected) - set(typed))[:5]
    print("first missing:", missing, "first typed:", typed[:3])
sys.exit(0 if ok else 1)
PY
harness_check "no frame lost or duplicated" test $? -eq 0
harness_finish
