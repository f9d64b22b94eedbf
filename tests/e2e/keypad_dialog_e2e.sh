#!/usr/bin/env bash
# Key code list dialog end to end: the real Tamblix.exe under Wine (virtual desktop on Xvfb).
# The main dialog's code-list buttons open KeyPadDlg (dlgdriver.exe works the main dialog,
# keypaddriver.exe the code list). Checked: the field label and the text taken from the field,
# every cell of both grids, the grey and disabled virtual-key grid of a byte field, insertion
# by double-click with its blanks and the 40-character limit, the display line, OK writing back
# (the main dialog's readable field and the settings file follow), Cancel, Esc and the close
# box changing nothing. Screenshots: build/screenshots/keypad_dialog.png (byte field) and
# build/screenshots/keypad_dialog_keys.png (key field).
set -uo pipefail
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$HERE/lib/harness.sh"

# The virtual desktop draws the captions for the pictures.
harness_scenario keypad_dialog desktop Tamblix.exe dlgdriver.exe keypaddriver.exe
SHOTS=$HARNESS_ROOT/build/screenshots
mkdir -p "$SHOTS"

INI=$H_DEFAULT_INI

# run_driver EXE ARGS...: one driver run; its output with CR removed and code page 932 as UTF-8.
run_driver() {
  local exe=$1; shift
  harness_wine_fg 60 "$H_TMP/drv.out" "$exe" "$@"
  local rc=$?
  iconv -f CP932 -t UTF-8 "$H_TMP/drv.out" 2>/dev/null | tr -d '\r'
  return $rc
}
main() { run_driver dlgdriver.exe "$@"; }
pad() { run_driver keypaddriver.exe "$@"; }
main_text() { main gettext "$1" | sed -n "s/^text $1 //p"; }
pad_text() { pad gettext "$1" | sed -n "s/^text $1 //p"; }
# open_list BUTTON FIELD TEXT: sets the main dialog's field, presses its code-list button and
# waits for the dialog.
open_list() {
  main settext "$2" "$3" click "$1" >/dev/null &&
    pad wait-window 20 >/dev/null
}
closed() { pad wait-gone 10 >/dev/null; }
# colour_count ID ROW COL KIND: number of the cell's pixels in the system colour KIND.
colour_count() { pad colours "$1" "$2" "$3" | sed -n "s/.* $4=\([0-9]*\).*/\1/p"; }
positive() { [ "${1:-0}" -gt 0 ]; }
ini_has() { tr -d '\r' <"$INI" | grep -qx -- "$1"; }

harness_wine_bg APP_PID 400 "$H_TMP/tamblix.out" Tamblix.exe
main wait-window 60 >/dev/null || harness_abort "the main dialog did not appear"

# ---- a byte field: RCVSTA from button 1044 ---------------------------------------------------
open_list 1044 1007 "" || harness_abort "button 1044 opened no key code list"
harness_expect_eq "the label names the field" "受信開始コード" "$(pad_text 1054)"
harness_expect_eq "the code text starts from the empty field" "" "$(pad_text 1052)"
read -r _ x y w h dw dh < <(pad placement)
harness_expect_eq "the dialog stands in the middle of the desktop" "$(((dw - w) / 2)) $(((dh - h) / 2))" "$x $y"
harness_expect_eq "the main dialog is disabled while the list is open" "owner-enabled 0" "$(pad owner-enabled)"
harness_expect_eq "character grid: 16 rows, label column and 16 code columns" "grid 1050 16 17" "$(pad grid 1050)"
harness_expect_eq "label column: empty header, 34 pixels" "header 1050 0 34 " "$(pad header 1050 0)"
harness_expect_eq "first code column: 00, 37 pixels" "header 1050 1 37 00" "$(pad header 1050 1)"
harness_expect_eq "last code column: 0F, 37 pixels" "header 1051 16 37 0F" "$(pad header 1051 16)"

cells=()
for list in 1050 1051; do
  for ((row = 0; row < 16; row++)); do
    for ((column = 0; column <= 16; column++)); do cells+=(cell "$list" "$row" "$column"); done
  done
done
pad "${cells[@]}" >"$H_TMP/cells.txt"
$HARNESS_PYTHON "$HERE/lib/code_grid_names.py" >"$H_TMP/cells.expected"
if diff "$H_TMP/cells.expected" "$H_TMP/cells.txt" >"$H_TMP/cells.diff"; then
  harness_check "every cell of both grids shows its label or name" true
else
  head -n 20 "$H_TMP/cells.diff"
  harness_check "every cell of both grids shows its label or name" false
