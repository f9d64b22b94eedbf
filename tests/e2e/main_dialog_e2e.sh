#!/usr/bin/env bash
# Main dialog end to end: the real Tamblix.exe under Wine, its main dialog worked through its
# controls by dlgdriver.exe; Settings are read back through control texts and the settings
# file that the start writes.
set -uo pipefail
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$HERE/lib/harness.sh"

harness_scenario main_dialog desktop Tamblix.exe dlgdriver.exe

INI=$H_DEFAULT_INI
# ini_has LINE: the settings file holds exactly this line.
ini_has() { tr -d '\r' <"$INI" | grep -qxF -- "$1"; }

harness_wine_bg APP_PID 300 "$H_TMP/tamblix.out" Tamblix.exe
# drive ARGS...: one dlgdriver run; its output (CR removed, code page 932 turned to UTF-8).
drive() { harness_drive "$@"; }
text_of() { harness_text_of "$1"; }

drive wait-window 60 >/dev/null || harness_abort "the main dialog did not appear"

drive settext 1003 "x1B x24 x42" >/dev/null
harness_expect_eq "1003 x1B x24 x42 shows <ESC> \$ B in 1011" '<ESC> $ B' "$(text_of 1011)"


drive settext 1031 2500 >/dev/null
harness_expect_eq "2500 in 1031 becomes 2000" 2000 "$(text_of 1031)"
drive settext 1031 "" >/dev/null
harness_expect_eq "an emptied 1031 field becomes 1" 1 "$(text_of 1031)"

drive settext 501 "( なし )" click 1 wait-box 10 close-box >"$H_TMP/box1.txt"
harness_check "start with ( なし ) is refused" grep -q '通信設定のポートを COMxx 形式で入力してください。' "$H_TMP/box1.txt"
harness_expect_eq "the refused port text becomes COM" COM "$(text_of 501)"

rm -f "$INI"
drive settext 501 COM3 settext 1026 "x41 x42" >/dev/null
drive click 1 wait-enabled 1 0 5 wait-box 20 close-box >"$H_TMP/box2.txt"
harness_check "a missing port gives the open failure after the attempts" \
  grep -q '指定されたポートのオープンに失敗しました' "$H_TMP/box2.txt"
harness_check "the default settings file was written" test -s "$INI"
harness_check "COM3 is stored as PORT=2" ini_has PORT=2
harness_check "the typed code is stored as KANJIIN" ini_has KANJIIN=1B24420000
harness_check "DATADELAY was held to 1" ini_has DATADELAY=1
harness_expect_eq "after the failed start the controls are enabled" "enabled 1 1" "$(drive wait-enabled 1 1 10 enabled 1)"
harness_expect_eq "the input display keeps its text" "x41 x42" "$(text_of 1026)"
harness_check "screenshot of the main dialog written" harness_screenshot main_dialog
drive click 1002 sleep 300 >/dev/null
harness_expect_eq "clear empties the input display" "" "$(text_of 1026)"


drive command 2 >/dev/null
harness_check "the close command ends the program" harness_wait_pid "$APP_PID" 20
harness_finish
