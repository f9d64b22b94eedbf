#!/usr/bin/env bash
# Scans land only where they belong: the real Tamblix.exe with TARGET set, two probe windows of
# different titles, and a copy of the probe under another program name.
# Wait mode (TARGETMODE 1, TARGET 受付, TARGETWAIT 3): a frame scanned while the other probe or
# the main dialog is in front is not typed there and the caption says so; three frames held are
# typed whole, once and in order when the 受付 probe comes to the front; a frame held past
# TARGETWAIT is never typed, is in the log, and the caption says it was given up.
# Front mode (TARGETMODE 2, TARGET the copy's program name in another case): with no target
# open a frame is held; 中止 gives it up (typed nowhere, not after a new start either); the
# copy, minimised or behind the other probe, is brought to the front and receives the frame;
# when Windows refuses that (a shim in the program), the copy flashes and gets the frame once
# it is in front.
set -uo pipefail
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$HERE/lib/harness.sh"

CAPTION='Tamblix( TM ) Ver.2.5.2'
WAITING="$CAPTION - 送信先のウィンドウが前面にありません"
GAVE_UP="$CAPTION - 送信先を待つ間に破棄しました"
REFUSED="$CAPTION - 送信先を前面に出せません"

harness_scenario target desktop port Tamblix.exe dlgdriver.exe traydriver.exe keyprobe.exe targetchoose.exe
FEED="$HARNESS_PYTHON $HERE/lib/serial_feed.py"
DOCS=$(dirname "$(dirname "$H_DEFAULT_INI")")
mkdir -p "$(dirname "$H_DEFAULT_INI")"
LOGS=$H_TMP/logs
mkdir -p "$LOGS"
cp932() { printf '%s' "$1" | iconv -f UTF-8 -t CP932; }
# target_settings FILE TARGET MODE WAIT LOG: STX/ETX frames with Enter after each, logged to LOG.
target_settings() {
  harness_stx_etx_settings "$1" "$HARNESS_ENTER_AFTER" LOGEXEC=1 \
    "LOGFOLDER=$(harness_winpath "$LOGS")" "LOGFILE=$5" "TARGET=$(cp932 "$2")" \
    "TARGETMODE=$3" "TARGETWAIT=$4"
  LOG=$LOGS/$5
}

drive() { harness_drive "$@"; }
caption_is() { harness_drive /caption "$1" wait-window "$2" >/dev/null; }
records() { tr -d '\r' <"$LOG" 2>/dev/null | paste -sd' ' -; }
# send N HEX...: the frames, then wait until the log holds N records (the last has ended).
send() { local n=$1; shift; $FEED "$H_TMP/device" "$@"; harness_wait_count "$LOG" '.' "$n" 10; }
# front NAME: that probe asks for the foreground, as a user clicking it.
front() {
  local raw=$H_TMP/$1.raw n
  n=$(grep -c '^FRONT fg=1' "$raw")
  : >"$raw.front"
  harness_wait_count "$raw" '^FRONT fg=1' $((n + 1)) 10 || harness_note "$1 did not come to the front"
}

start_app() {
  harness_wine_bg APP 120 "$H_TMP/app.out" Tamblix.exe "$@"
  drive wait-window 60 >/dev/null || harness_abort "the main dialog did not appear"
  drive click $IDC_START wait-enabled $IDC_STOP 1 20 >/dev/null || harness_abort "reception did not start"
}

# --- wait mode --------------------------------------------------------------------------------
target_settings "$H_DEFAULT_INI" 受付 1 3 wait.log
start_app
harness_probe_start form 110 "title=受付フォーム" || harness_abort "the 受付 probe did not get the foreground"
FORM_TEXT=$PROBE_TEXT
harness_probe_start other 110 "title=メモ帳" || harness_abort "the other probe did not get the foreground"
OTHER_TEXT=$PROBE_TEXT

send 1 "02 31 03"
harness_check "the caption says no target window is in front" caption_is "$WAITING" 5
send 3 "02 32 03" "02 33 03"
harness_expect_eq "nothing is typed into the other window" "" "$(cat "$OTHER_TEXT")"
front form
harness_check "the held frames are typed once the 受付 window is in front" \
  harness_wait_line "$FORM_TEXT" '3\{CR\}' 5
sleep 0.5
harness_expect_eq "three held frames typed whole, once and in order" "1{CR}2{CR}3{CR}" "$(cat "$FORM_TEXT")"
harness_check "the caption no longer says so" caption_is "$CAPTION" 5

front other
send 4 "02 34 03"
harness_check "a frame held past TARGETWAIT is given up and the caption says so" caption_is "$GAVE_UP" 6
front form
sleep 1
harness_expect_eq "the frame given up is never typed" "1{CR}2{CR}3{CR}" "$(cat "$FORM_TEXT")"
harness_expect_eq "every frame is in the log, the one given up too" "1 2 3 4" "$(records)"
# The main dialog in front is no target: a frame waits there and lands in the 受付 window once
# that is in front again. The dialog is found by the caption it shows now.
harness_check "the main dialog comes to the front" drive /caption "$GAVE_UP" front 10 >/dev/null
send 5 "02 38 03"
harness_check "with the main dialog in front the frame waits and the caption says so" caption_is "$WAITING" 5
harness_expect_eq "nothing is typed while the main dialog is in front" "1{CR}2{CR}3{CR}" "$(cat "$FORM_TEXT")"
front form
harness_check "the frame lands in the 受付 window when it is in front again" \
  harness_wait_line "$FORM_TEXT" '8\{CR\}' 5
