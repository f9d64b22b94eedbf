#!/usr/bin/env bash
# Stopping reception in the real Tamblix.exe under Wine, on the virtual COM5, while a long frame
# is being typed (SENDDELAY 150, so each character takes 150 ms): no key reaches the window in
# front later than 1 s after the request, a program asked to end is gone within 3 s, and a
# second stop request during the stop (中止 twice, 中止 then Esc) is inert; 中止 ends a long key
# list after its current key. Then the stop racing the port wait: 200 start/stop cycles of the
# reader with data arriving at random moments.
set -uo pipefail
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$HERE/lib/harness.sh"

# A desktop as users have one: without a window manager Wine waits 2 s for every window it
# hides (the dialog at its end, the tray icon's), which is no part of the program's exit.
harness_scenario stop desktop port Tamblix.exe dlgdriver.exe traydriver.exe keyprobe.exe rxhost.exe
FEED="$HARNESS_PYTHON $HERE/lib/serial_feed.py"
mkdir -p "$(dirname "$H_DEFAULT_INI")"

LOGS=$H_TMP/logs
default_settings() {
  harness_stx_etx_settings "$H_DEFAULT_INI" "$HARNESS_ENTER_AFTER" SENDDELAY=150 LOGEXEC=1 \
    "LOGFOLDER=$(harness_winpath "$LOGS")" LOGFILE=rx.log
}
default_settings
LONG_FRAME="02 $(printf '3%d ' $(seq 0 39 | sed 's/.*\(.\)$/\1/')) 03"  # 40 digits

drive() { harness_drive "$@"; }
now_ms() { date +%s%3N; }
# The wall-clock time (probe's clock) of the last key event the probe saw; 0 for none.
last_key_ms() { grep -E '^(SYS)?KEY' "$PROBE_RAW" | tail -n 1 | sed -n 's/.* w=\([0-9]*\).*/\1/p' | grep . || echo 0; }

# start_app NAME [OPTION...]: a fresh program receiving on COM5 with the probe in front.
start_app() {
  mkdir -p "$LOGS"
  harness_wine_bg APP 120 "$H_TMP/app.out" Tamblix.exe "${@:2}"
  drive wait-window 60 >/dev/null || harness_abort "the main dialog did not appear"
  drive click $IDC_START wait-enabled $IDC_STOP 1 20 >/dev/null || harness_abort "reception did not start"
  harness_probe_start "probe$1" 90 || harness_abort "the probe did not get the foreground"
}
# request CMD...: runs the driver command that asks for the stop; prints the request's time.
request() {
  case $1 in
    drive) shift; drive "$@" clock | sed -n 's/^clock //p' ;;
    tray) shift; harness_tray "$@"; tr -d '\r' <"$H_TMP/tray.out" | sed -n 's/^posted //p' ;;
  esac
}

# --- stopping while a long frame is typed -------------------------------------------------------
# name | request | what follows: alive (a new start receives) or gone (the program ends)
ROWS=(
  "中止|drive click $IDC_STOP|alive"
  "終了 from the tray menu|tray post $WM_COMMAND $IDM_EXIT 0|gone"
  "WM_CLOSE to the hidden main window from another program|tray post $WM_CLOSE 0 0|gone"
  "中止 twice quickly|drive click $IDC_STOP click $IDC_STOP|alive"
  "中止 then Esc|drive click $IDC_STOP command $IDCANCEL|alive"
)
n=0
for row in "${ROWS[@]}"; do
  IFS='|' read -r name how after <<<"$row"
  n=$((n + 1))
  start_app "$n"
  $FEED "$H_TMP/device" "$LONG_FRAME"
  harness_wait_count "$PROBE_RAW" '^KEYUP vk=12 ' 5 20 || harness_abort "$name: typing did not start"
  # shellcheck disable=SC2086
  t_req=$(request $how)
  [ -n "$t_req" ] || harness_abort "$name: the request could not be made"
  if [ "$after" = gone ]; then
    harness_wait_pid "$APP" 10
    gone_ms=$(( $(now_ms) - t_req ))
    harness_check "$name: the program is gone within 3 s (${gone_ms} ms)" test "$gone_ms" -le 3000
  fi
  sleep 2
  lag=$(( $(last_key_ms) - t_req ))
  harness_check "$name: no key reaches the window in front later than 1 s after the request (last ${lag} ms after)" \
    test "$lag" -le 1000
  if [ "$after" = alive ]; then
    harness_check "$name: the program is still there, idle after one stop" \
      drive wait-enabled $IDC_START 1 10
    harness_probe_stop
    drive click $IDC_START wait-enabled $IDC_STOP 1 20 >/dev/null
    harness_probe_start "probe$n-again" 60 || harness_abort "the probe did not get the foreground again"
    mark=$(stat -c %s "$PROBE_TEXT")
    $FEED "$H_TMP/device" "02 41 42 03"
    harness_check "$name: a new start receives" harness_wait_line "$PROBE_TEXT" 'AB\{CR\}' 10
    harness_tray post $WM_COMMAND $IDM_EXIT 0
    harness_wait_pid "$APP" 20 || harness_abort "$name: the program did not end"
  fi
  harness_probe_stop
