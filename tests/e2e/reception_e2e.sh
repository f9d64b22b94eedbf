#!/usr/bin/env bash
# Reception end to end: bytes written to a pty that Wine serves as COM5 are received by the
# real reader thread (rxhost.exe stands in for the main dialog), framed, and typed into the
# keyboard probe in front.
set -uo pipefail
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$HERE/lib/harness.sh"

# The virtual port: a pty pair, the Wine side mapped as COM5.
harness_scenario reception desktop port keyprobe.exe rxhost.exe traydriver.exe lockhold.exe
FEED="$HARNESS_PYTHON $HERE/lib/serial_feed.py"

# STX/ETX frames, both codes removed, Enter after each frame.
SETTINGS=$H_TMP/rx.ini
harness_stx_etx_settings "$SETTINGS" "$HARNESS_ENTER_AFTER"
: >"$H_TMP/commands"

harness_probe_start probe 300 || harness_abort "the probe window did not get the foreground"
harness_wine_bg HOST_PID 110 "$H_TMP/host.log" rxhost.exe "$(harness_winpath "$SETTINGS")" \
  "$(harness_winpath "$H_TMP/commands")"
harness_wait_line "$H_TMP/host.log" '^start' 20
harness_expect_eq "reception starts on COM5" "start 1" "$(grep -m1 '^start' "$H_TMP/host.log" | tr -d '\r')"
sleep 0.5

decoded() { iconv -f CP932 -t UTF-8 <"$PROBE_TEXT" 2>/dev/null; }

# The worked frame, a second one 500 ms later, and bytes between frames that are discarded.
$FEED "$H_TMP/device" "02 34 39 31 32 03" "41 42" "02 35 36 03" --gap 500
harness_wait_count "$PROBE_TEXT" '.' 1 10
sleep 1.5
harness_expect_eq "two frames typed, bytes between them discarded" "4912{CR}56{CR}" "$(decoded)"

# A backlog: 300 frames at the line rate queue up faster than they are typed, so the reader
# takes them in several full blocks; a frame cut by a block boundary must still arrive whole.
cp "$PROBE_TEXT" "$PROBE_TEXT.before"
$FEED "$H_TMP/device" --frames 300 --digits 20 --baud 115200
harness_wait_count "$PROBE_RAW" '^KEYDOWN vk=0D ' 302 60
sleep 1
typed=$(tail -c +$(( $(stat -c %s "$PROBE_TEXT.before") + 1 )) "$PROBE_TEXT")
expected=$(for i in $(seq 0 299); do printf '%020d{CR}' "$i"; done)
harness_check "a backlog of 300 frames is typed whole, in order" test "$typed" = "$expected"

# Control bytes in the data: LF and 0x01 type nothing and ESC is the Escape key alone, where the
# layout would have given Ctrl+Enter, Ctrl+A and Ctrl+[; no Ctrl goes down.
cp "$PROBE_TEXT" "$PROBE_TEXT.before"
raw_before=$(wc -l <"$PROBE_RAW")
$FEED "$H_TMP/device" "02 31 0A 1B 01 32 03"
harness_wait_count "$PROBE_RAW" '^KEYDOWN vk=0D ' 303 10
sleep 0.5
harness_expect_eq "LF, ESC, 0x01 in a frame: only the Escape key between the characters" \
  "1{ESC}2{CR}" \
  "$(tail -c +$(( $(stat -c %s "$PROBE_TEXT.before") + 1 )) "$PROBE_TEXT")"
harness_expect_eq "LF, ESC, 0x01 in a frame: the keys that arrive, no Ctrl among them" \
  "D12 D60 U60 D64 U64 D69 U69 U12 D1B U1B D12 D60 U60 D65 U65 D60 U60 U12 D0D U0D" \
  "$(tail -n +$((raw_before + 1)) "$PROBE_RAW" | awk '/^(SYS)?KEY(DOWN|UP) /{ sub("vk=", "", $2);
    printf "%s%s", sep, (($1 ~ /DOWN/) ? "D" : "U") $2; sep=" " }')"

