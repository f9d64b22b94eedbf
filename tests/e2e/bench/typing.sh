#!/usr/bin/env bash
# Typing speed, as ratios from one run on one probe and Wine: TYPING_CHARS (default 1000)
# two-byte characters (亜) in one STX/ETX frame typed by the real Tamblix.exe in mode 0 (Alt
# codes: Alt, five keypad digits pressed and released, Alt; twelve key events a character) and
# in mode 1 (Unicode packets, two records a character), and the same Alt codes and the same
# Unicode packets sent by bareinject.exe, once with no pause and once with the program's pauses.
# The program runs at SENDDELAY 1, the least its dialog keeps (a 0 read from the file becomes 1
# when the dialog is filled): 1 ms with Alt held in mode 0, after each character in mode 1.
# Each rate runs from the probe's first key event to its Enter. Prints each rate and the ratios
# mode 1 / mode 0, mode 0 / bare injector (without and with the pauses), mode 1 / bare Unicode
# injector (the same two) and bare Unicode / bare Alt codes as FIGUREs; fails only when a run
# types the wrong text.
# Then the frame-typing lock alone (lockbench.exe, no other copy running): its microseconds per
# frame, and their share of the time mode 0 takes to type a frame of 20 such characters.
set -uo pipefail
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$HERE/../lib/harness.sh"

CHARS=${TYPING_CHARS:-1000}
harness_scenario typing port Tamblix.exe traydriver.exe keyprobe.exe bareinject.exe lockbench.exe
mkdir -p "$H_DOCS/Tamblix"
FRAME="02 $(for ((i = 0; i < CHARS; i++)); do printf '88 9F '; done)03"
EXPECTED="$(for ((i = 0; i < CHARS; i++)); do printf '亜'; done){CR}"

# rate RAWFILE: characters a second from the first key event to the Enter key's.
rate() {
  awk -v n="$CHARS" '/^(SYS)?KEY(DOWN|UP)/ { for (i = 1; i <= NF; i++) if ($i ~ /^w=/) w = substr($i, 3)
      if (first == "") first = w; if ($1 == "KEYDOWN" && $2 == "vk=0D") { last = w; exit } }
    END { if (last > first) printf "%d\n", n * 1000 / (last - first); else print 0 }' "$1"
}
typed_ok() { [ "$(iconv -f CP932 -t UTF-8 "$H_TMP/$1.txt" 2>/dev/null)" = "$EXPECTED" ]; }

# program_rate NAME SENDMODE: the program's rate in that mode.
program_rate() {
  harness_stx_etx_settings "$H_DOCS/Tamblix$1.ini" AUTOSTA=1 SENDMODE="$2" DATADELAY=2000 SENDDELAY=1 \
    "$HARNESS_ENTER_AFTER"
  harness_wine_bg app 300 "$H_TMP/$1.out" Tamblix.exe "/F$1" /D0
  harness_wait_state 'main=hidden about=0 splash=0' 60 || harness_abort "$1: no automatic start"
  harness_probe_start "$1" 200 unicode || harness_abort "$1: the probe is not in front"
  python3 "$HERE/../lib/serial_feed.py" "$H_TMP/device" "$FRAME"
  harness_wait_count "$PROBE_RAW" '^KEYDOWN vk=0D ' 1 150
  sleep 0.5
  harness_probe_stop
  harness_tray post "$WM_COMMAND" "$IDM_EXIT" 0
  harness_wait_pid "$app" 20
  harness_stop_pid "$app"
  harness_check "mode $2: $CHARS characters typed exactly" typed_ok "$1"
  rate "$H_TMP/$1.raw"
}

MODE0=$(program_rate altcode 0 | tail -n 1)
MODE1=$(program_rate unicode 1 | tail -n 1)
# bare_rate NAME alt|unicode PAUSE-MS: the bare injector's rate, Alt codes or Unicode packets.
bare_rate() {
  harness_probe_start "$1" 200 unicode || harness_abort "$1: the probe is not in front"
  harness_wine_fg 200 "$H_TMP/$1.out" bareinject.exe "$CHARS" "$2" "$3"
  harness_wait_count "$PROBE_RAW" '^KEYDOWN vk=0D ' 1 30
  sleep 0.5
  harness_probe_stop
  harness_check "bare injector ($1): $CHARS characters typed exactly" typed_ok "$1"
  rate "$H_TMP/$1.raw"
}
BARE=$(bare_rate bare alt 0 | tail -n 1)
BARE1=$(bare_rate bareunicode unicode 0 | tail -n 1)
PACED=$(bare_rate barepaced alt 1 | tail -n 1)
PACED1=$(bare_rate bareunicodepaced unicode 1 | tail -n 1)

echo "FIGURE typing-mode0-chars-per-second $MODE0"
echo "FIGURE typing-mode1-chars-per-second $MODE1"
echo "FIGURE typing-bare-injector-chars-per-second $BARE"
echo "FIGURE typing-bare-unicode-chars-per-second $BARE1"
echo "FIGURE typing-bare-paced-chars-per-second $PACED"
echo "FIGURE typing-bare-unicode-paced-chars-per-second $PACED1"
awk -v a="$MODE0" -v b="$MODE1" -v c="$BARE" -v d="$BARE1" -v e="$PACED" -v f="$PACED1" 'BEGIN {
  printf "FIGURE typing-mode1-over-mode0 %.2f\n", (a > 0 ? b / a : 0)
  printf "FIGURE typing-mode0-over-bare %.2f\n", (c > 0 ? a / c : 0)
  printf "FIGURE typing-mode0-over-bare-paced %.2f\n", (e > 0 ? a / e : 0)
  printf "FIGURE typing-mode1-over-bare-unicode %.2f\n", (d > 0 ? b / d : 0)
  printf "FIGURE typing-mode1-over-bare-unicode-paced %.2f\n", (f > 0 ? b / f : 0)
  printf "FIGURE typing-bare-unicode-over-bare %.2f\n", (c > 0 ? d / c : 0) }'

harness_wine_fg 120 "$H_TMP/lock.out" lockbench.exe
LOCK_US=$(tr -d '\r' <"$H_TMP/lock.out" | sed -n 's/^lock-us-per-frame //p')
harness_check "the lock alone measured (${LOCK_US:-no} us a frame)" test -n "$LOCK_US"
echo "FIGURE typing-lock-us-per-frame ${LOCK_US:-none}"
awk -v us="${LOCK_US:-0}" -v a="$MODE0" 'BEGIN {
  printf "FIGURE typing-lock-percent-of-20-char-frame %.3f\n", (a > 0 ? us * a / 20e6 * 100 : 0) }'
harness_finish
