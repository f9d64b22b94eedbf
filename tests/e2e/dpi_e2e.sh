#!/usr/bin/env bash
# DPI end to end: the real Tamblix.exe under Wine (virtual desktop on Xvfb), run once at 96 and
# once at 144 DPI (Wine's LogPixels). At each DPI every dialog (splash, main dialog, key code
# list, log settings, About, extended settings) is measured by layoutdriver.exe: each control's text fits the
# control, no two controls overlap, none stands outside its dialog. What the program sizes in
# pixels follows the DPI: at 144 DPI the key code list's columns and the logo are 1.5 times
# their 96 DPI sizes, and after a DPI change to 96 they are back at those. The manifest, read
# by the system's activation-context reader, names Windows 7 to 11 and asks for Per Monitor v2.
# Screenshots, each of its dialog alone: build/screenshots/<dialog>_<dpi>dpi.png.
set -uo pipefail
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$HERE/lib/harness.sh"

harness_scenario dpi desktop Tamblix.exe dlgdriver.exe keypaddriver.exe layoutdriver.exe
EXE=$(harness_winpath "$BUILD_WIN/Tamblix.exe")

# lay ARGS...: one layoutdriver run; its output (CR removed, code page 932 turned to UTF-8).
lay() {
  harness_wine_fg 60 "$H_TMP/lay.out" layoutdriver.exe "$@"
  local rc=$?
  iconv -f CP932 -t UTF-8 "$H_TMP/lay.out" 2>/dev/null | tr -d '\r'
  return $rc
}
pad() { harness_wine_fg 30 "$H_TMP/pad.out" keypaddriver.exe "$@"; tr -d '\r' <"$H_TMP/pad.out"; }
# columns: the widths of the key code list's label column and first code column.
columns() { pad header 1050 0 header 1050 1 | awk '{printf "%s%s", sep, $4; sep=" "}'; }
logo_size() { sed -n "s/^size $IDC_LOGO //p"; }  # the logo's size from a layoutdriver output
# shot NAME FILE: the screenshot of the dialog whose "rect" line FILE holds.
shot() {
  local rect
  rect=$(sed -n 's/^rect //p' "$2")
  # shellcheck disable=SC2086
  harness_screenshot "$1" $rect || harness_note "no screenshot $1"
}
# check_layout NAME DPI FILE: the layout lines of FILE report no fault.
check_layout() {
  grep -E '^(clipped|overlap|outside|error) ' "$3" | head -n 5
  harness_check "$1 at $2 DPI: every text fits, no controls overlap or stand outside" \
    grep -qE '^controls [0-9]+ faults 0$' "$3"
}
scale() { echo "$(($1 * $2 / 96)) $(($3 * $2 / 96))"; }  # scale W DPI H: both at DPI, rounded down

# The dialogs opened from the main dialog: name, caption, template, opening button, closing
# command.
DIALOGS=(
  "keypad_dialog キーコード一覧 KeyPadDlg 1044 2"
  "log_dialog ログ設定 LogSettingDlg 153 2"
  "about About AboutDlg 152 1"
  "ext_dialog 拡張設定 ExtSettingDlg $(harness__res_id IDC_EXT_SETTINGS) 2"
)

declare -A COLUMNS SPLASH_LOGO ABOUT_LOGO

# measure_dialog DPI NAME CAPTION TEMPLATE: the dialog's layout and what it sizes in pixels.
measure_dialog() {
  local dpi=$1 name=$2 out=$H_TMP/$2_$1.txt
  lay /caption "$3" wait-window 20 sleep 500 rect layout "$EXE" "$4" >"$out"
  check_layout "$name" "$dpi" "$out"
  shot "${name}_${dpi}dpi" "$out"
  case $name in
    keypad_dialog)
      COLUMNS[$dpi]=$(columns)
      if [ "$dpi" != 96 ]; then
        lay /caption "$3" dpichanged 96 sleep 500 >/dev/null
        harness_expect_eq "a change to 96 DPI gives the key code list its 96 DPI columns" \
          "${COLUMNS[96]}" "$(columns)"
      fi ;;
    about)
      ABOUT_LOGO[$dpi]=$(lay /caption "$3" size "$IDC_LOGO" | logo_size)
      if [ "$dpi" != 96 ]; then
        harness_expect_eq "a change to 96 DPI gives the About logo its 96 DPI size" "${ABOUT_LOGO[96]}" \
          "$(lay /caption "$3" dpichanged 96 sleep 500 size "$IDC_LOGO" | logo_size)"
      fi ;;
  esac
}