fi

harness_expect_eq "for a byte field the virtual-key grid is disabled" "enabled 1051 0" "$(pad enabled 1051)"
harness_check "the character grid is enabled" test "$(pad enabled 1050)" = "enabled 1050 1"
harness_check "virtual-key names are grey for a byte field" positive "$(colour_count 1051 0 14 grey)"
harness_expect_eq "no virtual-key name is drawn in the text colour" 0 "$(colour_count 1051 0 14 text)"
harness_check "character names are drawn in the text colour" positive "$(colour_count 1050 4 2 text)"
harness_expect_eq "no character name is grey" 0 "$(colour_count 1050 4 2 grey)"
harness_check "row labels stand on the button face" positive "$(colour_count 1050 4 0 face)"

pad dblclick 1051 0 14 mouse-dblclick 1051 0 14 sleep 300 >/dev/null
harness_expect_eq "double-clicks on the disabled virtual-key grid insert nothing" "" "$(pad_text 1052)"

pad dblclick 1050 0 1 sleep 300 >/dev/null
harness_expect_eq "NUL inserts x00" "x00" "$(pad_text 1052)"
harness_expect_eq "x00 displays as Err" "Err" "$(pad_text 1053)"

pad settext 1052 "" mouse-dblclick 1050 4 2 sleep 300 >/dev/null
harness_expect_eq "a mouse double-click on A (row 40, column 01) inserts x41" "x41" "$(pad_text 1052)"
harness_expect_eq "x41 displays as A" "A" "$(pad_text 1053)"
pad dblclick 1050 4 0 dblclick 1050 0 0 sleep 300 >/dev/null
harness_expect_eq "double-clicks on row labels insert nothing" "x41" "$(pad_text 1052)"
pad setsel 1052 0 0 dblclick 1050 4 3 sleep 300 >/dev/null
harness_expect_eq "B with the caret at the start goes before x41 with a blank" "x42 x41" "$(pad_text 1052)"
harness_expect_eq "the display follows the text" "B A" "$(pad_text 1053)"

pad sleep 300 shot "$(harness_winpath "$SHOTS/keypad_dialog.png")" >/dev/null
harness_check "screenshot of the byte-field dialog written" test -s "$SHOTS/keypad_dialog.png"

pad click 2 >/dev/null
harness_check "Cancel closes the list" closed
harness_expect_eq "after Cancel the field is unchanged" "" "$(main_text 1007)"
harness_expect_eq "after Cancel the readable field is unchanged" "" "$(main_text 1015)"

# ---- blanks and the 40-character limit, OK ----------------------------------------------------
open_list 1044 1007 "x41" || harness_abort "button 1044 did not open the list again"
harness_expect_eq "the code text starts from the field" "x41" "$(pad_text 1052)"
harness_expect_eq "the caret stands at the end of the text" "sel 1052 3 3" "$(pad getsel 1052)"
pad dblclick 1050 4 3 sleep 300 >/dev/null
harness_expect_eq "B with the caret at the end goes after x41 with a blank" "x41 x42" "$(pad_text 1052)"
pad setsel 1052 4 4 dblclick 1050 4 4 sleep 300 >/dev/null
harness_expect_eq "between a blank and a token only the blank after is added" "x41 x43 x42" "$(pad_text 1052)"

FULL="x41 x42 x43 x44 x45 x46 x47 x48 x49 x4A "  # 40 characters
pad settext 1052 "$FULL" setsel 1052 40 40 dblclick 1050 4 5 sleep 300 >/dev/null
harness_expect_eq "a full 40-character text takes nothing more" "$FULL" "$(pad_text 1052)"
pad settext 1052 "${FULL:0:38}" setsel 1052 38 38 dblclick 1050 4 5 sleep 300 >/dev/null
harness_expect_eq "an insertion stops at the 40-character limit" "${FULL:0:38} x" "$(pad_text 1052)"

pad settext 1052 "x41 x42" click 1 >/dev/null
harness_check "OK closes the list" closed
harness_expect_eq "OK writes the text into the field" "x41 x42" "$(main_text 1007)"
harness_expect_eq "the field's readable text follows" "A B" "$(main_text 1015)"

open_list 1044 1007 "x41 x42" || harness_abort "button 1044 did not open the list a third time"
pad setsel 1052 0 0 dblclick 1050 0 1 click 1 >/dev/null
harness_check "OK closes the list again" closed
harness_expect_eq "a text with an error is written back as well" "x00 x41 x42" "$(main_text 1007)"
main settext 1007 "x41 x42" >/dev/null