done

# --- 中止 while a collected frame is typed: its record was written at its end, before the typing
harness_stx_etx_settings "$H_DEFAULT_INI" "$HARNESS_ENTER_AFTER" SENDDELAY=150 LOGEXEC=1 \
  "LOGFOLDER=$(harness_winpath "$LOGS")" LOGFILE=collected.log DUPTIME=1000
start_app collected
$FEED "$H_TMP/device" "$LONG_FRAME"
harness_wait_count "$PROBE_RAW" '^KEYUP vk=12 ' 5 20 || harness_abort "collected: typing did not start"
drive click $IDC_STOP wait-enabled $IDC_START 1 10 >/dev/null
harness_expect_eq "中止 while a collected frame is typed: the frame is in the log" \
  "$(printf '%s' "$LONG_FRAME" | sed 's/^02 //; s/ 03$//; s/3\([0-9]\) */\1/g')" \
  "$(tr -d '\r' <"$LOGS/collected.log" 2>/dev/null)"
harness_tray post $WM_COMMAND $IDM_EXIT 0
harness_wait_pid "$APP" 20 || harness_abort "collected: the program did not end"
harness_probe_stop
default_settings

# --- stopping during a long key list -------------------------------------------------------------
# Ten "A" keys after each frame with "/D3000": the list alone takes 30 s. 中止 after its first key
# must end it, the pause after that key included: no key later than 1 s after the request, and
# the program idle before that pause would have ended (an order of events: the last key before
# the request, plus the 3 s pause; the request and the wait for idle are one driver run, so that
# no program start lies between them).
# "/Flist" names Documents\Tamblixlist.ini, beside the program's own folder.
harness_stx_etx_settings "$(dirname "$(dirname "$H_DEFAULT_INI")")/Tamblixlist.ini" \
  POSTCODE=0141014101410141014101410141014101410141 "LOGFOLDER=$(harness_winpath "$LOGS")" LOGFILE=rx.log
start_app list /D3000 /Flist
$FEED "$H_TMP/device" "02 31 03"
harness_wait_count "$PROBE_RAW" '^KEYUP vk=41 ' 1 20 || harness_abort "key list: typing did not start"
clocks=$(drive click $IDC_STOP clock wait-enabled $IDC_START 1 10 clock | sed -n 's/^clock //p')
t_req=$(sed -n 1p <<<"$clocks") t_idle=$(sed -n 2p <<<"$clocks")
[ -n "$t_req" ] || harness_abort "key list: the request could not be made"
key_before=$(grep -E '^KEYUP vk=41 ' "$PROBE_RAW" | sed -n 's/.* w=\([0-9]*\).*/\1/p' |
  awk -v t="$t_req" '$1 <= t { k = $1 } END { printf "%.0f\n", k }')
sleep 1
lag=$(( $(last_key_ms) - t_req )) idle=$(( ${t_idle:-99999} - t_req ))
harness_check "key list with /D3000: no key reaches the window in front later than 1 s after 中止 (last ${lag} ms after)" \
  test "$lag" -le 1000
harness_check "key list: the stop ends the pause after a key, idle $idle ms after 中止, $(( t_req - key_before )) ms after the key" \
  test "${t_idle:-99999999999999}" -lt $(( key_before + 3000 ))
harness_tray post $WM_COMMAND $IDM_EXIT 0
harness_wait_pid "$APP" 20 || harness_abort "key list: the program did not end"
harness_probe_stop
default_settings  # the program saved the list's settings as its default file when it ended

