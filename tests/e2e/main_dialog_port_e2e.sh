#!/usr/bin/env bash
# Main dialog to the port, end to end: the real Tamblix.exe under Wine with the virtual COM5.
# - Every entry of the six port lists and every check box, chosen through its control, reaches
#   the settings file written at the start and the line settings Wine is asked for (recorded by
#   the pty shim through TAMBLIX_LINE_LOG, since a pty forces 8N whatever is asked). Each row
#   also presses one of the seven code presets and checks the edits and the stored codes.
# - The port list holds the registry's ports sorted by text (COM12 added to show the order);
#   COM5 is stored as its PORT. A refused line setting ends in the settings-refused message.
# - The enabled state of every control, idle, running and idle again, against one list.
# - With the dialog in front, a frame with PRECODE "v11+v43 v0D" shows in the output display
#   exactly (raw text, line breaks included); with the probe in front it is typed.
set -uo pipefail
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$HERE/lib/harness.sh"

harness_scenario main_dialog_port desktop port Tamblix.exe dlgdriver.exe keyprobe.exe
export TAMBLIX_LINE_LOG=$H_TMP/line.log
INI=$H_DEFAULT_INI
drive() { harness_drive "$@"; }
ini_lines() { tr -d '\r' <"$INI" | grep -E "^($1)=" | paste -sd ' '; }

# The line settings of one start, from the recorded calls: Wine sets the speed, then the line
# control, then the flow control (whose modem-line writes follow: DTR always, RTS only without
# CTS flow, "-" when RTS was left alone); "refused" when no flow-control call came.
line_summary() {
  awk '
    /^termios/ { n++; for (i = 2; i <= NF; i++) { split($i, kv, "="); v[n, kv[1]] = kv[2] } }
    /^lines/ && n == 2 { m++; split($2, kv, "="); rts[m] = kv[2] }
    END {
      printf "speed=%s bits=%s parity=%s stop=%s", v[1, "speed"], v[2, "bits"], v[2, "parity"], v[2, "stop"]
      if (n < 3 || v[3, "speed"] != v[1, "speed"] || m == 0) { print " refused"; exit }
      printf " crtscts=%s ixon=%s ixoff=%s rts=%s\n", v[3, "crtscts"], v[3, "ixon"], v[3, "ixoff"], (m > 1 ? rts[2] : "-")
    }' "$TAMBLIX_LINE_LOG"
}

# The controls that change a setting (disabled while receiving); 中止 (3) is the opposite.
SETTING_IDS=" 501 502 503 504 505 507 508 510 511 512 1060 1003 1004 1005 1006 1007 1008 1009 1010 1040 1041 1042
  1043 1044 1045 1046 1047 1019 1020 1021 1022 1023 1024 1025 914 915 1028 1029 1055 1031 1032 1033
  1 1000 1001 152 153 "
