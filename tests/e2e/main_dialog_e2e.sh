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

# --- 拡張設定: the extended settings dialog ------------------------------------------------------
EXT_BUTTON=$(harness__res_id IDC_EXT_SETTINGS)
ext() { drive /caption "拡張設定" "$@"; }
# ini_utf8 KEY: the value of KEY in the settings file, code page 932 turned to UTF-8.
ini_utf8() { iconv -f CP932 -t UTF-8 "$INI" | tr -d '\r' | sed -n "s/^$1=//p"; }
# wait_shown CAPTION: until the dialog of that caption is shown; it exists before its
# initialisation has filled it, and is shown only after that.
wait_shown() {
  drive /caption "$1" wait-window 20 >/dev/null || return 1
  local _
  for _ in $(seq 50); do
    [ "$(drive /caption "$1" visible)" = "visible 1" ] && return 0
    sleep 0.2
  done
  return 1
}
open_ext() { drive click "$EXT_BUTTON" >/dev/null && wait_shown "拡張設定"; }
PRESET_DIGITS='^\D*(\d*)\D*(\d*)\D*(\d*)\D*(\d*)\D*(\d*)\D*(\d*)\D*(\d*)\D*(\d*)'
harness_check "拡張設定 opens its dialog" open_ext
harness_expect_eq "拡張設定 shows the defaults; send now is disabled while stopped, 選択... and the start check are not" \
  "text 1202 |text 1204 0|checked 1205 0|text 1215 0|text 1216 |text 1221 |text 1223 しない|text 1224 30|enabled 1207 0|enabled 1222 1|enabled 1230 1|enabled 1202 1" \
  "$(ext gettext 1202 gettext 1204 checked 1205 gettext 1215 gettext 1216 gettext 1221 gettext 1223 gettext 1224 \
       enabled 1207 enabled 1222 enabled 1230 enabled 1202 | paste -sd '|')"
harness_expect_eq "the pattern list offers six patterns and the modes three entries" "6 3" \
  "$(ext items 1212 | grep -c '^item') $(ext items 1223 | grep -c '^item')"
ext settext 1202 "Q x0D x0A" >/dev/null
harness_expect_eq "the request Q x0D x0A shows Q <CR> <LF>" "text 1203 Q <CR> <LF>" "$(ext gettext 1203)"
ext click 1201 >/dev/null
wait_shown "キーコード一覧"
harness_expect_eq "要求コード opens the key code list on the request" "text 1054 要求コード|text 1052 Q x0D x0A" \
  "$(drive /caption "キーコード一覧" gettext 1054 gettext 1052 | paste -sd '|')"
drive /caption "キーコード一覧" command 2 wait-gone 10 >/dev/null

rm -f "$INI"
ext settext 1224 0 click 1 wait-box 10 close-box focus >"$H_TMP/ext_box.txt"
harness_check "a wait of 0 s is refused with its range" \
  grep -q '待ち時間(秒) は 1 から 3600 までの数字で入力してください。' "$H_TMP/ext_box.txt"
harness_expect_eq "the refused dialog stays open with the focus on the wait" "visible 1|focus 1224" \
  "$(ext visible focus | paste -sd '|')"
harness_check "a refused OK writes no settings file" test ! -e "$INI"

# The pattern: the live result under the sample line, and a pattern that cannot be used refused.
ext settext 1224 30 settext 1211 '(a' settext 1213 'ST,+00012.34  g' sleep 200 >/dev/null
harness_expect_eq "the live result says why a pattern is refused" "パターンの括弧 ( ) が対応していません" \
  "$(ext gettext 1214 | sed -n 's/^text 1214 //p')"
ext click 1 wait-box 10 close-box focus >"$H_TMP/ext_box.txt"
harness_check "OK with that pattern is refused with the reason" grep -q 'パターンの括弧' "$H_TMP/ext_box.txt"
harness_expect_eq "the refused dialog keeps the focus on the pattern" "focus 1211" "$(ext focus)"
ext select 1212 '安定した計量値 (ST行の数値)' sleep 200 >/dev/null
harness_expect_eq "the stable-reading pattern makes 12.34 of the sample" "12.34" \
  "$(ext gettext 1214 | sed -n 's/^text 1214 //p')"
