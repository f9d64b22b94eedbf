#!/usr/bin/env bash
# Log settings dialog end to end: the real Tamblix.exe under Wine (virtual desktop on Xvfb),
# its log settings dialog opened from the main dialog's button 153 and worked by dlgdriver.exe.
# What the dialog stored is read back from the settings file its OK writes and from its own
# controls when it is opened again; then frames sent through the virtual COM port must come
# out as records in the log file named by the template.
set -uo pipefail
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$HERE/lib/harness.sh"

harness_scenario log_dialog desktop port Tamblix.exe dlgdriver.exe
FEED="$HARNESS_PYTHON $HERE/lib/serial_feed.py"
SHOT=${LOG_DIALOG_SHOT:-$HARNESS_ROOT/build/screenshots/log_dialog.png}

INI_DIR=$(dirname "$H_DEFAULT_INI")
INI="$INI_DIR/Tamblix.ini"
LOGS=$H_TMP/logs
mkdir -p "$INI_DIR" "$LOGS"
WLOGS=$(harness_winpath "$LOGS")

# Start-up settings: COM5, STX/ETX frames with both codes removed; the log fields as defaults.
harness_stx_etx_settings "$INI"

harness_wine_bg APP_PID 400 "$H_TMP/tamblix.out" Tamblix.exe

# drive ARGS...: one dlgdriver run on the main dialog; log ARGS...: on the log settings dialog.
# The output has CR removed and code page 932 turned to UTF-8.
drive() { harness_drive "$@"; }
log() { drive /caption "ログ設定" "$@"; }
log_text() { log gettext "$1" | sed -n "s/^text $1 //p"; }
# ini KEY: the value of KEY in the settings file.
ini() { tr -d '\r' <"$INI" | sed -n "s/^$1=//p"; }
# open_dialog: clicks "ログ設定" and waits for the dialog to show: it exists before its
# initialisation has filled it, and is shown only after that.
open_dialog() {
  drive click 153 >/dev/null
  log wait-window 20 >/dev/null || return 1
  local _
  for _ in $(seq 50); do
    [ "$(log visible)" = "visible 1" ] && return 0
    sleep 0.2
  done
  return 1
}

drive wait-window 60 >/dev/null || harness_abort "the main dialog did not appear"
open_dialog || harness_abort "button 153 did not open the log settings dialog"

# --- filled from the defaults, recording off --------------------------------------------------
harness_expect_eq "defaults: recording off, append, limit 10, message and abort, by name, line end" \
  "checked 1160 1 checked 1161 0 checked 1163 0 checked 1164 1 text 1165 10 checked 1166 1 checked 1167 1 checked 1172 1 checked 1176 1 checked 1174 0 checked 1175 0" \
  "$(log checked 1160 checked 1161 checked 1163 checked 1164 gettext 1165 checked 1166 checked 1167 \
       checked 1172 checked 1176 checked 1174 checked 1175 | tr '\n' ' ' | sed 's/ $//')"
harness_expect_eq "recording off: settings disabled, folder box and recording buttons enabled" \
  "enabled 1162 0 enabled 1165 0 enabled 1169 0 enabled 1170 0 enabled 1171 0 enabled 1176 0 enabled 1168 1 enabled 1160 1 enabled 1161 1 enabled 1 1 enabled 2 1" \
  "$(log enabled 1162 enabled 1165 enabled 1169 enabled 1170 enabled 1171 enabled 1176 enabled 1168 \
       enabled 1160 enabled 1161 enabled 1 enabled 2 | tr '\n' ' ' | sed 's/ $//')"
log click 1161 sleep 300 >/dev/null
harness_expect_eq "記録する enables the settings" \
  "enabled 1162 1 enabled 1167 1 enabled 1171 1 enabled 1175 1" \
  "$(log enabled 1162 enabled 1167 enabled 1171 enabled 1175 | tr '\n' ' ' | sed 's/ $//')"

if mkdir -p "$(dirname "$SHOT")" && log settext 1168 "$WLOGS" sleep 500 >/dev/null &&
   timeout 20 import -display "$DISPLAY" -window root "$SHOT"; then
  harness_note "screenshot $SHOT"
fi

# --- 記録しない: stored without checks, LOGNOSEND 0, size held to 2000 ------------------------
rm -f "$INI"
log setcheck 1162 1 settext 1168 "" settext 1171 "LOG_&s.log" settext 1165 9999 \
  click 1160 sleep 300 click 1 wait-gone 10 >/dev/null