# A user's finger on Ctrl (a key-down sent by another process): a frame that arrives while it is
# held waits, the reader goes on, and the frame is typed whole after the release, never as
# Ctrl shortcuts; the probe then decodes the lone Ctrl press before the frame.
cp "$PROBE_TEXT" "$PROBE_TEXT.before"
since() { tail -c +$(( $(stat -c %s "$PROBE_TEXT.before") + 1 )) "$PROBE_TEXT"; }
# The probe's own record of the Ctrl key-down is the signal that it is held.
ctrl_ups=$(grep -c '^KEYUP vk=11 ' "$PROBE_RAW")
harness_wine_bg HOLD_PID 20 "$H_TMP/hold.out" traydriver.exe hold 11 4000
harness_wait_count "$PROBE_RAW" '^KEYDOWN vk=11 ' $(( $(grep -c '^KEYDOWN vk=11 ' "$PROBE_RAW") + 1 )) 10
$FEED "$H_TMP/device" "02 37 38 03"
sleep 0.5
harness_expect_eq "nothing of a frame is typed while Ctrl is held" "held" \
  "$(since)$(test "$(grep -c '^KEYUP vk=11 ' "$PROBE_RAW")" = "$ctrl_ups" && echo held)"
harness_wait_pid "$HOLD_PID" 10
harness_wait_count "$PROBE_RAW" '^KEYDOWN vk=0D ' 304 5
sleep 0.3
harness_expect_eq "the frame is typed whole after the release" "{CTRL}78{CR}" "$(since)"

# A start code split across two writes 100 ms apart; a frame whose end code never comes is
# closed by the data-interval timeout, after which data waits for the next start code.
printf '%s\r\n' "[x]" PORT=4 DATADELAY=50 DATAWAIT=10 SENDDELAY=0 RCVSTA=1B02000000 \
  RCVSTAOUT=1 POSTCODE=010D000000000000000000000000000000000000 >"$SETTINGS"
echo stop >>"$H_TMP/commands"
harness_wait_line "$H_TMP/host.log" '^stop-ms' 10
# rxhost reads the settings only at its start: the second part uses a second host.
echo quit >>"$H_TMP/commands"
harness_wait_pid "$HOST_PID" 10
STOP_MS=$(grep -m1 '^stop-ms' "$H_TMP/host.log" | awk '{print $2}' | tr -d '\r')
harness_check "stop while waiting returns within 200 ms (took ${STOP_MS} ms)" test "${STOP_MS:-9999}" -lt 200
: >"$H_TMP/commands"
: >"$PROBE_TEXT.before"; cp "$PROBE_TEXT" "$PROBE_TEXT.before"
harness_wine_bg HOST_PID 180 "$H_TMP/host2.log" rxhost.exe "$(harness_winpath "$SETTINGS")" \
  "$(harness_winpath "$H_TMP/commands")"
harness_wait_line "$H_TMP/host2.log" '^start' 20
sleep 0.5
$FEED "$H_TMP/device" "1B" "02 41 42" --gap 100
sleep 0.5
$FEED "$H_TMP/device" "43 44" "1B 02 45" --gap 300
sleep 1
new_text=$(tail -c +$(( $(stat -c %s "$PROBE_TEXT.before") + 1 )) "$PROBE_TEXT" | iconv -f CP932 -t UTF-8)
harness_expect_eq "split start code recognised; after a timeout data waits for the next start code" \
  "ABE" "$new_text"

