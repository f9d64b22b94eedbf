#!/usr/bin/env bash
# Hours of reception: the real Tamblix.exe receives on COM5 for SOAK_MINUTES (default 60) as on
# a working day. Numbered frames come at random gaps and sizes (ASCII, half-width kana and JIS
# kanji, lib/soak_feed.py), in segments of 5 to 15 s; between segments, once the typing has
# caught up, the device is unplugged and plugged back in, or reception is stopped and started
# from the dialog (中止, 開始), in turn every SOAK_EVENT_SECONDS or so (default 90; a quarter of
# a short run). At the end every frame sent must have been typed exactly once, in order, and
# logged exactly once, and the program must still be running.
#
# Every SOAK_SAMPLE_SECONDS (default 60; an eighth of a short run) procstat.exe, started in the
# same prefix, reads the program's memory, handle, GDI and USER object counts and its windows;
# the Linux process that Wine runs it in gives its anonymous resident memory, open files and
# threads. At the end each count's growth per hour (least-squares slope after two samples of
# warm-up) is printed as "FIGURE soak-NAME-per-hour". A benchmark: it fails only on a frame
# lost, doubled or changed, and on a crash; growth is reported, not judged.
set -uo pipefail
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
MINUTES=${SOAK_MINUTES:-60}
TOTAL=$(awk -v m="$MINUTES" 'BEGIN { printf "%d", m * 60 }')
export HARNESS_MAX_SECONDS=$((TOTAL + 900))
source "$HERE/../lib/harness.sh"

SHORT=$((TOTAL / 4)); SAMPLE_SHORT=$((TOTAL / 8))
EVENT_SECONDS=${SOAK_EVENT_SECONDS:-$((SHORT < 90 ? SHORT : 90))}
SAMPLE_SECONDS=${SOAK_SAMPLE_SECONDS:-$((SAMPLE_SHORT < 60 ? SAMPLE_SHORT : 60))}
[ "$SAMPLE_SECONDS" -ge 5 ] || SAMPLE_SECONDS=5
RANDOM=${SOAK_SEED:-24}

CAPTION='Tamblix( TM ) Ver.2.5.2'
MISSING="$CAPTION - COM5 が見つかりません"
harness_scenario soak desktop port Tamblix.exe dlgdriver.exe traydriver.exe keyprobe.exe procstat.exe
mkdir -p "$(dirname "$H_DEFAULT_INI")"
LOGS=$H_TMP/logs
mkdir -p "$LOGS"
EXPECTED=$H_TMP/expected
SAMPLES=$H_TMP/samples
: >"$EXPECTED"; : >"$SAMPLES"
# The device's JIS kanji and kana shift codes; a data interval far above the feed's gaps inside
# a frame, so that a loaded machine cannot cut one.
harness_stx_etx_settings "$H_DEFAULT_INI" "$HARNESS_ENTER_AFTER" DATADELAY=500 \
  KANJIIN=1B24420000 KANJIOUT=1B28420000 KANAIN=0E00000000 KANAOUT=0F00000000 \
  LOGEXEC=1 "LOGFOLDER=$(harness_winpath "$LOGS")" LOGFILE=rx.log

# A crash ends the program with Wine's report on its standard error instead of a dialog that
# would keep the crashed process alive.
wine_masked timeout 30 "$WINE64" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog \
  /t REG_DWORD /d 0 /f >/dev/null 2>&1

drive() { harness_drive "$@"; }
caption_is() { harness_drive /caption "$1" wait-window "$2" >/dev/null; }
typed_count() { grep -o '{CR}' "$PROBE_TEXT" 2>/dev/null | wc -l; }
sent_count() { wc -l <"$EXPECTED"; }

harness_wine_bg APP $((TOTAL + 600)) "$H_TMP/app.out" Tamblix.exe
drive wait-window 60 >/dev/null || harness_abort "the main dialog did not appear"
drive click "$IDC_START" wait-enabled "$IDC_STOP" 1 20 >/dev/null || harness_abort "reception did not start"
harness_probe_start probe $((TOTAL + 600)) || harness_abort "the probe did not get the foreground"

# ---- resource samples ----------------------------------------------------------------------------
CRASHED=
# alive: false, with CRASHED set, once the program has ended or Wine's debugger has caught it.
alive() {
  [ -n "$CRASHED" ] && return 1
  if ! kill -0 "$APP" 2>/dev/null; then CRASHED="the program ended during the run"; return 1; fi
  if harness_unix_pid winedbg.exe >/dev/null; then CRASHED="the program crashed (winedbg runs)"; return 1; fi
  return 0
}
T0=$SECONDS
NEXT_SAMPLE=$SECONDS
LAST_SAMPLE=-99
sample() {
  local line pid anon threads fds
  LAST_SAMPLE=$SECONDS
  harness_wine_fg 60 "$H_TMP/procstat.out" procstat.exe Tamblix.exe
  line=$(tr -d '\r' <"$H_TMP/procstat.out")
  alive || return 1
  [[ $line == pid=* ]] || { harness_note "procstat: $line"; return 0; }
  pid=$(harness_unix_pid Tamblix.exe) || { harness_note "the program's Linux process was not found"; return 0; }
  anon=$(harness_unix_status "$pid" RssAnon)
  threads=$(harness_unix_status "$pid" Threads)
  fds=$(find "/proc/$pid/fd" -mindepth 1 -maxdepth 1 2>/dev/null | wc -l)
  line=${line#pid=* }
  # Memory in kB, as the Linux counts are.
  line=$(awk '{ for (i = 1; i <= NF; i++) { split($i, kv, "=")
      if (kv[1] == "private" || kv[1] == "working") $i = kv[1] "-kb=" (kv[2] > 0 ? int(kv[2] / 1024) : kv[2]) }
    print }' <<<"$line")
  echo "t=$((SECONDS - T0)) $line linux-rss-anon-kb=$anon linux-threads=$threads linux-fds=$fds" >>"$SAMPLES"
}
sample_if_due() {
  [ "$SECONDS" -ge "$NEXT_SAMPLE" ] || return 0
  NEXT_SAMPLE=$((NEXT_SAMPLE + SAMPLE_SECONDS))
  sample
}

