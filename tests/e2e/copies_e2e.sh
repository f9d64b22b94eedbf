#!/usr/bin/env bash
# Two copies of Tamblix.exe, one per port as a user runs them for two devices (each started with
# its own "/F" settings file and AUTOSTA 1: COM5 and COM6), type into the one window in front.
# Both devices send 100 frames, at the same moment and overlapping in random ways: every frame
# arrives whole and contiguous, none lost or doubled, each copy's in its order, and each copy's
# log holds exactly its own frames.
set -uo pipefail
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$HERE/lib/harness.sh"

FRAMES=${COPIES_FRAMES:-100}
harness_scenario copies desktop port Tamblix.exe keyprobe.exe
harness_second_port

LOGS=$H_TMP/logs
mkdir -p "$LOGS" "$H_DOCS/Tamblix"
# A short data interval keeps the scenario quick; it is still far longer than the gaps inside
# a frame that the feed makes.
copy_settings() {
  harness_stx_etx_settings "$H_DOCS/Tamblix$1.ini" "PORT=$2" DATADELAY=100 AUTOSTA=1 \
    "$HARNESS_ENTER_AFTER" LOGEXEC=1 "LOGFOLDER=$(harness_winpath "$LOGS")" "LOGFILE=$1.log"
}
copy_settings a 4
copy_settings b 5

# Each start saves the copy's settings to the default file first: that tells when it receives.
harness_wine_bg APP_A 300 "$H_TMP/app-a.out" Tamblix.exe /D0 /Fa
harness_wait_line "$H_DEFAULT_INI" '^PORT=4' 40 || harness_abort "the first copy did not start"
harness_wine_bg APP_B 300 "$H_TMP/app-b.out" Tamblix.exe /D0 /Fb
harness_wait_line "$H_DEFAULT_INI" '^PORT=5' 40 || harness_abort "the second copy did not start"
sleep 1
harness_probe_start probe 200 || harness_abort "the probe window did not get the foreground"

t0=$SECONDS
$HARNESS_PYTHON "$HERE/lib/copies_feed.py" "$H_TMP/device" "$H_TMP/device6" "$H_TMP/expected-a" \
  "$H_TMP/expected-b" --frames "$FRAMES" --seed "${COPIES_SEED:-11}"
harness_wait_count "$PROBE_RAW" '^KEYDOWN vk=0D ' $((2 * FRAMES)) 60
sleep 1
harness_note "the two copies typed $(grep -c '^KEYDOWN vk=0D ' "$PROBE_RAW") frames in $((SECONDS - t0)) s"

# The typed text as one frame a line, and how often it changes from one copy's to the other's.
tr -d '\r' <"$PROBE_TEXT" | sed 's/{CR}/\n/g' >"$H_TMP/typed"
frames_of() { grep -aE "$1" "$H_TMP/typed"; }
harness_note "the typing changed between the copies $(sed -E 's/^A.*/a/; s/^[0-9].*/b/' "$H_TMP/typed" | uniq | wc -l) times"
harness_check "every typed frame is one whole frame of one copy" \
  test -z "$(grep -avxE "A[A-Z]{7}|[0-9]{8}" "$H_TMP/typed")"
harness_check "the first copy's frames are typed once each, in order" \
  cmp -s <(frames_of '^A') "$H_TMP/expected-a"
harness_check "the second copy's frames are typed once each, in order" \
  cmp -s <(frames_of '^[0-9]') "$H_TMP/expected-b"
harness_check "nothing else was typed" test "$(wc -l <"$H_TMP/typed")" -eq $((2 * FRAMES))
harness_check "the first copy's log holds exactly its frames" \
  cmp -s "$LOGS/a.log" <(sed 's/$/\r/' "$H_TMP/expected-a")
harness_check "the second copy's log holds exactly its frames" \
  cmp -s "$LOGS/b.log" <(sed 's/$/\r/' "$H_TMP/expected-b")

harness_probe_stop
harness_stop_pid "$APP_A"
harness_stop_pid "$APP_B"
harness_finish