# Start and stop in a row: every start receives again, and the cycles leak no handle and no
# thread (counted after a few warm-up cycles, then after 50 more).
for i in $(seq 1 5); do echo stop; echo start; done >>"$H_TMP/commands"
echo count >>"$H_TMP/commands"
harness_wait_line "$H_TMP/host2.log" '^handles' 30
for i in $(seq 1 50); do echo stop; echo start; done >>"$H_TMP/commands"
echo count >>"$H_TMP/commands"
harness_wait_count "$H_TMP/host2.log" '^handles' 2 120
harness_expect_eq "55 stop/start cycles all reopen the port" "56" "$(grep -c '^start 1' "$H_TMP/host2.log")"
read -r _ h0 _ t0 < <(grep '^handles' "$H_TMP/host2.log" | head -n 1 | tr -d '\r')
read -r _ h1 _ t1 < <(grep '^handles' "$H_TMP/host2.log" | tail -n 1 | tr -d '\r')
harness_note "after 5 cycles: next handle slot $h0, $t0 threads; after 55: slot $h1, $t1 threads"
harness_check "50 cycles leak no handle ($h0 -> $h1)" test "${h1:-999}" -le "$(( ${h0:-0} + 2 ))"
harness_check "50 cycles leak no thread ($t0 -> $t1)" test "${t1:-999}" -le "${t0:-0}"
cp "$PROBE_TEXT" "$PROBE_TEXT.before"
$FEED "$H_TMP/device" "1B 02 39 39"
sleep 1
harness_expect_eq "after the cycles a frame is still received" "99" \
  "$(tail -c +$(( $(stat -c %s "$PROBE_TEXT.before") + 1 )) "$PROBE_TEXT" | iconv -f CP932 -t UTF-8)"

echo quit >>"$H_TMP/commands"
harness_wait_pid "$HOST_PID" 10

# UTF-8 device: with CONVCODE 1 the UTF-8 bytes of "あい" arrive as the two characters.
printf '%s\r\n' "[x]" PORT=4 DATADELAY=50 DATAWAIT=10 SENDDELAY=0 CONVCODE=1 >"$SETTINGS"
: >"$H_TMP/commands"
cp "$PROBE_TEXT" "$PROBE_TEXT.before"
harness_wine_bg HOST_PID 40 "$H_TMP/host3.log" rxhost.exe "$(harness_winpath "$SETTINGS")" \
  "$(harness_winpath "$H_TMP/commands")"
harness_wait_line "$H_TMP/host3.log" '^start' 20
sleep 0.5
$FEED "$H_TMP/device" "E3 81 82 E3 81 84"
sleep 1
harness_expect_eq "CONVCODE 1 types the UTF-8 text as its characters" "あい" \
  "$(tail -c +$(( $(stat -c %s "$PROBE_TEXT.before") + 1 )) "$PROBE_TEXT" | iconv -f CP932 -t UTF-8)"
echo quit >>"$H_TMP/commands"
harness_wait_pid "$HOST_PID" 10

# A double read: the same barcode twice within DUPTIME is typed and logged once, after it twice.
DUPLOGS=$H_TMP/duplogs
mkdir -p "$DUPLOGS"
harness_stx_etx_settings "$SETTINGS" "$HARNESS_ENTER_AFTER" DUPTIME=1500 LOGEXEC=1 \
  "LOGFOLDER=$(harness_winpath "$DUPLOGS")" LOGFILE=dup.log
: >"$H_TMP/commands"
cp "$PROBE_TEXT" "$PROBE_TEXT.before"
harness_wine_bg HOST_PID 40 "$H_TMP/host4.log" rxhost.exe "$(harness_winpath "$SETTINGS")" \
  "$(harness_winpath "$H_TMP/commands")"
harness_wait_line "$H_TMP/host4.log" '^start' 20
sleep 0.5
$FEED "$H_TMP/device" "02 34 39 31 32 03" "02 34 39 31 32 03" --gap 300
sleep 2
$FEED "$H_TMP/device" "02 34 39 31 32 03"
# A stray high byte before the end code: 82 cannot take 03 as its second byte, so it is dropped
# and the end code still ends the frame (before, "12", 82 03, 02 "34" were one frame).
sleep 0.5
$FEED "$H_TMP/device" "02 31 32 82 03 02 33 34 03"
# Until four frames are typed (however slowly Wine types them), then a second more.
for _ in $(seq 150); do
  [ "$(tail -c +$(( $(stat -c %s "$PROBE_TEXT.before") + 1 )) "$PROBE_TEXT" | grep -o '{CR}' | wc -l)" -ge 4 ] && break
  sleep 0.1