# run_at DPI: one run of the program at DPI, every dialog measured and pictured.
run_at() {
  local dpi=$1 row name caption template button close
  harness_set_dpi "$dpi"
  # The splash shows for two seconds: its driver waits for it before the program starts.
  harness_wine_bg SPLASH 60 "$H_TMP/splash_$dpi.raw" layoutdriver.exe /splash wait-window 60 \
    rect layout "$EXE" CopyrightDlg size "$IDC_LOGO"
  sleep 1
  harness_wine_bg APP 300 "$H_TMP/app_$dpi.out" Tamblix.exe
  harness_wait_line "$H_TMP/splash_$dpi.raw" '^rect ' 40 && shot "splash_${dpi}dpi" "$H_TMP/splash_$dpi.raw"
  harness_wait_pid "$SPLASH" 30
  harness_stop_pid "$SPLASH"
  tr -d '\r' <"$H_TMP/splash_$dpi.raw" >"$H_TMP/splash_$dpi.txt"
  check_layout splash "$dpi" "$H_TMP/splash_$dpi.txt"
  SPLASH_LOGO[$dpi]=$(logo_size <"$H_TMP/splash_$dpi.txt")

  harness_drive wait-window 60 >/dev/null || harness_abort "the main dialog did not appear at $dpi DPI"
  # Once in a CI run with the lanes busy the driver printed nothing at all here (its exit status
  # not kept then); a driver that says nothing tells nothing of the dialog, so it is asked again.
  local try rc
  for try in 1 2; do
    lay dpi rect layout "$EXE" MainFormDlg >"$H_TMP/main_$dpi.txt"
    rc=$?
    grep -q '^dpi ' "$H_TMP/main_$dpi.txt" && break
    harness_note "layoutdriver printed no dpi line at $dpi DPI (try $try, exit status $rc)"
  done
  harness_expect_eq "the main dialog is drawn at $dpi DPI" "dpi $dpi" "$(grep '^dpi ' "$H_TMP/main_$dpi.txt")"
  check_layout main_dialog "$dpi" "$H_TMP/main_$dpi.txt"
  shot "main_dialog_${dpi}dpi" "$H_TMP/main_$dpi.txt"

  for row in "${DIALOGS[@]}"; do
    read -r name caption template button close <<<"$row"
    harness_drive click "$button" >/dev/null
    measure_dialog "$dpi" "$name" "$caption" "$template"
    harness_drive /caption "$caption" command "$close" wait-gone 10 >/dev/null ||
      harness_abort "$name did not close at $dpi DPI"
  done
  harness_drive command 2 >/dev/null
  harness_wait_pid "$APP" 20 || harness_note "the program did not end at $dpi DPI"
  harness_stop_pid "$APP"
}

lay manifest "$EXE" >"$H_TMP/manifest.txt"
harness_expect_eq "the manifest names Windows 10 and 11, 8.1, 8 and 7" \
  "supportedOS {8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a} supportedOS {1f676c76-80e1-4239-95bb-83d0f6d0da78} supportedOS {4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38} supportedOS {35138b9a-5d96-4fbd-8e2d-a2440225f93a}" \
  "$(grep '^supportedOS' "$H_TMP/manifest.txt" | tr '\n' ' ' | sed 's/ $//')"
harness_expect_eq "the manifest asks for Per Monitor v2, else the system DPI" \
  "dpiAware true dpiAwareness PerMonitorV2, System" "$(grep '^dpiAware' "$H_TMP/manifest.txt" | tr '\n' ' ' | sed 's/ $//')"

# Windows 7 has the DPI functions of Vista (SetProcessDPIAware); the later ones are spelt "Dpi"
# (GetDpiForWindow, SetProcessDpiAwarenessContext) and may only be looked up at run time.
harness_expect_eq "Tamblix.exe imports no DPI function that Windows 7 lacks" "" \
  "$(x86_64-w64-mingw32-objdump -p "$BUILD_WIN/Tamblix.exe" | grep -oE '[A-Za-z]*Dpi[A-Za-z]*' | sort -u | tr '\n' ' ')"

run_at 96
run_at 144

read -r label code <<<"${COLUMNS[96]}"
harness_expect_eq "at 144 DPI the key code list's columns are 1.5 times as wide" \
  "$(scale "$label" 144 "$code")" "${COLUMNS[144]}"
read -r w h <<<"${SPLASH_LOGO[96]}"
harness_expect_eq "at 144 DPI the splash logo is 1.5 times as large" "$(scale "$w" 144 "$h")" "${SPLASH_LOGO[144]}"
read -r w h <<<"${ABOUT_LOGO[96]}"
harness_expect_eq "at 144 DPI the About logo is 1.5 times as large" "$(scale "$w" 144 "$h")" "${ABOUT_LOGO[144]}"
harness_finish