SETTING_IDS=${SETTING_IDS//$'\n'/ }
expected_states() {  # running 0|1: "ID STATE" for every control id the dialog has
  drive states | while read -r _ id _; do
    if [ "$id" = 3 ]; then echo "$id $1"
    elif [[ $SETTING_IDS == *" $id "* ]]; then echo "$id $((1 - $1))"
    else echo "$id 1"; fi
  done | paste -sd ' '
}
states() { drive states | cut -d' ' -f2- | paste -sd ' '; }
# The port was opened and its line set: only the pty behind COM5 records the four calls.
opened() { harness_wait_count "$TAMBLIX_LINE_LOG" '^termios' 4 30; }

harness_wine_bg APP 600 "$H_TMP/app.out" Tamblix.exe
drive wait-window 60 >/dev/null || harness_abort "the main dialog did not appear"
harness_expect_eq "idle: only 中止 is disabled" "$(expected_states 0)" "$(states)"

# ---- every list entry and check box to the file and to the port ------------------------------
# baud bits parity stop rts (TEXT=index) | CTSC XFLOWC RCVSTAOUT RCVENDOUT AUTOSTA | CONVCODE |
# preset | what Wine was asked. RTS Toggle is the one setting Wine's driver refuses: the start
# then ends in the settings-refused message.
ROWS=(
  "57600=1 7=0 Even=1 1.5=1 Enable=1|01100|なし=0|1021|speed=57600 bits=7 parity=E stop=2 crtscts=0 ixon=1 ixoff=1 rts=1"
  "38400=2 8=1 Odd=2 2=2 HandShake=2|00011|あり=1|1020|speed=38400 bits=8 parity=O stop=2 crtscts=1 ixon=0 ixoff=0 rts=1"
  "19200=3 7=0 None=0 1=0 Disable=0|11010|なし=0|1019|speed=19200 bits=7 parity=N stop=1 crtscts=1 ixon=1 ixoff=1 rts=-"
  "9600=4 8=1 Even=1 1.5=1 Disable=0|00101|あり=1|1022|speed=9600 bits=8 parity=E stop=2 crtscts=0 ixon=0 ixoff=0 rts=0"
  "4800=5 7=0 Odd=2 2=2 Enable=1|10010|なし=0|1023|speed=4800 bits=7 parity=O stop=2 crtscts=1 ixon=0 ixoff=0 rts=-"
  "2400=6 8=1 None=0 1=0 Toggle=3|01101|あり=1|1024|speed=2400 bits=8 parity=N stop=1 refused"
  "115200=0 7=0 Even=1 2=2 HandShake=2|01000|なし=0|1025|speed=115200 bits=7 parity=E stop=2 crtscts=1 ixon=1 ixoff=1 rts=1"
)
# button|text of the first edit|text of the second|the four stored codes
PRESETS=(
  "1021|x1B x24 x42|x1B x28 x42|KANJIIN=1B24420000 KANJIOUT=1B28420000 KANAIN=0000000000 KANAOUT=0000000000"
  "1020|x1B x4B|x1B x48|KANJIIN=1B4B000000 KANJIOUT=1B48000000 KANAIN=0000000000 KANAOUT=0000000000"
  "1019|x1B x0E|x1B x0F|KANJIIN=1B0E000000 KANJIOUT=1B0F000000 KANAIN=0000000000 KANAOUT=0000000000"
  "1022|x1B x40 x42|x1B x28 x4A|KANJIIN=1B40420000 KANJIOUT=1B284A0000 KANAIN=0000000000 KANAOUT=0000000000"
  "1023|x1B|x9B|KANJIIN=1B00000000 KANJIOUT=9B00000000 KANAIN=0000000000 KANAOUT=0000000000"
  "1024|x0E|x0F|KANJIIN=0000000000 KANJIOUT=0000000000 KANAIN=0E00000000 KANAOUT=0F00000000"
  "1025|x1B x28 x49|x1B x28 x42|KANJIIN=0000000000 KANJIOUT=0000000000 KANAIN=1B28490000 KANAOUT=1B28420000"
)
KEYS='PORT|BAUD|BITS|PARITY|STOPBIT|RTSC|CTSC|XFLOWC|AUTOSTA|CONVCODE|RCVSTAOUT|RCVENDOUT'
for r in "${!ROWS[@]}"; do
  IFS='|' read -r lists boxes conv preset want <<<"${ROWS[$r]}"
  IFS='|' read -r button text1 text2 codes <<<"${PRESETS[$r]}"
  read -r baud bits parity stop rts <<<"$lists"
  args=(select 501 COM5) file="PORT=4" i=0
  for e in "$baud" "$bits" "$parity" "$stop" "$rts"; do
    id=$(echo 502 503 504 507 505 | cut -d' ' -f$((i + 1)))
    key=$(echo BAUD BITS PARITY STOPBIT RTSC | cut -d' ' -f$((i + 1)))
    args+=(select "$id" "${e%=*}"); file+=" $key=${e#*=}"; i=$((i + 1))
  done
  for i in 0 1 2 3 4; do
    id=$(echo 510 511 1028 1029 1055 | cut -d' ' -f$((i + 1)))
    args+=(setcheck "$id" "${boxes:$i:1}" command "$id")
  done
  args+=(select 508 "${conv%=*}" settext 1003 "" settext 1004 "" settext 1005 "" settext 1006 "" click "$button")
  first=1003; [ "$button" -ge 1024 ] && first=1005
  file="$file CTSC=${boxes:0:1} XFLOWC=${boxes:1:1} AUTOSTA=${boxes:4:1} CONVCODE=${conv#*=}"
  file="$file RCVSTAOUT=${boxes:2:1} RCVENDOUT=${boxes:3:1}"
  rm -f "$INI"; : >"$TAMBLIX_LINE_LOG"
  drive "${args[@]}" sleep 300 >/dev/null || harness_check "row $r: the controls take the choices" false
  harness_expect_eq "row $r: preset $button fills $first and $((first + 1))" "$text1|$text2" \
    "$(harness_text_of $first)|$(harness_text_of $((first + 1)))"
  if [[ $want == *refused ]]; then
    drive click 1 wait-box 60 close-box wait-enabled 1 1 30 >"$H_TMP/box.txt"
    harness_check "row $r: the refused settings end in the settings-refused message" \
      grep -q '^box 指定されたポートが通信設定' "$H_TMP/box.txt"
  else
    drive click 1 >/dev/null
    harness_check "row $r: the start opens COM5 and sets its line" opened
  fi
  harness_expect_eq "row $r: the file written at the start" "$file" "$(ini_lines "$KEYS")"
  harness_expect_eq "row $r: the stored codes" "$codes" "$(ini_lines 'KANJIIN|KANJIOUT|KANAIN|KANAOUT')"
  harness_expect_eq "row $r: the line settings asked of the port" "$want" "$(line_summary)"
  if [ "$r" = 0 ]; then
    harness_expect_eq "running: the settings controls are disabled, 中止 enabled" "$(expected_states 1)" "$(states)"
  fi
  [[ $want == *refused ]] || drive click 3 wait-enabled 1 1 30 >/dev/null
  [ "$r" = 0 ] && harness_expect_eq "after 中止: idle again" "$(expected_states 0)" "$(states)"
done

# ---- every entry of the port list -------------------------------------------------------------
# A port whose name sorts between others; the list is read anew at the fill after 中止.
wine_masked timeout 30 "$WINE64" reg add 'HKLM\HARDWARE\DEVICEMAP\SERIALCOMM' /v Extra /d COM12 /f >/dev/null 2>&1
drive select 501 COM5 select 502 115200 select 503 8 select 504 None select 507 1 select 505 Disable \
  setcheck 510 0 command 510 setcheck 511 0 command 511 click 1 wait-enabled 3 1 30 click 3 wait-enabled 1 1 30 >/dev/null
mapfile -t PORTS < <(drive items 501 | sed -n 's/^item 501 //p')
harness_expect_eq "the port list is sorted by text" "$(printf '%s\n' "${PORTS[@]}" | LC_ALL=C sort | paste -sd ' ')" \
  "$(printf '%s\n' "${PORTS[@]}" | paste -sd ' ')"
harness_check "the port list holds the registry's ports (COM5, COM12; got ${PORTS[*]})" \
  bash -c "[[ ' ${PORTS[*]} ' == *' COM12 '* && ' ${PORTS[*]} ' == *' COM5 '* ]]"
# Only COM5 is a port here: the others reach /dev/null (the harness hides the machine's serial
# devices), so starting them proves nothing about a port. The text-to-number rule of the other
# entries is a unit test of the port text.
rm -f "$INI"
: >"$TAMBLIX_LINE_LOG"
drive select 501 COM5 click 1 >/dev/null
harness_check "COM5: the start opens it" opened
drive click 3 wait-enabled 1 1 30 >/dev/null
harness_expect_eq "COM5: stored as its number less one" "PORT=4" "$(ini_lines PORT)"

# ---- a start whose port does not open ---------------------------------------------------------
# COM12 is listed but no port: four attempts a second apart, then the port message. The dialog
# answers meanwhile (the pause between attempts is a timer, not a sleep of its thread); 中止 during
# the attempts ends them, and no message follows.
PORT_FAILED='指定されたポートのオープンに失敗しました'
drive select 501 COM12 click 1 sleep 300 answer 200 sleep 700 answer 200 sleep 1000 answer 200 \
  wait-box 10 close-box wait-enabled 1 1 10 >"$H_TMP/attempts.txt"
harness_expect_eq "during the start's attempts the dialog answers at once, three times" "3" \
  "$(grep -c '^answer' "$H_TMP/attempts.txt")"
harness_check "after the last attempt the port message" grep -qx "box $PORT_FAILED" "$H_TMP/attempts.txt"
drive select 501 COM12 click 1 sleep 1500 click 3 wait-enabled 1 1 5 sleep 3000 boxes >"$H_TMP/cancel.txt"
harness_expect_eq "中止 during the attempts ends them: idle, and no message" "boxes 0" \
  "$(grep '^boxes' "$H_TMP/cancel.txt")"

# ---- the output display and the typed frame ---------------------------------------------------
FRAME="02 41 42 0D B1 82 A0 03"
: >"$TAMBLIX_LINE_LOG"
drive select 501 COM5 select 502 115200 select 503 8 select 504 None select 507 1 select 505 Disable \
  setcheck 510 0 command 510 setcheck 511 0 command 511 select 508 なし \
  settext 1007 x02 settext 1008 x03 setcheck 1028 1 command 1028 setcheck 1029 1 command 1029 \
  settext 1009 "v11+v43 v0D" settext 1010 "" click 1 >/dev/null
opened && drive click 1002 sleep 300 front 10 >/dev/null || harness_check "the dialog receives in front" false
$HARNESS_PYTHON "$HERE/lib/serial_feed.py" "$H_TMP/device" "$FRAME"
for _ in $(seq 20); do [[ $(drive hextext 1027) == *A0* ]] && break; sleep 0.5; done
# [CTRL]+[C][ENT] A B <CR> CR LF ｱ あ
harness_expect_eq "dialog in front: the output display shows the frame exactly" \
  "hex 1027 5B4354524C5D2B5B435D5B454E545D41423C43523E0D0AB182A0" "$(drive hextext 1027 | tr -d '\r')"
harness_probe_start probe 60 || harness_abort "the probe window did not get the foreground"
$HARNESS_PYTHON "$HERE/lib/serial_feed.py" "$H_TMP/device" "$FRAME"
harness_wait_count "$PROBE_RAW" '^KEYUP vk=0D ' 2 30
sleep 0.5
harness_expect_eq "probe in front: the key group, Enter and the frame are typed" \
  "7B4354524C2B437D7B43527D41427B43527DB182A0" "$(od -An -tx1 <"$PROBE_TEXT" | tr -d ' \n' | tr a-f A-F)"
harness_probe_stop

# The close command stops the reception itself.
drive command 2 >/dev/null
if ! harness_check "the close command ends the program" harness_wait_pid "$APP" 60; then
  harness_note "still running: $(harness_tray_state); $(drive wait-box 2 box-title | tr '\n' ' ')"
fi
harness_finish