done
sleep 1
harness_expect_eq "a repeat within DUPTIME is not typed, one after it is; a stray 82 ends no frame late" \
  "4912{CR}4912{CR}12{CR}34{CR}" \
  "$(tail -c +$(( $(stat -c %s "$PROBE_TEXT.before") + 1 )) "$PROBE_TEXT")"
harness_expect_eq "nor logged; the bytes with the stray 82 are two records" "4912 4912 12 34" \
  "$(tr -d '\r' <"$DUPLOGS/dup.log" | paste -sd ' ')"
echo quit >>"$H_TMP/commands"
harness_wait_pid "$HOST_PID" 10

# The device goes away while a frame is half received: the reader neither crashes nor spins,
# stop works, and once the device is back a new start receives again.
harness_stx_etx_settings "$SETTINGS"
: >"$H_TMP/commands"
harness_wine_bg HOST_PID 90 "$H_TMP/host5.log" rxhost.exe "$(harness_winpath "$SETTINGS")" \
  "$(harness_winpath "$H_TMP/commands")"
harness_wait_line "$H_TMP/host5.log" '^start' 20
sleep 0.5
cp "$PROBE_TEXT" "$PROBE_TEXT.before"
$FEED "$H_TMP/device" "02 31 32"
sleep 0.5
harness_expect_eq "the half frame's characters are typed as they come" "12" \
  "$(tail -c +$(( $(stat -c %s "$PROBE_TEXT.before") + 1 )) "$PROBE_TEXT")"
harness_port_drop
sleep 1
CPU_PCT=$(harness_prefix_cpu_percent 4)
harness_note "CPU while the port is gone: ${CPU_PCT}% of one core (this prefix's processes)"
# An idle prefix (wineserver, explorer, the probe) takes a few per cent on a loaded machine; a
# reader that spins on the dead port takes far more.
harness_check "no busy loop while the port is gone (${CPU_PCT}% of one core)" test "$CPU_PCT" -le 10
harness_check "the host survives the port going away" kill -0 "$HOST_PID"
echo stop >>"$H_TMP/commands"
harness_check "stop works after the port went away" harness_wait_line "$H_TMP/host5.log" '^stop-ms' 10
harness_port_restore
echo start >>"$H_TMP/commands"
harness_wait_count "$H_TMP/host5.log" '^start' 2 20
harness_expect_eq "a new start opens the port that is back" "start 1" \
  "$(grep '^start' "$H_TMP/host5.log" | tail -n 1 | tr -d '\r')"
sleep 0.5
cp "$PROBE_TEXT" "$PROBE_TEXT.before"
$FEED "$H_TMP/device" "02 37 37 03"
sleep 1
harness_expect_eq "after the port is back a frame is received" "77" \
  "$(tail -c +$(( $(stat -c %s "$PROBE_TEXT.before") + 1 )) "$PROBE_TEXT" | iconv -f CP932 -t UTF-8)"
echo quit >>"$H_TMP/commands"
harness_wait_pid "$HOST_PID" 10