# ---- waiting for the typing ------------------------------------------------------------------------
# drain: until every frame sent has been typed; gives up after 60 s without a new frame typed
# (the final comparison then says what was lost).
drain() {
  local target typed last=-1 still=0
  target=$(sent_count)
  while :; do
    typed=$(typed_count)
    [ "$typed" -ge "$target" ] && return 0
    if [ "$typed" -eq "$last" ]; then still=$((still + 1)); else still=0; last=$typed; fi
    [ "$still" -ge 120 ] && { harness_note "typing stalled at $typed of $target frames"; return 1; }
    alive && sample_if_due || return 1
    sleep 0.5
  done
}

# ---- the device and the dialog -------------------------------------------------------------------
UNPLUGS=0; RESTARTS=0
unplug() {
  harness_port_drop
  caption_is "$MISSING" 20 || harness_note "the caption did not show the device missing"
  sleep $((1 + RANDOM % 3))
  harness_port_restore
  caption_is "$CAPTION" 20 || harness_note "the caption did not show the device back"
  UNPLUGS=$((UNPLUGS + 1))
}
restart() {
  drive click "$IDC_STOP" wait-enabled "$IDC_START" 1 20 >/dev/null || harness_note "中止 did not stop"
  sleep $((RANDOM % 3))
  drive click "$IDC_START" wait-enabled "$IDC_STOP" 1 30 >/dev/null || harness_note "開始 did not start"
  [ "$(grep -a '^FOCUS' "$PROBE_RAW" | tail -n 1 | tr -d '\r')" = "FOCUS on" ] ||
    harness_note "the probe lost the keyboard focus at the restart"
  RESTARTS=$((RESTARTS + 1))
}

# ---- the run ---------------------------------------------------------------------------------------
END=$((SECONDS + TOTAL))
NEXT_EVENT=$((SECONDS + EVENT_SECONDS))
EVENT=unplug
ROUND=0
while [ "$SECONDS" -lt "$END" ] && [ -z "$CRASHED" ]; do
  left=$((END - SECONDS)); seg=$((5 + RANDOM % 11)); [ "$seg" -gt "$left" ] && seg=$left
  ROUND=$((ROUND + 1))
  $HARNESS_PYTHON "$HERE/../lib/soak_feed.py" "$H_TMP/device" "$EXPECTED" --first "$(sent_count)" \
    --seconds "$seg" --seed "$((${SOAK_SEED:-24} * 1000 + ROUND))" >/dev/null &
  FEED=$!
  while kill -0 "$FEED" 2>/dev/null; do sample_if_due || break; sleep 0.5; done
  wait "$FEED" || harness_note "the feed failed in round $ROUND"
  drain || break
  if [ "$SECONDS" -ge "$NEXT_EVENT" ] && [ "$SECONDS" -lt "$END" ]; then
    "$EVENT"
    [ "$EVENT" = unplug ] && EVENT=restart || EVENT=unplug
    NEXT_EVENT=$((SECONDS + EVENT_SECONDS / 2 + RANDOM % (EVENT_SECONDS + 1)))
  fi
done
[ -z "$CRASHED" ] && drain
[ -z "$CRASHED" ] && [ $((SECONDS - LAST_SAMPLE)) -ge 5 ] && sample
sleep 1
harness_note "$(sent_count) frames sent in $ROUND segments, $UNPLUGS unplugs, $RESTARTS stops and starts, $(wc -l <"$SAMPLES") samples"

# ---- the checks ------------------------------------------------------------------------------------
# compare NAME FILE SEPARATOR: every expected frame once, in order, nothing else; says what differs.
compare() {
  $HARNESS_PYTHON - "$EXPECTED" "$2" "$3" "$1" <<'PY'
import sys
expected = open(sys.argv[1], "rb").read().split(b"\n")[:-1]
got = open(sys.argv[2], "rb").read().split(sys.argv[3].encode().decode("unicode_escape").encode())
if got and got[-1] == b"":
    got.pop()
if got == expected:
    sys.exit(0)
seen = {}
for g in got:
    seen[g] = seen.get(g, 0) + 1
missing = sum(1 for e in expected if e not in seen)
doubled = sum(n - 1 for n in seen.values() if n > 1)
known = set(expected)
strange = [g for g in seen if g not in known]
print("  %s: %d frames expected, %d found: %d missing, %d doubled, %d not sent%s" % (
    sys.argv[4], len(expected), len(got), missing, doubled, len(strange),
    (" (first: %r)" % strange[0][:40]) if strange else ""))
sys.exit(1)
PY
}
harness_check "the program did not crash" alive
[ -n "$CRASHED" ] && harness_note "$CRASHED" && grep -a -m 5 -iE 'exception|crash|backtrace' "$H_TMP/app.out"
harness_check "every frame sent was typed exactly once, in order ($(sent_count) frames)" \
  compare typed "$PROBE_TEXT" '{CR}'
harness_check "every frame sent was logged exactly once, in order" compare logged "$LOGS/rx.log" '\r\n'

$HARNESS_PYTHON "$HERE/../lib/soak_growth.py" "$SAMPLES"
harness_probe_stop
harness_tray post "$WM_COMMAND" "$IDM_EXIT" 0
harness_wait_pid "$APP" 20 || harness_note "終了 did not end the program"
harness_finish
