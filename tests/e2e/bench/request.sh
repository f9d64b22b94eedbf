#!/usr/bin/env bash
# Device request latency: 50 presses of the request's hot key, each answered by the simulated
# balance with a stable reading that is typed as its number and Enter. Prints, median and
# worst: ms from the key press to the request line read at the device, and from the answer's
# last byte written to the Enter after the typed weight; beside the line time of the answer at
# the baud rate of the settings (115200). A benchmark scenario: it fails only when a press
# brings no request or no weight.
set -uo pipefail
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$HERE/../lib/harness.sh"

PRESSES=${REQUEST_PRESSES:-50}
HOTKEY=0375  # Ctrl+Shift+F6
harness_scenario request-latency port Tamblix.exe traydriver.exe keyprobe.exe
HARNESS_READINGS=("ST,+00012.34  g")
harness_balance_start $(( PRESSES + 60 )) REQHOTKEY=$HOTKEY
sleep 1  # the program settles after its start before the first press
: >"$H_TMP/pressed"
for i in $(seq "$PRESSES"); do
  harness_tray hotkey "$HOTKEY" >/dev/null
  sed -n 's/^pressed //p' "$H_TMP/tray.out" | tr -d '\r' >>"$H_TMP/pressed"
  harness_wait_count "$PROBE_RAW" '^KEYDOWN vk=0D ' "$i" 10 || break
  sleep 0.1
done
harness_balance_end

$HARNESS_PYTHON - "$H_TMP/pressed" "$BALANCE_LOG" "$PROBE_RAW" "$PRESSES" <<'PY'
import re, statistics, sys
pressed = [float(x) for x in open(sys.argv[1]).read().split()]
log = open(sys.argv[2]).read().splitlines()
requests = [float(l.split()[1]) for l in log if l.startswith("request ")]
answers = [float(l.split()[1]) for l in log if l.startswith("answer ")]
enters = [int(m.group(1)) for l in open(sys.argv[3]).read().splitlines()
          if l.startswith("KEYDOWN vk=0D ") for m in [re.search(r" w=(\d+)", l)] if m]
n = int(sys.argv[4])
def show(what, values):
    values = sorted(values)
    if values:
        print("FIGURE %s: median %.1f ms, worst %.1f ms (%d)" % (what, statistics.median(values), values[-1], len(values)))
show("hot key -> request at the device", [r - p for p, r in zip(pressed, requests)])
show("answer's last byte -> Enter after the weight", [e - a for a, e in zip(answers, enters)])
# "ST,+00012.34  g" CR LF: 17 bytes of 10 bits at 115200 baud.
print("FIGURE line time of the answer at 115200 baud: %.2f ms" % (17 * 10 * 1000.0 / 115200))
ok = len(requests) == n and len(enters) == n
print(("PASS" if ok else "FAIL") + " every press brought one request and one weight (%d, %d of %d)" % (len(requests), len(enters), n))
sys.exit(0 if ok else 1)
PY
harness_check "no press without its request and weight" test $? -eq 0
harness_finish