# Log only ("キー送信しない" with recording on), a data logger: while another copy is in the
# middle of typing (lockhold.exe holds the typing lock for 10 s) a frame is logged at once; with
# Caps Lock on, a frame with PRECODE Tab and POSTCODE Enter is logged and nothing reaches the
# probe: no character, no key, no Caps Lock toggle. With recording off the same setting types
# as before. Wine gives a thread the Caps Lock state only from its first look at the keyboard
# on, so each host gets a first frame before Caps Lock is pressed (as the user presses it).
LOGS=$H_TMP/logs
mkdir -p "$LOGS"
caps_press() {
  local before
  before=$(grep -c '^KEYUP vk=14 ' "$PROBE_RAW")
  harness_tray caps && harness_wait_count "$PROBE_RAW" '^KEYUP vk=14 ' $((before + 1)) 10 ||
    harness_note "Caps Lock: the press did not show in the probe"
}
logonly_start() {  # logonly_start LOGEXEC: a host with these settings, its first frame "3"
  harness_stx_etx_settings "$SETTINGS" "$HARNESS_ENTER_AFTER" LOGNOSEND=1 "LOGEXEC=$1" \
    PRECODE=0109000000000000000000000000000000000000 "LOGFOLDER=$(harness_winpath "$LOGS")" \
    LOGFILE=logonly.log
  : >"$H_TMP/commands"
  harness_wine_bg HOST_PID 40 "$H_TMP/host-log$1.log" rxhost.exe "$(harness_winpath "$SETTINGS")" \
    "$(harness_winpath "$H_TMP/commands")"
  harness_wait_line "$H_TMP/host-log$1.log" '^start' 20
  sleep 0.5
  $FEED "$H_TMP/device" "02 33 03"
}
logonly_end() {
  caps_press
  echo quit >>"$H_TMP/commands"
  harness_wait_pid "$HOST_PID" 10
}
harness_wine_bg LOCK_PID 40 "$H_TMP/lock.out" lockhold.exe 10000
harness_wait_line "$H_TMP/lock.out" '^held' 10 || harness_note "lockhold did not take the lock"
raw_before=$(wc -l <"$PROBE_RAW")
logonly_start 1
harness_check "log only: a frame is logged at once while another copy types" \
  harness_wait_file "$LOGS/logonly.log" 3
caps_press
$FEED "$H_TMP/device" "02 34 35 03"
sleep 1
harness_expect_eq "log only: every frame is logged" "3 45" "$(tr -d '\r' <"$LOGS/logonly.log" | paste -sd ' ')"
# Key events as D/U, the key code and "+" for an extended key: the user's Caps Lock is a plain
# key, the reader's toggle an extended one.
harness_expect_eq "log only: only the user's Caps Lock reaches the probe (no key, no toggle)" "D14 U14" \
  "$(tail -n +$((raw_before + 1)) "$PROBE_RAW" | awk '/^(SYS)?(KEY|CHAR)/{ sub("vk=", "", $2);
    printf "%s%s%s%s", sep, (($1 ~ /DOWN/) ? "D" : ($1 ~ /UP/) ? "U" : $1), $2, (($4 == "ext=1") ? "+" : ""); sep=" " }')"
logonly_end
harness_stop_pid "$LOCK_PID"
logonly_start 0
harness_wait_count "$PROBE_RAW" '^KEYDOWN vk=0D ' 1 10
sleep 0.5
caps_press
cp "$PROBE_TEXT" "$PROBE_TEXT.before"
caps_ups=$(grep -c '^KEYUP vk=14 ' "$PROBE_RAW")
$FEED "$H_TMP/device" "02 34 35 03"
harness_wait_count "$PROBE_RAW" '^KEYUP vk=14 ' $((caps_ups + 2)) 10
harness_expect_eq "the same setting with recording off types, Caps Lock off around the frame" \
  "{CAPS}{TAB}45{CR}{CAPS}" "$(tail -c +$(( $(stat -c %s "$PROBE_TEXT.before") + 1 )) "$PROBE_TEXT")"
logonly_end

# A port that does not exist.
printf '%s\r\n' "[x]" PORT=20 >"$SETTINGS"
: >"$H_TMP/commands"; echo quit >>"$H_TMP/commands"
harness_wine_fg 30 "$H_TMP/host4.log" rxhost.exe "$(harness_winpath "$SETTINGS")" \
  "$(harness_winpath "$H_TMP/commands")"
harness_expect_eq "a COM port that does not exist gives -101" "start -101" \
  "$(grep -m1 '^start' "$H_TMP/host4.log" | tr -d '\r')"

harness_probe_stop
harness_finish