ext settext 1213 'US,+00012.50  g' sleep 200 >/dev/null
harness_expect_eq "an unstable reading matches nothing" "一致しません" "$(ext gettext 1214 | sed -n 's/^text 1214 //p')"

# The output template: its live result with the keys by name, presets that fill pattern and
# template, a template that cannot be used refused with the key it names.
ext select 1212 'カンマ区切り3項目を3つのセルへ' settext 1213 '123,ABC,007' sleep 200 >/dev/null
harness_expect_eq "the three-fields preset fills the template and shows the cells" \
  'text 1216 $1[TAB]$2[TAB]$3|text 1214 123[TAB]ABC[TAB]007' "$(ext gettext 1216 gettext 1214 | paste -sd '|')"
ext settext 1211 '^(\d+),(\w+),(\d+)$' settext 1216 "\$1[TAB]\$2[TAB]'\$3" sleep 200 >/dev/null
harness_expect_eq "the code kept as text by its quote" "123[TAB]ABC[TAB]'007" \
  "$(ext gettext 1214 | sed -n 's/^text 1214 //p')"
ext settext 1216 '$1[TABB]' sleep 200 >/dev/null
harness_check "the live result names the unknown key" grep -q '\[TABB\]' <(ext gettext 1214)
ext click 1 wait-box 10 close-box focus >"$H_TMP/ext_box.txt"
harness_check "OK with that template is refused with the key it names" \
  grep -q '出力テンプレートが正しくありません.*\[TABB\]' <(tr -d '\r\n' <"$H_TMP/ext_box.txt")
harness_expect_eq "the refused dialog keeps the focus on the template" "focus 1216" "$(ext focus)"

ext settext 1224 45 settext 1204 50 click 1205 sethotkey 1206 0675 select 1212 数字のみ click 1230 \
  settext 1215 500 settext 1221 "EXCEL.EXE;受付" select 1223 前面に出す settext 1216 '$1[ENT]' \
  sleep 300 >/dev/null
harness_expect_eq "a pattern chosen from the list fills the pattern edit" "$PRESET_DIGITS" \
  "$(ext gettext 1211 | sed -n 's/^text 1211 //p')"
harness_check "OK closes the dialog" ext click 1 wait-gone 10
harness_wait_file "$INI" 10
harness_expect_eq "OK saves every field under its key (REQTIMER 50 raised to 100)" \
  "510D0A0000000000000000000000000000000000|100|1|0675|$PRESET_DIGITS|500|EXCEL.EXE;受付|2|45|\$1[ENT]" \
  "$(for k in REQCODE REQTIMER REQAFTER REQHOTKEY FILTER DUPTIME TARGET TARGETMODE TARGETWAIT OUTPUT; do ini_utf8 $k; done | paste -sd '|')"
harness_check "the other settings are kept (PORT=2)" ini_has PORT=2
STARTUP_LINK=$(find "$WINEPREFIX/drive_c/users" -ipath '*/startup/tamblix.lnk' 2>/dev/null | head -n 1)
harness_check "the start check made Tamblix.lnk in the Startup folder" test -n "$STARTUP_LINK"

SAVED_TEXT=$(od -An -tx1 <"$INI")
harness_check "拡張設定 opens again" open_ext
harness_expect_eq "it shows what was stored, the start check ticked" \
  "text 1202 x51 x0D x0A|text 1204 100|text 1223 前面に出す|text 1224 45|checked 1230 1" \
  "$(ext gettext 1202 gettext 1204 gettext 1223 gettext 1224 checked 1230 | paste -sd '|')"
ext settext 1204 7000 settext 1221 other >/dev/null
harness_check "キャンセル closes the dialog" ext command 2 wait-gone 10
harness_expect_eq "キャンセル stores and saves nothing" "$SAVED_TEXT" "$(od -An -tx1 <"$INI")"
harness_check "拡張設定 opens a third time" open_ext
harness_check "the start check unticked and OK" ext click 1230 click 1 wait-gone 10
harness_check "the shortcut is gone from the Startup folder" test ! -e "$STARTUP_LINK"


drive command 2 >/dev/null
harness_check "the close command ends the program" harness_wait_pid "$APP_PID" 20
harness_finish
