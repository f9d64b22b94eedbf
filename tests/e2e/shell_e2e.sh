#!/usr/bin/env bash
# Shell end to end: the real Tamblix.exe under Wine (virtual desktop on Xvfb). The splash shows
# and goes, the About dialog opens from the tray menu's command and ignores Esc, minimising hides
# the main dialog and "表示" shows it again, "終了" while receiving ends the process with status 1,
# and a close request to MainWindow from outside ends the process with status 1.
# Screenshots: build/screenshots/splash.png and build/screenshots/about.png.
set -uo pipefail
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$HERE/lib/harness.sh"

TRAY_MESSAGE=100

harness_scenario shell desktop port Tamblix.exe traydriver.exe dlgdriver.exe
SHOTS=$HARNESS_ROOT/build/screenshots
mkdir -p "$SHOTS"

SETTINGS=$H_TMP/shell.ini
: >"$SETTINGS"
export TAMBLIX_LINE_LOG=$H_TMP/line.log  # the pty shim records the line set at the start

driver() { harness_tray "$@"; }
shot() { timeout 20 import -window root -display "$DISPLAY" "$1"; }
wait_state() { harness_wait_state "$@"; }

# ---- first run: splash, About, tray round trip, "終了" ---------------------------------------
harness_wine_bg APP 400 "$H_TMP/app.out" Tamblix.exe /F"$(harness_winpath "$SETTINGS")"
if wait_state 'splash=1' 40; then
  shot "$SHOTS/splash.png"
  harness_check "splash shown at start" true
  harness_check "splash screenshot written" test -s "$SHOTS/splash.png"
else
  harness_check "splash shown at start" false
fi
harness_check "splash ends and the main dialog is shown" wait_state 'main=shown about=0 splash=0' 15
harness_check "tray icon present while the main dialog runs" wait_state 'tray=1' 10
driver hwnd; HWND=$(tr -dc '0-9' <"$H_TMP/tray.out")

driver post $WM_COMMAND $IDM_ABOUT 0
harness_check "tray menu About opens the About dialog" wait_state 'about=1' 10
sleep 1
shot "$SHOTS/about.png"
harness_check "About screenshot written" test -s "$SHOTS/about.png"
driver post $TRAY_MESSAGE 0 $WM_RBUTTONDOWN
sleep 1
no_menu() { ! driver menu; }
harness_check "right click on the tray icon does nothing while About is open" no_menu
driver about-esc
sleep 1
harness_check "Esc leaves the About dialog open" wait_state 'about=1' 3
driver about-ok
harness_check "OK ends the About dialog" wait_state 'about=0' 10

driver post $TRAY_MESSAGE 0 $WM_RBUTTONDOWN
if wait_state 'window=1' 2 && (for _ in 1 2 3 4 5 6 7 8 9 10; do driver menu && exit 0; sleep 0.3; done; exit 1); then
  harness_check "right click on the tray icon opens the tray menu" true
  timeout 10 xdotool key Escape
  sleep 1
else
  harness_check "right click on the tray icon opens the tray menu" false
fi

driver minimize
harness_check "minimising hides the main dialog" wait_state 'main=hidden' 10
driver post $WM_COMMAND $IDM_SHOW 0
harness_check "tray menu 表示 shows the main dialog" wait_state 'main=shown' 10

# Receiving, hidden: a CR from the device is typed (Enter) into the window in front; then "終了".
harness_drive settext 501 COM5 click 1 >/dev/null
harness_check "the start opens COM5" harness_wait_count "$TAMBLIX_LINE_LOG" '^termios' 4 30
driver minimize
wait_state 'main=hidden' 10 >/dev/null
$HARNESS_PYTHON "$HERE/lib/serial_feed.py" "$H_TMP/device" "0D"
sleep 1
driver post $WM_COMMAND $IDM_EXIT 0
harness_check "tray menu 終了 ends the process" harness_wait_pid "$APP" 30
wait "$APP"; rc=$?
harness__untrack "$APP"
harness_expect_eq "exit status after 終了" 1 "$rc"

# ---- second run: close request from outside ---------------------------------------------------
harness_wine_bg APP 400 "$H_TMP/app2.out" Tamblix.exe /F"$(harness_winpath "$SETTINGS")"
harness_check "second start shows the main dialog" wait_state 'main=shown about=0 splash=0' 40
driver post $WM_CLOSE 0 0
harness_check "WM_CLOSE to MainWindow ends the process" harness_wait_pid "$APP" 20
wait "$APP"; rc=$?
harness__untrack "$APP"
harness_expect_eq "exit status after a close request from outside" 1 "$rc"

harness_finish
