#!/usr/bin/env bash
# Memory of the serial calls alone, the soak benchmark's reference: commwait.exe reads COM5 with
# none of the program's code while 20-digit frames arrive every 150 ms, for COMMWAIT_SECONDS
# (default 120) in each of two ways: an overlapped WaitCommEvent for each arrival (as the
# reader waits) and polling without it. Prints the growth of the Linux process's anonymous
# resident memory per read as "FIGURE commwait-MODE-bytes-per-read", after 10 s of warm-up.
set -uo pipefail
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$HERE/../lib/harness.sh"

SECS=${COMMWAIT_SECONDS:-120}
harness_scenario commwait port commwait.exe
reads() { tr -d '\r' <"$H_TMP/$1.out" | sed -n 's/^reads //p' | tail -n 1; }

# measure MODE: the bytes of growth per read in that mode.
measure() {
  local app pid a0 a1 r0 r1
  harness_wine_bg app $((SECS + 60)) "$H_TMP/$1.out" commwait.exe "$1" $((SECS + 15))
  harness_wait_line "$H_TMP/$1.out" '^ready' 30 || harness_abort "$1: commwait did not open COM5"
  $HARNESS_PYTHON "$HERE/../lib/serial_feed.py" "$H_TMP/device" --frames $((SECS * 8)) --digits 20 --gap 150 &
  local feed=$!
  sleep 10
  pid=$(harness_unix_pid commwait.exe) || harness_abort "$1: no Linux process"
  a0=$(harness_unix_status "$pid" RssAnon); r0=$(reads "$1")
  sleep "$SECS"
  a1=$(harness_unix_status "$pid" RssAnon); r1=$(reads "$1")
  kill "$feed" 2>/dev/null; wait "$feed" 2>/dev/null
  harness_stop_pid "$app"
  harness_check "$1: reads counted ($r0 -> $r1) and memory read ($a0 -> $a1 kB)" \
    test "${r1:-0}" -gt "${r0:-0}" -a "$a0" -ge 0 -a "$a1" -ge 0
  awk -v m="$1" -v a0="$a0" -v a1="$a1" -v r0="${r0:-0}" -v r1="${r1:-0}" 'BEGIN {
    printf "FIGURE commwait-%s-bytes-per-read %.0f (%d reads)\n", m, (r1 > r0 ? (a1 - a0) * 1024 / (r1 - r0) : 0), r1 - r0 }'
}
measure wait
measure poll
harness_finish