# --- a notice box open when 終了 comes --------------------------------------------------------
# The log folder is gone, so the first frame of a burst of three gives the notice; the reader
# does not wait for it, and the box comes once the dialog is brought to the front. 終了 with the
# box open must end the program within 3 s, and no frame may be typed after it.
NOTICE_CAPTION='Tamblix( TM ) Ver.2.5.2 - ログファイルがオープンできません。設定を確認してください。'
start_app log
rm -rf "$LOGS"
$FEED "$H_TMP/device" "02 31 03 02 32 03 02 33 03"
harness_check "the burst is typed into the window in front at once" \
  harness_wait_line "$PROBE_TEXT" '^1\{CR\}2\{CR\}3\{CR\}$' 10
harness_check "a notice box is shown with the dialog in front" \
  harness_drive /caption "$NOTICE_CAPTION" front 10 wait-box 20
# A new probe takes the foreground back (the box stays open behind it).
harness_probe_stop
harness_probe_start log-front 60 || harness_abort "the probe did not get the foreground"
t_req=$(request tray post $WM_COMMAND $IDM_EXIT 0)
harness_wait_pid "$APP" 10
gone_ms=$(( $(now_ms) - t_req ))
harness_check "with a notice shown, 終了 ends the program within 3 s (${gone_ms} ms)" test "$gone_ms" -le 3000
sleep 1
harness_expect_eq "no frame is typed after the request" "" "$(cat "$PROBE_TEXT")"
harness_probe_stop

# --- the stop racing the port wait -----------------------------------------------------------
# rxhost runs the reader as the dialog does; it answers each stop with the milliseconds the
# stop took. Frames arrive every 37 ms while the cycles run at random intervals.
RX_INI=$H_TMP/rx.ini
harness_stx_etx_settings "$RX_INI"
: >"$H_TMP/commands"
harness_wine_bg HOST 300 "$H_TMP/host.log" rxhost.exe "$(harness_winpath "$RX_INI")" \
  "$(harness_winpath "$H_TMP/commands")"
harness_wait_line "$H_TMP/host.log" '^start' 30 || harness_abort "rxhost did not start"
for _ in 1 2 3 4 5; do echo stop; echo start; done >>"$H_TMP/commands"
echo count >>"$H_TMP/commands"
harness_wait_line "$H_TMP/host.log" '^handles' 30
$FEED "$H_TMP/device" --frames 2000 --digits 3 --gap 37 &
FEED_PID=$!
RANDOM=13
for _ in $(seq 200); do
  echo stop >>"$H_TMP/commands"
  sleep "0.0$((RANDOM % 10))"
  echo start >>"$H_TMP/commands"
  sleep "0.0$((RANDOM % 10))"
done
echo count >>"$H_TMP/commands"
harness_wait_count "$H_TMP/host.log" '^handles' 2 120
kill "$FEED_PID" 2>/dev/null; wait "$FEED_PID" 2>/dev/null
echo quit >>"$H_TMP/commands"
harness_wait_pid "$HOST" 20
stops=$(grep -c '^stop-ms' "$H_TMP/host.log")
max_ms=$(sed -n 's/^stop-ms \([0-9]*\).*/\1/p' "$H_TMP/host.log" | sort -n | tail -n 1)
echo "FIGURE stop-max-ms ${max_ms:-none} over $stops stops"
harness_expect_eq "all 205 stops answered and 206 starts opened the port" "205 206" \
  "$stops $(grep -c '^start 1' "$H_TMP/host.log")"
# A stop that missed the wait would take the reader's port-check second; 500 ms leaves a loaded
# machine room above the 200 ms every stop is meant to take.
harness_check "every stop returns promptly (longest ${max_ms:-?} ms)" test "${max_ms:-9999}" -le 500
read -r _ h0 _ t0 < <(grep '^handles' "$H_TMP/host.log" | head -n 1 | tr -d '\r')
read -r _ h1 _ t1 < <(grep '^handles' "$H_TMP/host.log" | tail -n 1 | tr -d '\r')
harness_check "200 cycles leak no handle (next slot $h0 -> $h1)" test "${h1:-999}" -le "$(( ${h0:-0} + 2 ))"
harness_check "200 cycles leak no thread ($t0 -> $t1)" test "${t1:-999}" -le "${t0:-0}"
harness_finish