harness_expect_eq "記録しない: OK closes the dialog" 0 "$?"
harness_check "OK writes the default settings file" test -s "$INI"
harness_expect_eq "記録しない stores LOGEXEC 0 and LOGNOSEND 0" "0 0" "$(ini LOGEXEC) $(ini LOGNOSEND)"
harness_expect_eq "a size of 9999 is stored as 2000 (07D0)" "07D0" "$(ini LOGFLSIZE)"
harness_expect_eq "記録しない stores the name unchecked" "LOG_&s.log" "$(ini LOGFILE)"
harness_expect_eq "the other fields of the file are kept" "4 0200000000" "$(ini PORT) $(ini RCVSTA)"

# --- 記録する with an empty folder: error box, focus on 1168 ----------------------------------
open_dialog || harness_abort "the dialog did not open again"
harness_expect_eq "opened again, it shows the stored limit and name" "2000|LOG_&s.log" \
  "$(log_text 1165)|$(log_text 1171)"
rm -f "$INI"
log click 1161 sleep 300 setcheck 1162 1 settext 1168 "" click 1 wait-box 10 box-title \
  close-box sleep 500 focus enabled 1171 >"$H_TMP/empty.txt"
harness_check "empty folder: the box says 入力項目に誤りがあります。" grep -qx 'box 入力項目に誤りがあります。' "$H_TMP/empty.txt"
harness_check "the box is titled Error" grep -qx 'box-title Error' "$H_TMP/empty.txt"
harness_check "the focus is on the folder box 1168" grep -qx 'focus 1168' "$H_TMP/empty.txt"
harness_check "the settings are enabled again for 記録する" grep -qx 'enabled 1171 1' "$H_TMP/empty.txt"
harness_check "a refused OK writes no settings file" test ! -e "$INI"

# --- a name with &s is refused, the focus goes to 1171 ----------------------------------------
log settext 1168 "$WLOGS" settext 1171 "LOG_&Y&s.log" click 1 wait-box 10 close-box sleep 500 \
  focus >"$H_TMP/name.txt"
harness_check "a name with &s is refused" grep -qx 'box 入力項目に誤りがあります。' "$H_TMP/name.txt"
harness_check "the focus is on the file name box 1171" grep -qx 'focus 1171' "$H_TMP/name.txt"

# Cancel after a failed OK: only LOGNOSEND (set by the failed OK) has changed.
log click 2 wait-gone 10 >/dev/null
harness_check "cancel writes no settings file" test ! -e "$INI"
open_dialog || harness_abort "the dialog did not open a third time"
harness_expect_eq "after cancel: recording still off, LOGNOSEND kept from the failed OK, name as before" \
  "checked 1160 1 checked 1162 1 text 1171 LOG_&s.log" \
  "$(log checked 1160 checked 1162 gettext 1171 | tr '\n' ' ' | sed 's/ $//')"

# --- ファイル参照: the chooser starts at folder\*.log; the choice is split into the boxes ------
log click 1161 sleep 300 settext 1168 "$WLOGS" settext 1171 "" click 1170 wait-box 20 \
  box-controls >"$H_TMP/chooser.txt"
harness_check "ファイル参照 opens the file chooser" grep -q '^box' "$H_TMP/chooser.txt"
# The chooser's file name box is the first edit among its controls.
NAME_ID=$(sed -n 's/^control \([0-9]*\) Edit .*/\1/p' "$H_TMP/chooser.txt" | head -n 1)
if [ -n "$NAME_ID" ]; then
  harness_expect_eq "the chooser starts with *.log in its name box" "control $NAME_ID Edit *.log" \
    "$(grep -m1 "^control $NAME_ID Edit" "$H_TMP/chooser.txt")"
  log wait-box 5 box-settext "$NAME_ID" "$WLOGS\\picked.log" box-command 1 sleep 1000 \
    >/dev/null
  harness_expect_eq "the chosen path is split into folder and name" "$WLOGS|picked.log" \
    "$(log_text 1168)|$(log_text 1171)"
else
  harness_note "no name box found in the chooser"; cat "$H_TMP/chooser.txt"
  harness_check "the chooser has a file name box" false
  log wait-box 5 box-command 2 >/dev/null
fi