# A field text longer than the typing limit is taken whole; the caret goes to position 40, where
# nothing more can be typed, and OK gives the whole text back.
LONG="x41 x42 x43 x44 x45 x46 x47 x48 x49 x4A x4B x4C"  # 47 characters
open_list 1044 1007 "$LONG" || harness_abort "button 1044 did not open the list for a long text"
harness_expect_eq "a text longer than 40 characters is taken whole" "$LONG" "$(pad_text 1052)"
harness_expect_eq "the caret stands at position 40" "sel 1052 40 40" "$(pad getsel 1052)"
pad dblclick 1050 4 2 setsel 1052 45 45 dblclick 1050 4 2 sleep 300 >/dev/null
harness_expect_eq "nothing can be inserted into a text over the limit" "$LONG" "$(pad_text 1052)"
pad click 1 >/dev/null
harness_check "OK closes the list after the long text" closed
harness_expect_eq "OK gives the whole long text back" "$LONG" "$(main_text 1007)"
main settext 1007 "x41 x42" >/dev/null

# ---- Esc and the close box change nothing ----------------------------------------------------
open_list 1045 1008 "x03" || harness_abort "button 1045 opened no key code list"
harness_expect_eq "the label names RCVEND" "受信終了コード" "$(pad_text 1054)"
pad dblclick 1050 4 2 sleep 300 escape >/dev/null
harness_check "Esc closes the list" closed
harness_expect_eq "after Esc the field is unchanged" "x03" "$(main_text 1008)"
open_list 1045 1008 "x03" || harness_abort "button 1045 did not open the list again"
pad dblclick 1050 4 2 sleep 300 close >/dev/null
harness_check "the close box closes the list" closed
harness_expect_eq "after the close box the field is unchanged" "x03" "$(main_text 1008)"
harness_expect_eq "and so is its readable field" "<ETX>" "$(main_text 1016)"

# ---- a key field: POSTCODE from button 1047 ---------------------------------------------------
open_list 1047 1010 "" || harness_abort "button 1047 opened no key code list"
harness_expect_eq "the label names POSTCODE" "付加コード（後）" "$(pad_text 1054)"
harness_expect_eq "for a key field the virtual-key grid is enabled" "enabled 1051 1" "$(pad enabled 1051)"
harness_check "virtual-key names are in the text colour for a key field" positive "$(colour_count 1051 0 14 text)"
harness_expect_eq "and not grey" 0 "$(colour_count 1051 0 14 grey)"
pad dblclick 1051 0 14 sleep 300 >/dev/null
harness_expect_eq "ENT (row v00, column 0D) inserts v0D" "v0D" "$(pad_text 1052)"
harness_expect_eq "v0D displays as [ENT] in a key field" "[ENT]" "$(pad_text 1053)"
pad dblclick 1051 0 6 dblclick 1051 15 16 dblclick 1051 0 0 sleep 300 >/dev/null
harness_expect_eq "empty virtual-key cells and row labels insert nothing" "v0D" "$(pad_text 1052)"
pad mouse-dblclick 1051 1 2 dblclick 1050 4 2 sleep 300 >/dev/null
harness_expect_eq "a virtual key and a character after it" "v0D v11 x41" "$(pad_text 1052)"
harness_expect_eq "the key-mode display" "[ENT] [CTRL] A" "$(pad_text 1053)"
pad shot "$(harness_winpath "$SHOTS/keypad_dialog_keys.png")" click 1 >/dev/null
harness_check "OK closes the key-field list" closed
harness_expect_eq "OK writes the key text into POSTCODE's field" "v0D v11 x41" "$(main_text 1010)"
harness_expect_eq "POSTCODE's readable field follows" "[ENT] [CTRL] A" "$(main_text 1018)"

# ---- Settings, read back through the file that a start writes ----------------------------------
rm -f "$INI"
main settext 501 COM3 click 1 wait-enabled 1 0 5 wait-box 30 close-box >/dev/null
harness_check "the start wrote the settings file" test -s "$INI"
harness_check "RCVSTA holds what OK wrote" ini_has RCVSTA=4142000000
harness_check "RCVEND kept its value through Esc and the close box" ini_has RCVEND=0300000000
harness_check "POSTCODE holds what OK wrote" ini_has POSTCODE=010D011100410000000000000000000000000000

main command 2 >/dev/null
harness_check "the close command ends the program" harness_wait_pid "$APP_PID" 20
harness_finish
