#!/usr/bin/env bash
# Automatic start end to end: Tamblix.exe /Fauto with AUTOSTA 1 on the virtual COM port shows
# its splash, starts reception by itself and hides in the tray; frames from the device reach the
# probe in front. Brought back with "表示" and in front itself, the dialog shows what it
# receives in its displays; "中止" re-enables the settings and keeps the displays.
set -uo pipefail
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$HERE/lib/harness.sh"

harness_scenario autostart desktop port Tamblix.exe traydriver.exe dlgdriver.exe keyprobe.exe
FEED="$HARNESS_PYTHON $HERE/lib/serial_feed.py"

DOCS=$H_DOCS
mkdir -p "$DOCS/Tamblix"
DEFAULT_INI=$H_DEFAULT_INI
rm -f "$DEFAULT_INI"
harness_stx_etx_settings "$DOCS/Tamblixauto.ini" AUTOSTA=1 "$HARNESS_ENTER_AFTER"

tray() { harness_tray "$@"; }
wait_state() { harness_wait_state "$@"; }
drive() { harness_drive "$@"; }
text_of() { harness_text_of "$1"; }
new_probe_text() { tail -c +$(( $(stat -c %s "$PROBE_TEXT.before") + 1 )) "$PROBE_TEXT"; }

harness_wine_bg APP 240 "$H_TMP/app.out" Tamblix.exe /Fauto
harness_check "the splash shows at start" wait_state 'splash=1' 40
# The dialog is also hidden for a moment between the splash and the start, so the start is
# told by the settings file it writes first.
harness_check "the start wrote the default settings file" harness_wait_line "$DEFAULT_INI" . 30
harness_check "reception starts by itself and the dialog hides" wait_state 'main=hidden about=0 splash=0' 30
harness_check "the default settings file carries the automatic start" grep -qx $'AUTOSTA=1\r' "$DEFAULT_INI"

harness_probe_start probe 120 || harness_abort "the probe window did not get the foreground"
: >"$PROBE_TEXT.before"
$FEED "$H_TMP/device" "02 34 39 31 32 03" "02 35 36 03" --gap 300
harness_wait_count "$PROBE_RAW" '^KEYDOWN vk=0D ' 2 15
sleep 0.5
harness_expect_eq "frames from the device are typed into the window in front" "4912{CR}56{CR}" \
  "$(new_probe_text)"
harness_probe_stop

# Back from the tray and in front: the dialog's own displays show what arrives.
tray post $WM_COMMAND $IDM_SHOW 0
harness_check "表示 brings the dialog back" wait_state 'main=shown' 10
drive wait-window 20 >/dev/null
drive click 1002 sleep 300 >/dev/null
$FEED "$H_TMP/device" "02 41 03"
drive wait-text 1027 'A[ENT]' 10 >/dev/null
harness_expect_eq "received bytes in the input display" "x02 x41 x03" "$(text_of 1026 | sed 's/ *$//')"
harness_expect_eq "the output text in the output display, the Enter after it named" "A[ENT]" "$(text_of 1027 | tr -d '\r\n')"
harness_expect_eq "settings controls are disabled while receiving" "enabled 1003 0" \
  "$(drive enabled 1003)"
drive click 3 >/dev/null
harness_check "中止 re-enables the settings controls" drive wait-enabled 1003 1 10
harness_expect_eq "after 中止 the focus is on 開始, not on the disabled 中止" "focus $IDC_START" \
  "$(drive focus | tr -d '\r')"
harness_expect_eq "the input display keeps its text after 中止" "x02 x41 x03" \
  "$(text_of 1026 | sed 's/ *$//')"

tray post $WM_COMMAND $IDM_EXIT 0
harness_check "終了 ends the program" harness_wait_pid "$APP" 20
wait "$APP"; rc=$?
harness__untrack "$APP"
harness_expect_eq "exit status after 終了" 1 "$rc"
harness_finish