# --- フォルダ参照: the browser starts at the folder box's text; its choice comes back without
# a trailing backslash, a drive root included. (Wine's browser selects C: folders reliably; the
# deep Z: folders of the harness it does not find.)
browse() {
  log settext 1168 "$1" click 1169 wait-box 20 sleep 1000 box-command "$2" sleep 1000 \
    gettext 1168 | sed -n 's/^text 1168 //p'
}
harness_expect_eq "フォルダ参照 OK at C:\\windows\\ gives C:\\windows" 'C:\windows' "$(browse 'C:\windows\' 1)"
harness_expect_eq "choosing C:\\ puts C: into the folder box" 'C:' "$(browse 'C:\' 1)"
harness_expect_eq "a cancelled browser leaves the folder box" 'C:\users\' "$(browse 'C:\users\' 2)"

# --- OK with a template: stored, and the log file of today receives the frames ----------------
rm -f "$INI"
log settext 1168 "$WLOGS\\" settext 1171 'LOG_&Y&M&D.log\' setcheck 1162 0 setcheck 1174 0 \
  setcheck 1175 0 click 1 wait-gone 10 >/dev/null
harness_expect_eq "OK with a valid folder and template closes the dialog" 0 "$?"
harness_expect_eq "stored: LOGEXEC 1, folder and template without trailing backslashes" \
  "1|$WLOGS|LOG_&Y&M&D.log" "$(ini LOGEXEC)|$(ini LOGFOLDER)|$(ini LOGFILE)"

TODAY=$(date +%Y%m%d)
drive settext 501 COM5 click 1 wait-enabled 3 1 20 >/dev/null ||
  harness_note "the stop button did not become enabled"
sleep 1
$FEED "$H_TMP/device" "02 41 42 43 03" "58 59" "02 31 32 09 33 03" --gap 300
LOGFILE=$LOGS/LOG_$TODAY.log
harness_wait_line "$LOGFILE" '^12<HT>3'$'\r''$' 10
drive click 3 wait-enabled 1 1 10 >/dev/null
harness_check "the template names today's file LOG_$TODAY.log" test -f "$LOGFILE"
harness_expect_eq "two frames recorded, tab by name, CR LF after each" \
  "$(printf 'ABC\r\n12<HT>3\r\n')" "$(cat "$LOGFILE" 2>/dev/null)"
ls "$LOGS" >"$H_TMP/logs.txt"
harness_expect_eq "no other file in the log folder" "LOG_$TODAY.log" "$(tr '\n' ' ' <"$H_TMP/logs.txt" | sed 's/ $//')"

# With the date and time set, each record starts with them (the frame was just logged, so the
# record's time lies within the last minute).
open_dialog || harness_abort "the dialog did not open for the date and time"
log setcheck 1174 1 setcheck 1175 1 click 1 wait-gone 10 >/dev/null
drive click 1 wait-enabled 3 1 20 >/dev/null || harness_note "the stop button did not become enabled"
sleep 1
before=$(date +%s)
$FEED "$H_TMP/device" "02 44 03"
harness_wait_line "$LOGFILE" ' D'$'\r''?$' 10
drive click 3 wait-enabled 1 1 10 >/dev/null
record=$(tail -n 1 "$LOGFILE" | tr -d '\r')
stamp=${record% D}
harness_expect_eq "a record with date and time ends with its data" "D" "${record##* }"
stamp_secs=$(date -d "$stamp" +%s 2>/dev/null || echo 0)
harness_check "the record starts with today's date and the time ($record)" \
  test "${record:0:10}" = "$(date +%Y/%m/%d)" -a "$stamp_secs" -ge $((before - 60)) -a "$stamp_secs" -le $((before + 60))

# The close box is cancel: nothing is stored.
open_dialog || harness_abort "the dialog did not open for the close box"
log settext 1165 55 click 1160 sleep 300 close wait-gone 10 >/dev/null
harness_expect_eq "the close box closes the dialog" 0 "$?"
open_dialog || harness_abort "the dialog did not open after the close box"
harness_expect_eq "after the close box the limit and recording are as before" \
  "text 1165 2000 checked 1161 1" "$(log gettext 1165 checked 1161 | tr '\n' ' ' | sed 's/ $//')"
log command 2 wait-gone 10 >/dev/null

drive command 2 >/dev/null
harness_check "the close command ends the program" harness_wait_pid "$APP_PID" 20
harness_finish
