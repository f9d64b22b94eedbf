#!/usr/bin/env bash
# Typing speed, as ratios from one run on one kind of probe (a Unicode keyprobe window) and
# Wine: TYPING_CHARS (default 1000) two-byte characters (亜) in one STX/ETX frame typed by the
# real Tamblix.exe in mode 0 (Alt codes: Alt, five keypad digits pressed and released, Alt;
# twelve key events a character) and in mode 1 (Unicode packets, two records a character), each
# at SENDDELAY 1 (the least the dialog keeps: a 0 read from the file becomes 1 when the dialog
# is filled) and at the default 10; and the same Alt codes and Unicode packets sent by
# bareinject.exe with no pause, and the Alt codes with the program's pause after Alt goes down
# (1 and 10 ms). SENDDELAY is the pause with Alt held, so mode 1 pauses nowhere in either run.
# Each measurement types the frame TYPING_ROUNDS times (default 5) into one probe; a round's
# rate runs from its first key event to its Enter, and the best round counts, so that a moment
# in which other work held the machine does not decide a figure. Prints each rate and the
# ratios as FIGUREs, and NOTEs for the targets (mode 1 at least 3 times mode 0 at SENDDELAY 1,
# and at least 0.8 of the bare Unicode injector); fails only when a run types the wrong text.
# Then the frame-typing lock alone (lockbench.exe, no other copy running): its microseconds per
# frame, and their share of the time mode 0 takes to type a frame of 20 such characters.
set -uo pipefail
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$HERE/../lib/harness.sh"

CHARS=${TYPING_CHARS:-1000}
ROUNDS=${TYPING_ROUNDS:-5}
harness_scenario typing port Tamblix.exe traydriver.exe keyprobe.exe bareinject.exe lockbench.exe
FRAME="02 $(for ((i = 0; i < CHARS; i++)); do printf '88 9F '; done)03"
ONE="$(for ((i = 0; i < CHARS; i++)); do printf '亜'; done){CR}"
EXPECTED="$(for ((r = 0; r < ROUNDS; r++)); do printf '%s' "$ONE"; done)"

# rate RAWFILE: characters a second of the best round, each from its first key press to its
# Enter key's.
rate() {
  awk -v n="$CHARS" '/^(SYS)?KEY(DOWN|UP)/ { for (i = 1; i <= NF; i++) if ($i ~ /^w=/) w = substr($i, 3)
      if ($1 == "KEYDOWN" && $2 == "vk=0D") {
        if (first != "" && w > first && n * 1000 / (w - first) > best) best = n * 1000 / (w - first)
        first = ""; next }
      if (first == "" && $1 ~ /DOWN/) first = w }
    END { printf "%d\n", best }' "$1"
}
typed_ok() { [ "$(iconv -f CP932 -t UTF-8 "$H_TMP/$1.txt" 2>/dev/null)" = "$EXPECTED" ]; }

# program_rate NAME SENDMODE SENDDELAY: the program's rate in that mode, in RATE (set, not
# printed, so that the run's check counts in this shell).
program_rate() {
  harness_typist_start "$1" unicode SENDMODE="$2" SENDDELAY="$3"
  for ((r = 1; r <= ROUNDS; r++)); do harness_typist_feed "$FRAME" 150; done
  harness_typist_end
  harness_check "mode $2, SENDDELAY $3: $ROUNDS x $CHARS characters typed exactly" typed_ok "$1"
  RATE=$(rate "$H_TMP/$1.raw")
}
# bare_rate NAME alt|unicode PAUSE-MS: the bare injector's rate in RATE, Alt codes or Unicode
# packets.
bare_rate() {
  harness_probe_start "$1" 200 unicode || harness_abort "$1: the probe is not in front"
  for ((r = 1; r <= ROUNDS; r++)); do
    harness_wine_fg 200 "$H_TMP/$1.out" bareinject.exe "$CHARS" "$2" "$3"
    harness_wait_count "$PROBE_RAW" '^KEYDOWN vk=0D ' "$r" 60
    sleep 0.5
  done
  harness_probe_stop
  harness_check "bare injector ($1): $ROUNDS x $CHARS characters typed exactly" typed_ok "$1"
  RATE=$(rate "$H_TMP/$1.raw")
}

program_rate altcode 0 1; MODE0=$RATE
program_rate unicode 1 1; MODE1=$RATE
program_rate altcode10 0 10; MODE0_10=$RATE
program_rate unicode10 1 10; MODE1_10=$RATE
bare_rate bare alt 0; BARE=$RATE
bare_rate bareunicode unicode 0; BARE1=$RATE
bare_rate barepaced alt 1; PACED=$RATE
bare_rate barepaced10 alt 10; PACED10=$RATE

echo "FIGURE typing-mode0-chars-per-second $MODE0"
echo "FIGURE typing-mode1-chars-per-second $MODE1"
echo "FIGURE typing-mode0-senddelay10-chars-per-second $MODE0_10"
echo "FIGURE typing-mode1-senddelay10-chars-per-second $MODE1_10"
echo "FIGURE typing-bare-injector-chars-per-second $BARE"
echo "FIGURE typing-bare-unicode-chars-per-second $BARE1"
echo "FIGURE typing-bare-paced-chars-per-second $PACED"
echo "FIGURE typing-bare-paced10-chars-per-second $PACED10"
awk -v a="$MODE0" -v b="$MODE1" -v c="$BARE" -v d="$BARE1" -v e="$PACED" \
  -v a10="$MODE0_10" -v b10="$MODE1_10" -v e10="$PACED10" '
  function ratio(x, y) { return y > 0 ? x / y : 0 }
  BEGIN {
  printf "FIGURE typing-mode1-over-mode0 %.2f\n", ratio(b, a)
  printf "FIGURE typing-mode1-over-bare-unicode %.2f\n", ratio(b, d)
  printf "FIGURE typing-mode0-over-bare %.2f\n", ratio(a, c)
  printf "FIGURE typing-mode0-over-bare-paced %.2f\n", ratio(a, e)
  printf "FIGURE typing-senddelay10-mode1-over-mode0 %.2f\n", ratio(b10, a10)
  printf "FIGURE typing-senddelay10-mode0-over-bare-paced10 %.2f\n", ratio(a10, e10)
  printf "FIGURE typing-mode1-senddelay10-over-senddelay1 %.2f\n", ratio(b10, b)
  printf "FIGURE typing-bare-unicode-over-bare %.2f\n", ratio(d, c)
  printf "NOTE target mode 1 >= 3 x mode 0 at SENDDELAY 1: %.2f, %s\n", ratio(b, a), (ratio(b, a) >= 3 ? "met" : "not met")
  printf "NOTE target mode 1 >= 0.8 x bare Unicode injector: %.2f, %s\n", ratio(b, d), (ratio(b, d) >= 0.8 ? "met" : "not met") }'

harness_wine_fg 120 "$H_TMP/lock.out" lockbench.exe
LOCK_US=$(tr -d '\r' <"$H_TMP/lock.out" | sed -n 's/^lock-us-per-frame //p')
harness_check "the lock alone measured (${LOCK_US:-no} us a frame)" test -n "$LOCK_US"
echo "FIGURE typing-lock-us-per-frame ${LOCK_US:-none}"
awk -v us="${LOCK_US:-0}" -v a="$MODE0" 'BEGIN {
  printf "FIGURE typing-lock-percent-of-20-char-frame %.3f\n", (a > 0 ? us * a / 20e6 * 100 : 0) }'
harness_finish
