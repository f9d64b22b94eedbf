#!/usr/bin/env bash
# UTF-8 characters cut by reads, through the real Tamblix.exe under Wine: with CONVCODE 1 the
# UTF-8 of "あいう" in STX/ETX frames arrives one byte per write, 30 ms apart (one read per
# byte), and cut at seeded random points; every frame is typed and logged exactly. A frame whose
# last character never completes is ended by the data interval without that character, and the
# next frame is exact.
set -uo pipefail
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$HERE/lib/harness.sh"

AIU=E38182E38184E38186  # あいう in UTF-8

harness_scenario utf8_split desktop port Tamblix.exe traydriver.exe keyprobe.exe
FEED="$HARNESS_PYTHON $HERE/lib/serial_feed.py"

mkdir -p "$H_DOCS/Tamblix"
LOGS=$H_TMP/logs
LOGFILE=$LOGS/rx.log
mkdir -p "$LOGS"
# A data interval far longer than the 30 ms between writes, so that only the pause after the
# cut frame ends one.
harness_stx_etx_settings "$H_DOCS/Tamblixutf8.ini" AUTOSTA=1 CONVCODE=1 DATAWAIT=10 DATADELAY=300 \
  "$HARNESS_ENTER_AFTER" LOGEXEC=1 "LOGFOLDER=$(harness_winpath "$LOGS")" LOGFILE=rx.log

probe_size() { stat -c %s "$PROBE_TEXT" 2>/dev/null || echo 0; }
# typed_since MARK: what the probe decoded after MARK (a byte count), as UTF-8.
typed_since() { tail -c +$(( $1 + 1 )) "$PROBE_TEXT" 2>/dev/null | iconv -f CP932 -t UTF-8; }
log_size() { stat -c %s "$LOGFILE" 2>/dev/null || echo 0; }
logged_since() { tail -c +$(( $1 + 1 )) "$LOGFILE" 2>/dev/null | iconv -f CP932 -t UTF-8 | tr -d '\r'; }
enters() { grep -c '^KEYUP vk=0D ' "$PROBE_RAW"; }
# frames_bytewise: one STX/あいう/ETX frame as one-byte chunks.
frames_bytewise() { echo "02${AIU}03" | fold -w2 | tr '\n' ' '; }
# frames_split SEED N: N frames, cut after each byte with probability 1/2 (the same for a seed).
frames_split() {
  $HARNESS_PYTHON -c '
import random, sys
r = random.Random(int(sys.argv[1]))
data = bytes.fromhex(("02" + sys.argv[3] + "03") * int(sys.argv[2]))
chunks, start = [], 0
for i in range(1, len(data) + 1):
    if i == len(data) or r.random() < 0.5:
        chunks.append(data[start:i].hex().upper()); start = i
print(" ".join(chunks))' "$1" "$2" "$AIU"
}

harness_wine_bg APP 240 "$H_TMP/app.out" Tamblix.exe /Futf8
harness_check "reception starts by itself and the dialog hides" \
  harness_wait_state 'main=hidden about=0 splash=0' 60
harness_probe_start probe 180 || harness_abort "the probe window did not get the foreground"

# --- one byte per write ------------------------------------------------------------------------
MARK=$(probe_size); LOGMARK=$(log_size); E0=$(enters)
# shellcheck disable=SC2046
$FEED "$H_TMP/device" $(frames_bytewise) --gap 30
harness_wait_count "$PROBE_RAW" '^KEYUP vk=0D ' $((E0 + 1)) 20
sleep 0.5
harness_expect_eq "one byte per read: typed exactly" "あいう{CR}" "$(typed_since "$MARK")"
harness_expect_eq "one byte per read: logged exactly" "あいう" "$(logged_since "$LOGMARK")"

# --- seeded random cuts ------------------------------------------------------------------------
SEED=${UTF8_SPLIT_SEED:-5}
CHUNKS=$(frames_split "$SEED" 4)
harness_note "seed $SEED: $CHUNKS"
MARK=$(probe_size); LOGMARK=$(log_size); E0=$(enters)
# shellcheck disable=SC2086
$FEED "$H_TMP/device" $CHUNKS --gap 30
harness_wait_count "$PROBE_RAW" '^KEYUP vk=0D ' $((E0 + 4)) 20
sleep 0.5
harness_expect_eq "random cuts (seed $SEED): four frames typed exactly" \
  "あいう{CR}あいう{CR}あいう{CR}あいう{CR}" "$(typed_since "$MARK")"
harness_expect_eq "random cuts (seed $SEED): four records logged exactly" \
  "$(printf 'あいう\nあいう\nあいう\nあいう')" "$(logged_since "$LOGMARK")"

# --- a frame cut inside its last character -----------------------------------------------------
# あ and two bytes of い, then silence: the data interval ends the frame and the two bytes are
# dropped; the next frame is exact.
MARK=$(probe_size); LOGMARK=$(log_size); E0=$(enters)
$FEED "$H_TMP/device" "02 E3 81 82 E3 81"
sleep 1.5
$FEED "$H_TMP/device" "02 E3 81 84 E3 81 86 03"
harness_wait_count "$PROBE_RAW" '^KEYUP vk=0D ' $((E0 + 1)) 20
sleep 0.5
harness_expect_eq "a cut last character is dropped, the next frame is exact (typed)" "あいう{CR}" \
  "$(typed_since "$MARK")"
harness_expect_eq "a cut last character is dropped, the next frame is exact (two records)" \
  "$(printf 'あ\nいう')" "$(logged_since "$LOGMARK")"

harness_probe_stop
harness_tray post $WM_COMMAND $IDM_EXIT 0
harness_check "終了 ends the program" harness_wait_pid "$APP" 20
harness_finish