harness_tray post "$WM_COMMAND" "$IDM_EXIT" 0
harness_wait_pid "$APP" 20 || harness_abort "the program did not end"

# --- front mode --------------------------------------------------------------------------------
# The copy's program name in another case; the 受付 probe is keyprobe.exe and no target now.
cp "$BUILD_WIN/keyprobe.exe" "$H_TMP/TargetProbe.exe"
target_settings "$DOCS/Tamblixfront.ini" targetprobe.exe 2 30 front.log
start_app /Ffront
# The shim that refuses the foreground is loaded now and switched on only for its row below.
# (Loaded after the stop and start below, Wine never ran the thread that loads it.)
cp "$BUILD_WIN/refusefront.dll" "$H_TMP/refusefront.dll"
harness_check "the refusing shim is loaded into the program" \
  drive inject "$(harness_winpath "$H_TMP/refusefront.dll")" >/dev/null
front other
# No target window is open yet: the frame is held as in wait mode. 中止 gives it up, so the
# target opened after a new start gets nothing.
send 1 "02 35 03"
harness_check "with no target window open the frame is held" caption_is "$WAITING" 5
drive /caption "$WAITING" click $IDC_STOP wait-enabled $IDC_START 1 10 >/dev/null ||
  harness_abort "中止 did not stop reception"
harness_check "中止 takes the notice away" caption_is "$CAPTION" 5
drive click $IDC_START wait-enabled $IDC_STOP 1 20 >/dev/null || harness_abort "reception did not start again"
HARNESS_PROBE_EXE=$H_TMP/TargetProbe.exe harness_probe_start copy 60 "title=帳票" ||
  harness_abort "the copy did not get the foreground"
COPY_TEXT=$PROBE_TEXT
sleep 1
harness_expect_eq "the frame held at 中止 is typed nowhere, not after a new start either" "||1{CR}2{CR}3{CR}8{CR}" \
  "$(cat "$COPY_TEXT")|$(cat "$OTHER_TEXT")|$(cat "$FORM_TEXT")"

# The "選択..." action: the open windows, the one last in front first, the chooser's own not
# among them; choosing the メモ帳 probe's item gives its program name.
harness_wine_fg 30 "$H_TMP/choose.out" targetchoose.exe "$(harness_winpath "$H_TMP/choose.txt")" メモ帳
CHOSEN=$(tr -d '\r' <"$H_TMP/choose.txt")
harness_expect_eq "the chooser lists the windows, the last in front first, and gives the program name" \
  "item 帳票 — TargetProbe.exe|item メモ帳 — keyprobe.exe|chosen keyprobe.exe|0" \
  "$(grep -E '帳票|メモ帳|^chosen' <<<"$CHOSEN" | paste -sd'|')|$(grep -c 'targetchoose' <<<"$CHOSEN")"
: >"$H_TMP/copy.raw.min"
harness_wait_line "$H_TMP/copy.raw" '^MIN' 10 || harness_abort "the copy did not minimise"
front other
send 2 "02 36 03"
harness_check "the minimised target is brought to the front and receives the frame" \
  harness_wait_line "$COPY_TEXT" '6\{CR\}' 5
last_size=$(grep '^SIZE' "$H_TMP/copy.raw" | tail -n 1 | tr -d '\r')
harness_expect_eq "it is minimised no longer" "SIZE restored" "$last_size"
front other
send 3 "02 37 03"
harness_check "a target behind the window in front is brought forward" \
  harness_wait_line "$COPY_TEXT" '7\{CR\}' 5
# Windows refuses the foreground to a program in the background (Wine never does): with the
# refusing shim in the program and switched on, the target's taskbar button flashes until it
# is in front, the caption says so, and the frame is held until the user brings the target
# forward.
: >"$H_TMP/refusefront.dll.refuse"
front other
send 4 "02 39 03"
harness_check "a refused target: the caption says it cannot be brought forward" caption_is "$REFUSED" 5
harness_expect_eq "the target was asked for once, then flashed (tray, until in front)" \
  "refused 帳票|flash 帳票 flags=E count=0" "$(paste -sd'|' "$H_TMP/refusefront.dll.log")"
harness_expect_eq "the refused frame is typed nowhere while it waits" "6{CR}7{CR}|" \
  "$(cat "$COPY_TEXT")|$(cat "$OTHER_TEXT")"
front copy
harness_check "the refused frame is typed once the target is in front" \
  harness_wait_line "$COPY_TEXT" '9\{CR\}' 5
sleep 0.5
harness_expect_eq "the copy got its three frames, once each" "6{CR}7{CR}9{CR}" "$(cat "$COPY_TEXT")"
harness_expect_eq "the other window and the 受付 window got none" "|1{CR}2{CR}3{CR}8{CR}" \
  "$(cat "$OTHER_TEXT")|$(cat "$FORM_TEXT")"
harness_tray post "$WM_COMMAND" "$IDM_EXIT" 0
harness_wait_pid "$APP" 20
harness_finish
